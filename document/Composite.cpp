#include "document/Composite.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
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
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return {};
}

} // namespace

QImage loadPart(const QString &appDir, const QString &entry)
{
    if (entry.isEmpty())
        return {};
    QString path = partPath(appDir, entry);
    if (!QFileInfo(path).isFile()) {
        path = findIgnoringCase(path);
        if (path.isEmpty())
            return {};
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

void draw(QPainter &painter, const QString &appDir, const FaceParts &partFiles)
{
    const QRect all(0, 0, painter.device()->width(), painter.device()->height());
    painter.fillRect(all, Qt::white);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QImage outline = loadPart(appDir, partFiles.Outline);
    if (!outline.isNull())
        painter.drawImage(OutlineOrigin, outline);

    const struct
    {
        const QString &entry;
        QRect box;
    } boxed[] = {{partFiles.Eyes, EyesBox}, {partFiles.Hair, HairBox}, {partFiles.Mouth, MouthBox}};
    for (const auto &layer : boxed) {
        const QImage image = loadPart(appDir, layer.entry);
        if (!image.isNull())
            painter.drawImage(layer.box, image);
    }
}

} // namespace Composite
