#include "render/PartCache.h"

namespace BatchRender {

Composite::Layers PartCache::layers(const FaceParts &partFiles, QStringList *unreadable) const
{
    const Composite::Layers layers = Composite::loadLayers(m_appDir, partFiles);
    if (unreadable) {
        const std::pair<const QString &, const QImage &> drawn[] = {
            {partFiles.Outline, layers.outline},
            {partFiles.Eyes, layers.eyes},
            {partFiles.Hair, layers.hair},
            {partFiles.Mouth, layers.mouth}};
        for (const auto &[entry, image] : drawn) {
            if (!entry.isEmpty() && image.isNull())
                unreadable->append(entry);
        }
    }
    return layers;
}

} // namespace BatchRender
