#include "render/PartCache.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace BatchRender {

Composite::Layers PartCache::layers(const FaceParts &partFiles, QStringList *unreadable,
                                    QStringList *failed) const
{
    const Composite::Layers layers = Composite::loadLayers(m_appDir, partFiles);
    const std::pair<const QString &, const Composite::Part &> drawn[] = {
        {partFiles.Outline, layers.outline},
        {partFiles.Eyes, layers.eyes},
        {partFiles.Hair, layers.hair},
        {partFiles.Mouth, layers.mouth}};
    for (const auto &[entry, part] : drawn) {
        if (entry.isEmpty() || !part.isNull())
            continue;
        // Looked at again only when no picture came: what kept it out is
        // told from the file as it is now, which is what was just read.
        const QString why = failure(entry);
        if (why.isEmpty()) {
            if (unreadable)
                unreadable->append(entry);
        } else if (failed) {
            failed->append(u"%1 (%2)"_s.arg(entry, why));
        }
    }
    return layers;
}

QString PartCache::failure(const QString &entry) const
{
    // Outside the library, or missing, a part is never read.
    const QString path = Composite::realPartPath(m_appDir, entry);
    if (path.isEmpty())
        return {};
    QFile file;
    const RegularFile::Result opened = RegularFile::open(path, file);
    if (opened.error == RegularFile::Result::Error::System)
        return QFileInfo::exists(path) ? opened.reason : QString();
    if (!opened.ok())
        return {};
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!reader.canRead() || size.isEmpty())
        return {};
    const qint64 limit = qint64(QImageReader::allocationLimit()) << 20;
    if (limit > 0 && qint64(size.width()) * size.height() * 4 > limit) {
        return u"%1 × %2 pixels, more than the reader takes"_s.arg(size.width()).arg(size.height());
    }
    return u"a %1 × %2 %3 picture that could not be decoded"_s.arg(size.width())
        .arg(size.height())
        .arg(QString::fromLatin1(reader.format()).toUpper());
}

} // namespace BatchRender
