#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

// A part picture as the bundled library has them: an antialiased shape of one
// colour, on white for an outline, or on transparency filling only the upper
// half for eyes, hair and a mouth.
QImage typicalPart(QSize size, QColor colour, bool transparentHalf);
