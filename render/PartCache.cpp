#include "render/PartCache.h"

#include <QMutexLocker>

namespace BatchRender {

QImage PartCache::part(const QString &entry, QStringList *unreadable)
{
    if (entry.isEmpty())
        return {};
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_parts.constFind(entry);
        if (found != m_parts.cend()) {
            if (found->isNull() && unreadable)
                unreadable->append(entry);
            return *found;
        }
    }
    // Read outside the lock, so the other threads go on drawing meanwhile; two
    // threads may read the same part at the same moment, and the first one
    // stored is kept.
    QImage image = Composite::loadPart(m_appDir, entry);
    // Painting converts a picture to premultiplied alpha every time it is
    // drawn; done once here, it is not done again for every face.
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() && unreadable)
        unreadable->append(entry);
    const QMutexLocker lock(&m_mutex);
    auto stored = m_parts.constFind(entry);
    if (stored == m_parts.cend())
        stored = m_parts.insert(entry, image);
    return *stored;
}

Composite::Layers PartCache::layers(const FaceParts &partFiles, QStringList *unreadable)
{
    Composite::Layers layers;
    layers.outline = part(partFiles.Outline, unreadable);
    layers.eyes = part(partFiles.Eyes, unreadable);
    layers.hair = part(partFiles.Hair, unreadable);
    layers.mouth = part(partFiles.Mouth, unreadable);
    return layers;
}

} // namespace BatchRender
