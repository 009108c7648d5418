#pragma once

#include <QImage>
#include <QString>

// One picture showing the whole parts library, so the designs can be judged
// at a glance: every part of each category with its file name, then faces
// put together from them by the program's own composite drawing.
namespace ContactSheet {

// Draws the sheet from the parts already written under appDir. The random
// faces come from a fixed seed, so the sheet is the same on every run.
QImage draw(const QString &appDir);

} // namespace ContactSheet
