#include "document/Composite.h"

#include "document/Categories.h"

#include "platform/PictureCache.h"
#include "platform/ScalablePicture.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>

#include <array>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <optional>

namespace Composite {

QString partPath(const QString &appDir, const QString &entry)
{
    QString relative = entry;
    relative.replace(u'\\', u'/');
    return appDir + u'/' + relative;
}

namespace {

// Face files made on Windows may name a part in another letter case than the
// file has here ("髪\H07.BMP" for h07.bmp); Windows found those files, so do we.
QString findIgnoringCase(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.dir();
    const QString wanted = info.fileName();
    if (wanted.isEmpty())
        return {};
    // Regular files only: special files are not parts.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return {};
}

// The path with every link followed, as the system resolves it (what
// QFileInfo::canonicalFilePath gives, at a fraction of its cost: a redraw
// asks for eight); empty when it leads nowhere.
QString realPath(const QString &path)
{
    char resolved[PATH_MAX];
    return ::realpath(QFile::encodeName(path).constData(), resolved) ? QFile::decodeName(resolved)
                                                                     : QString();
}

// Parts come from the parts library: the application folder and its four
// category folders, which may be links to where the system keeps its data
// (/usr/share). An entry that leads out of them is not one the program
// writes, and a face file from elsewhere cannot make it read the user's
// other files: not by climbing out ("..\\..\\"), nor through a link inside a
// folder to somewhere else ("髪\\..\\x.png" with 髪 a link). The file's real
// path, all links followed, is what must lie inside one of the folders' real
// paths; and that path is what is read. Empty when the file is outside or
// missing.
// The folders' real paths are looked up when first needed, once for the
// parts of a face.
class LibraryFolders
{
public:
    explicit LibraryFolders(const QString &appDir) : m_appDir(appDir) {}

    // The file's real path when it lies inside one of the folders.
    QString inside(const QString &path)
    {
        const QString real = realPath(path);
        if (real.isEmpty())
            return {};
        for (size_t i = 0; i < m_real.size(); ++i) {
            if (!m_real[i]) {
                m_real[i] = realPath(i == 0 ? m_appDir
                                            : m_appDir + u'/' +
                                                  Categories::word(Categories::Drawing[i - 1]));
            }
            if (!m_real[i]->isEmpty() && real.startsWith(*m_real[i] + u'/'))
                return real;
        }
        return {};
    }

private:
    const QString &m_appDir;
    std::array<std::optional<QString>, 1 + std::size(Categories::Drawing)> m_real;
};

QString realPartPath(LibraryFolders &folders, const QString &appDir, const QString &entry)
{
    if (entry.isEmpty())
        return {};
    const QString path = partPath(appDir, entry);
    // The name as it stands first, then in another letter case.
    const auto find = [&](const QString &wanted) {
        QString real = folders.inside(wanted);
        if (real.isEmpty() && !QFileInfo(wanted).exists())
            real = folders.inside(findIgnoringCase(wanted));
        return real;
    };
    QString real = find(path);
    if (real.isEmpty() && path.endsWith(u".png", Qt::CaseInsensitive) &&
        !QFileInfo(path).exists() && findIgnoringCase(path).isEmpty())
        real = find(path.chopped(4) + QStringLiteral(".svg"));
    return real;
}

} // namespace

QString realPartPath(const QString &appDir, const QString &entry)
{
    LibraryFolders folders(appDir);
    return realPartPath(folders, appDir, entry);
}

QImage loadPart(const QString &appDir, const QString &entry)
{
    const QString real = realPartPath(appDir, entry);
    return real.isEmpty() ? QImage() : PictureCache::shared().read(real);
}

QSize Part::size() const
{
    return drawing ? drawing->size() : image.size();
}

namespace {

Part loadLayer(LibraryFolders &folders, const QString &appDir, const QString &entry)
{
    const QString real = realPartPath(folders, appDir, entry);
    if (real.isEmpty())
        return {};
    PictureFile::Picture picture = PictureCache::shared().load(real);
    Part part(std::move(picture.image));
    part.drawing = std::move(picture.drawing);
    part.path = real;
    return part;
}

// Whether the painter keeps shapes as shapes: a file of shapes, whose reader
// draws them at its own resolution.
bool drawsShapes(const QPainter &painter)
{
    const QPaintEngine *engine = painter.paintEngine();
    return engine && (engine->type() == QPaintEngine::SVG || engine->type() == QPaintEngine::Pdf);
}

void drawPart(QPainter &painter, const Part &part, const QRectF &box)
{
    if (!part.drawing) {
        painter.drawImage(box, part.image);
    } else if (drawsShapes(painter)) {
        part.drawing->paint(painter, box);
    } else {
        // The device's own pixels that the box covers, the density of the
        // device (a screen's) and the painter's scale (a picture's) both,
        // taken to whole pixels: the drawing drawn at their size lands on
        // them one for one, not shifted by a fraction and blurred.
        const QTransform toDevice = painter.deviceTransform();
        const QRectF covered = toDevice.mapRect(box);
        const QPoint topLeft = covered.topLeft().toPoint();
        const QRect pixels(topLeft, QSize(qMax(1, qRound(covered.right()) - topLeft.x()),
                                          qMax(1, qRound(covered.bottom()) - topLeft.y())));
        const QImage drawn = PictureCache::shared().drawn(part.path, part.drawing, pixels.size());
        // Put down in the device's own pixels, one for one, as a copy: a
        // picture placed through the density's scale or with smoothing on
        // takes the painter's path for scaling even then, many times as slow.
        painter.save();
        painter.setWorldTransform(toDevice.inverted() * painter.worldTransform());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(pixels.topLeft(), drawn);
        painter.restore();
    }
}

} // namespace

Layers loadLayers(const QString &appDir, const FaceParts &partFiles)
{
    LibraryFolders folders(appDir);
    return {loadLayer(folders, appDir, partFiles.Outline),
            loadLayer(folders, appDir, partFiles.Eyes), loadLayer(folders, appDir, partFiles.Hair),
            loadLayer(folders, appDir, partFiles.Mouth)};
}

void paint(QPainter &painter, const Layers &layers)
{
    const QRect surface(0, 0, SurfaceWidth, SurfaceHeight);
    painter.save();
    painter.setClipRect(surface, Qt::IntersectClip);
    painter.fillRect(surface, Qt::white);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const struct
    {
        const Part &part;
        QRect box;
    } layered[] = {{layers.outline, QRect(OutlineOrigin, layers.outline.size())},
                   {layers.eyes, EyesBox},
                   {layers.hair, HairBox},
                   {layers.mouth, MouthBox}};
    for (const auto &layer : layered) {
        if (!layer.part.isNull())
            drawPart(painter, layer.part, layer.box);
    }
    painter.restore();
}

QImage picture(const Layers &layers, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(qreal(size.width()) / SurfaceWidth, qreal(size.height()) / SurfaceHeight);
    paint(painter, layers);
    return image;
}

} // namespace Composite
