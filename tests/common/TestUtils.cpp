#include "TestUtils.h"

#include "document/Composite.h"
#include "output/CardPainter.h"

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QStringEncoder>

#include <gif_lib.h>

#include <vector>

using namespace Qt::StringLiterals;

SandboxAppDir::SandboxAppDir()
{
    for (const QString &category : {u"髪"_s, u"目"_s, u"顔"_s, u"口"_s})
        QDir(m_dir.path()).mkpath(category);
}

QString SandboxAppDir::filePath(const QString &relative) const
{
    return m_dir.filePath(relative);
}

QString SandboxAppDir::addPart(const QString &category, const QString &name, QSize size,
                               QColor color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    image.save(filePath(category + u'/' + name));
    return category + u'\\' + name;
}

QString SandboxAppDir::addHalfTransparentPart(const QString &category, const QString &name,
                                              QSize size, QColor color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), color);
    image.save(filePath(category + u'/' + name));
    return category + u'\\' + name;
}

QString SandboxAppDir::addDrawing(const QString &category, const QString &name, QSize size,
                                  QColor color)
{
    writeFile(category + u'/' + name, drawingSvg(size, color));
    return category + u'\\' + name;
}

bool SandboxAppDir::writeFile(const QString &relative, const QByteArray &bytes) const
{
    QFile file(filePath(relative));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray SandboxAppDir::readFile(const QString &relative) const
{
    QFile file(filePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool createEmptyFiles(const QString &folder, const char *prefix, int count)
{
    const QByteArray base = QFile::encodeName(folder);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "/%s%05d", prefix, i);
        const int fd = ::open((base + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

bool writeTransparentGif(const QString &path, QSize size, QColor color)
{
    int error = 0;
    GifFileType *gif = EGifOpenFileName(QFile::encodeName(path).constData(), false, &error);
    if (!gif)
        return false;
    GifColorType colours[2] = {{0, 0, 0},
                               {static_cast<GifByteType>(color.red()),
                                static_cast<GifByteType>(color.green()),
                                static_cast<GifByteType>(color.blue())}};
    ColorMapObject *map = GifMakeMapObject(2, colours);
    bool ok = EGifPutScreenDesc(gif, size.width(), size.height(), 1, 0, map) == GIF_OK;
    // Index 0 is the transparent colour.
    GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, 0};
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&gcb, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, size.width(), size.height(), false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(size_t(size.width()));
    for (int x = 0; x < size.width(); ++x)
        row[size_t(x)] = x < size.width() / 2 ? 1 : 0;
    for (int y = 0; ok && y < size.height(); ++y)
        ok = EGifPutLine(gif, row.data(), size.width()) == GIF_OK;
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;
}

QByteArray reusedSquaresSvg(int levels, int side)
{
    QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' "
                     "xmlns:xlink='http://www.w3.org/1999/xlink' width='" +
                     QByteArray::number(side) + "' height='" + QByteArray::number(side) +
                     "'><defs><g id='g0' fill='purple'>";
    for (int i = 0; i < 100; ++i)
        svg += "<rect x='" + QByteArray::number(i) + "' y='" + QByteArray::number(i) + "' width='" +
               QByteArray::number(side - 2 * i) + "' height='" + QByteArray::number(side - 2 * i) +
               "'/>";
    svg += "</g>";
    for (int level = 1; level <= levels; ++level) {
        svg += "<g id='g" + QByteArray::number(level) + "'>";
        for (int i = 0; i < 10; ++i)
            svg += "<use xlink:href='#g" + QByteArray::number(level - 1) + "'/>";
        svg += "</g>";
    }
    return svg + "</defs><use xlink:href='#g" + QByteArray::number(levels) + "'/></svg>";
}

double meanDifference(const QImage &a, const QImage &b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

int pixelsApart(const QImage &a, const QImage &b, int tolerance)
{
    int apart = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++apart;
        }
    }
    return apart;
}

QString rgbName(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y)).name();
}

QByteArray sjis(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

ColourFace::ColourFace(SandboxAppDir &app)
{
    files.Outline = app.addPart(u"顔"_s, u"f03.png"_s, {229, 255}, Qt::red);
    files.Eyes = app.addPart(u"目"_s, u"e12.png"_s, {8, 8}, Qt::green);
    files.Hair = app.addHalfTransparentPart(u"髪"_s, u"h07.png"_s, {20, 20}, Qt::blue);
    files.Mouth = app.addPart(u"口"_s, u"m01.png"_s, {10, 10}, Qt::yellow);
    codes = {u"03"_s, u"01"_s, u"07"_s, u"12"_s};
}

QImage cardPicture(const QString &appDir, const QString &code, const FaceParts &files)
{
    QImage card(672, 437, QImage::Format_RGB32);
    card.setDotsPerMeterX(11811);
    card.setDotsPerMeterY(11811);
    QPainter painter(&card);
    CardPainter::paint(painter, {code, Composite::loadLayers(appDir, files)});
    return card;
}

QByteArray ColourFace::fileBytes() const
{
    return sjis(u"\"顔\\f03.png\",\"髪\\h07.png\",\"目\\e12.png\",\"口\\m01.png\",\"\"\r\n"
                u"\"03\",\"07\",\"12\",\"01\",\"\"\r\n"_s);
}

QByteArray drawingSvg(QSize size, QColor color)
{
    const QByteArray w = QByteArray::number(size.width());
    const QByteArray h = QByteArray::number(size.height());
    return "<svg xmlns='http://www.w3.org/2000/svg' width='" + w + "' height='" + h +
           "' viewBox='0 0 " + w + ' ' + h + "'><rect width='" +
           QByteArray::number(size.width() * 0.403) + "' height='" + h + "' fill='" +
           color.name().toLatin1() + "'/></svg>";
}

int softPixels(const QImage &image, QPoint start, int length)
{
    const QRgb first = image.pixel(start);
    const QRgb last = image.pixel(start.x() + length - 1, start.y());
    int soft = 0;
    for (int x = start.x(); x < start.x() + length; ++x) {
        const QRgb pixel = image.pixel(x, start.y()) | 0xff000000;
        soft += pixel != (first | 0xff000000) && pixel != (last | 0xff000000);
    }
    return soft;
}
