#include "render/PartsLibrary.h"

#include "selection/FileListing.h"

namespace BatchRender {

PartsLibrary::PartsLibrary(const QString &appDir)
    : m_appDir(appDir), m_parts(FileListing::listLibrary(appDir))
{
}

Face PartsLibrary::faceFromCode(const QString &code) const
{
    return FaceCode::faceFromCode(code, m_parts);
}

qint64 PartsLibrary::faceCount() const
{
    qint64 count = 1;
    for (Category category : Categories::Drawing)
        count *= qMax(1, FaceCode::nameable(parts(category)));
    return count;
}

QString PartsLibrary::randomCode(QRandomGenerator &random) const
{
    return FaceCode::randomCode(m_parts, random);
}

} // namespace BatchRender
