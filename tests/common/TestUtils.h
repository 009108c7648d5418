#pragma once

#include "document/FaceParts.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>

// An application folder of the test's own, with the four category folders,
// filled with small pictures of plain colours so every pixel is known.
class SandboxAppDir
{
public:
    SandboxAppDir();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const;

    // Writes a picture of one colour (alpha included) at category/name, in the
    // format the name's extension gives, and returns the entry a face file
    // would hold for it ("髪\\h00.png").
    QString addPart(const QString &category, const QString &name, QSize size, QColor color);
    // Writes a picture whose left half is color and right half transparent.
    QString addHalfTransparentPart(const QString &category, const QString &name, QSize size,
                                   QColor color);
    // Writes an SVG drawing of size whose left part is color, up to an edge at
    // 40.3 % of its width, and the rest transparent (drawingSvg).
    QString addDrawing(const QString &category, const QString &name, QSize size, QColor color);
    // Writes any bytes as a file.
    bool writeFile(const QString &relative, const QByteArray &bytes) const;
    QByteArray readFile(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

// Creates count empty files named prefix and a five-digit number (m00000,
// m00001, ...) in folder, straight through the system: tens of thousands in a
// fraction of a second.
bool createEmptyFiles(const QString &folder, const char *prefix, int count);

// Writes a GIF of the given size whose left half is color and whose right
// half is the transparent colour, with giflib.
bool writeTransparentGif(const QString &path, QSize size, QColor color);

// A small SVG of a large canvas, side pixels square, whose hundred purple
// squares are used ten times by each of levels groups in turn: 100 × 10^levels
// squares are drawn, each nearly as large as the canvas.
QByteArray reusedSquaresSvg(int levels, int side);

// An SVG of size whose left part, up to an edge at 40.3 % of its width, is
// color and the rest transparent. The edge falls inside a pixel at every
// scale: drawn at a size, it softens at most one pixel of a row; a picture
// enlarged from a smaller one blurs it over several (softPixels).
QByteArray drawingSvg(QSize size, QColor color);

// How many pixels of the run of length pixels from start to the right differ
// from both the run's first and last pixel: the width of the blur of an edge
// between them.
int softPixels(const QImage &image, QPoint start, int length);

// The mean difference of the colour channels of two pictures of one size,
// 0 to 255.
double meanDifference(const QImage &a, const QImage &b);

// How many pixels of two pictures of one size differ by more than
// `tolerance` in a colour channel: edges drawn another way differ a little,
// a shape misplaced or lost differs a lot.
int pixelsApart(const QImage &a, const QImage &b, int tolerance);

// The printed card of the face code with the parts files of appDir, as a
// 300 dpi scan shows it.
QImage cardPicture(const QString &appDir, const QString &code, const FaceParts &files);

// The colour of the pixel, alpha dropped, for comparisons that read well in
// failure messages.
QString rgbName(const QImage &image, int x, int y);

// The bytes of text in code page 932, as face files hold it.
QByteArray sjis(const QString &text);

// A face whose four parts are plain colours in a sandbox application folder:
// a red outline, green eyes, hair blue on its left half and a yellow mouth.
struct ColourFace
{
    explicit ColourFace(SandboxAppDir &app);

    FaceParts files;
    FaceParts codes;
    // The face file that holds this face.
    QByteArray fileBytes() const;
};
