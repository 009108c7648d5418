#pragma once

#include <QImage>
#include <QList>
#include <QString>

// The parts library the program ships with: what is in each category folder
// and how it is written out beside the program.
namespace PartsLibrary {

struct Category
{
    QString folder; // 顔, 目, 髪 or 口
    QChar prefix;   // first letter of every file name in the folder
    int (*count)(); // how many parts there are
    QImage (*draw)(int index);
};

// The four categories, in the order the composite draws them.
const QList<Category> &categories();

// "f07.png": numbered so the folder lists in the intended order.
QString fileName(const Category &category, int index);

// The entry a face file holds for the part: "顔\f07.png".
QString entry(const Category &category, int index);

// Draws every part and writes it under appDir, replacing earlier parts of
// ours that the current library no longer has; files of other names are
// left alone. On failure returns false with the reason in *error.
bool write(const QString &appDir, QString *error);

} // namespace PartsLibrary
