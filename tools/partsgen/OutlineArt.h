#pragma once

#include <QImage>

// The bundled outlines (顔): heads of several shapes and skin tones, each with
// a nose, some with ears, blush or freckles.
namespace OutlineArt {

int count();

// Outline number `index`, FaceGeometry::OutlineBox in size.
QImage draw(int index);

} // namespace OutlineArt
