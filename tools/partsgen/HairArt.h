#pragma once

class QPainter;

// The bundled hair (髪): styles and colours that lie over the outline and
// the eyes, so each is transparent wherever the face has to show.
namespace HairArt {

int count();

// Paints part number `index` in composite surface coordinates.
void paint(QPainter &painter, int index);

} // namespace HairArt
