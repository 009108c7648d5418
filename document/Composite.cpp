#include "document/Composite.h"

#include "platform/PictureCache.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>

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

// Parts come from the parts library. An entry that climbs out of the
// application folder ("..\..\") is not one the program writes; a face file
// from elsewhere cannot make it read the user's other files.
bool staysInside(const QString &appDir, const QString &path)
{
    const QString root = QDir::cleanPath(appDir) + u'/';
    return QDir::cleanPath(path).startsWith(root);
}

} // namespace

QImage loadPart(const QString &appDir, const QString &entry)
{
    if (entry.isEmpty())
        return {};
    const QString path = partPath(appDir, entry);
    if (!staysInside(appDir, path))
        return {};
    // The name as it stands first: the cache looks at the file itself anyway.
    const QImage image = PictureCache::shared().read(path);
    if (!image.isNull() || QFileInfo(path).isFile())
        return image;
    const QString found = findIgnoringCase(path);
    return found.isEmpty() ? QImage() : PictureCache::shared().read(found);
}

Layers loadLayers(const QString &appDir, const FaceParts &partFiles)
{
    return {loadPart(appDir, partFiles.Outline), loadPart(appDir, partFiles.Eyes),
            loadPart(appDir, partFiles.Hair), loadPart(appDir, partFiles.Mouth)};
}

void paint(QPainter &painter, const Layers &layers)
{
    const QRect surface(0, 0, SurfaceWidth, SurfaceHeight);
    painter.save();
    painter.setClipRect(surface, Qt::IntersectClip);
    painter.fillRect(surface, Qt::white);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    if (!layers.outline.isNull())
        painter.drawImage(OutlineOrigin, layers.outline);
    const struct
    {
        const QImage &image;
        QRect box;
    } boxed[] = {{layers.eyes, EyesBox}, {layers.hair, HairBox}, {layers.mouth, MouthBox}};
    for (const auto &layer : boxed) {
        if (!layer.image.isNull())
            painter.drawImage(layer.box, layer.image);
    }
    painter.restore();
}

QImage picture(const Layers &layers)
{
    QImage image(SurfaceWidth, SurfaceHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    paint(painter, layers);
    return image;
}

} // namespace Composite
