#pragma once

class QPainter;

// The bundled mouths (口), small in the upper middle of their box so that on
// the face they sit between the nose and every chin.
namespace MouthArt {

int count();

// Paints part number `index` in composite surface coordinates.
void paint(QPainter &painter, int index);

} // namespace MouthArt
