#pragma once

#include <QImage>

// The bundled eyes (目): both eyes, with their brows, in one picture the size
// of the composite's eyes box.
namespace EyesArt {

int count();

QImage draw(int index);

} // namespace EyesArt
