#pragma once

#include "document/Composite.h"
#include "document/FaceParts.h"

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace BatchRender {

// The part pictures of a parts library, each read once and then shared by
// every face that uses it, from any thread.
class PartCache
{
public:
    explicit PartCache(const QString &appDir) : m_appDir(appDir) {}

    // The four pictures of a face, as Composite::loadLayers reads them. The
    // entries that name a part but give no picture are added to unreadable.
    Composite::Layers layers(const FaceParts &partFiles, QStringList *unreadable = nullptr);

private:
    QImage part(const QString &entry, QStringList *unreadable);

    const QString m_appDir;
    QMutex m_mutex;
    QHash<QString, QImage> m_parts; // by entry; a null image for an unreadable one
};

} // namespace BatchRender
