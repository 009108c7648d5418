#pragma once

#include "document/Composite.h"
#include "document/FaceParts.h"

#include <QString>
#include <QStringList>

namespace BatchRender {

// The part pictures of a parts library for every face of a batch, from any
// thread. Each picture is decoded once and shared while its file stays as it
// was, through the program's one picture cache.
class PartCache
{
public:
    explicit PartCache(const QString &appDir) : m_appDir(appDir) {}

    // The four pictures of a face, as Composite::loadLayers reads them. The
    // entries that name a part but give no picture are added to unreadable.
    Composite::Layers layers(const FaceParts &partFiles, QStringList *unreadable = nullptr) const;

private:
    const QString m_appDir;
};

} // namespace BatchRender
