#pragma once

#include <QImage>

// The bundled hair (髪): styles and colours that lie over the outline and
// the eyes, so each is transparent wherever the face has to show.
namespace HairArt {

int count();

QImage draw(int index);

} // namespace HairArt
