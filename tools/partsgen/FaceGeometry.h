#pragma once

#include <QPointF>
#include <QRect>

// Where the features of every bundled part sit, in the coordinates of the
// composite surface. Each part is drawn in these coordinates and cut to its
// own box afterwards, so the parts of different categories agree by
// construction: an eye drawn at LeftEye lands there on every face.
namespace FaceGeometry {

// The face's vertical axis. The hair box is not centred on it (it runs from
// 25 to 225), so hair drawn symmetric about this axis keeps within 25..215.
constexpr qreal CentreX = 120;

constexpr QPointF LeftEye{101, 118};
constexpr QPointF RightEye{139, 118};
constexpr QPointF Mouth{120, 182};
constexpr QPointF Nose{120, 150};

// The box of an outline picture: it is drawn at its own size from the
// composite's outline origin, so this box also fixes the picture's size.
constexpr QRect OutlineBox{20, 10, 200, 250};

// Every head's crown is near this height, so one hair line fits them all.
constexpr qreal HeadTop = 30;

// The hair leaves the face bare at least this far either side of the axis
// below the fringe, which keeps the whole eyes box clear of hair.
constexpr qreal BareHalfWidth = 50;

} // namespace FaceGeometry
