#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include "tools/partsgen/PartCanvas.h"

// The parts library the program ships with: what is in each category folder
// and how it is written out beside the program.
namespace PartsLibrary {

struct Category
{
    QString folder; // 顔, 目, 髪 or 口
    QChar prefix;   // first letter of every file name in the folder
    QRect box;      // where a part lies on the composite surface: its size
    int (*count)(); // how many parts there are
    PartDrawing paint;
};

// The four categories, in the order the composite draws them.
const QList<Category> &categories();

// "f07.svg": numbered so the folder lists in the intended order.
QString fileName(const Category &category, int index);

// The entry a face file holds for the part: "顔\f07.svg".
QString entry(const Category &category, int index);

// The part as the SVG document the library holds.
QByteArray svg(const Category &category, int index);

// The part drawn by the same art into a picture of its box's pixels, as the
// library held it before its parts were vectors.
QImage raster(const Category &category, int index);

// Draws every part and writes it under appDir, replacing earlier parts of
// ours that the current library no longer has (the pictures of the library
// before it was drawn as vectors among them); files of other names are left
// alone. On failure returns false with the reason in *error.
bool write(const QString &appDir, QString *error);

} // namespace PartsLibrary
