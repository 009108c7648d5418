#pragma once

class QPainter;

// The bundled eyes (目): both eyes, with their brows, in one picture the size
// of the composite's eyes box.
namespace EyesArt {

int count();

// Paints part number `index` in composite surface coordinates.
void paint(QPainter &painter, int index);

} // namespace EyesArt
