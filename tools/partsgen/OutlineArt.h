#pragma once

class QPainter;

// The bundled outlines (顔): heads of several shapes and skin tones, each with
// a nose, some with ears, blush or freckles.
namespace OutlineArt {

int count();

// Paints outline number `index` in composite surface coordinates, within
// FaceGeometry::OutlineBox.
void paint(QPainter &painter, int index);

} // namespace OutlineArt
