#include "document/Composite.h"

#include "document/Categories.h"

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

// Parts come from the parts library: the application folder and its four
// category folders, which may be links to where the system keeps its data
// (/usr/share). An entry that leads out of them is not one the program
// writes, and a face file from elsewhere cannot make it read the user's
// other files: not by climbing out ("..\\..\\"), nor through a link inside a
// folder to somewhere else ("髪\\..\\x.png" with 髪 a link). The file's real
// path, all links followed, is what must lie inside one of the folders' real
// paths; and that path is what is read. Empty when the file is outside or
// missing.
QString insideLibrary(const QString &appDir, const QString &path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return {};
    QStringList roots{appDir};
    for (Category category : Categories::Drawing)
        roots.append(appDir + u'/' + Categories::word(category));
    for (const QString &folder : std::as_const(roots)) {
        const QString root = QFileInfo(folder).canonicalFilePath();
        if (!root.isEmpty() && real.startsWith(root + u'/'))
            return real;
    }
    return {};
}

} // namespace

QString realPartPath(const QString &appDir, const QString &entry)
{
    if (entry.isEmpty())
        return {};
    const QString path = partPath(appDir, entry);
    // The name as it stands first, then in another letter case.
    QString real = insideLibrary(appDir, path);
    if (real.isEmpty() && !QFileInfo(path).exists())
        real = insideLibrary(appDir, findIgnoringCase(path));
    return real;
}

QImage loadPart(const QString &appDir, const QString &entry)
{
    const QString real = realPartPath(appDir, entry);
    return real.isEmpty() ? QImage() : PictureCache::shared().read(real);
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
