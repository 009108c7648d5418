#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// A part picture as the bundled library has them: an antialiased shape of one
// colour, on white for an outline, or on transparency filling only the upper
// half for eyes, hair and a mouth.
QImage typicalPart(QSize size, QColor colour, bool transparentHalf);

// The same part as an SVG drawing of that size.
QByteArray typicalDrawing(QSize size, QColor colour, bool transparentHalf);

// Writes bytes to path with a modification time of a day ago: a parts library
// is written long before it is drawn from, and the picture cache keeps only
// files that have been quiet a while.
bool writeOldFile(const QString &path, const QByteArray &bytes);
