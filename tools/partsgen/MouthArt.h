#pragma once

#include <QImage>

// The bundled mouths (口), small in the upper middle of their box so that on
// the face they sit between the nose and every chin.
namespace MouthArt {

int count();

QImage draw(int index);

} // namespace MouthArt
