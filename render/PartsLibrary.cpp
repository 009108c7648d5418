#include "render/PartsLibrary.h"

#include "selection/FaceCodeRules.h"
#include "selection/FileListing.h"

#include <QRandomGenerator>

#include <optional>

using namespace Qt::StringLiterals;

namespace BatchRender {

namespace {

// A face code names positions 0 to 99.
constexpr int kNameable = 100;

int nameable(const QStringList &parts)
{
    return int(qMin<qsizetype>(parts.size(), kNameable));
}

} // namespace

PartsLibrary::PartsLibrary(const QString &appDir) : m_appDir(appDir)
{
    for (Category category : Categories::Drawing) {
        m_parts[size_t(category)] =
            FileListing::ListFiles(u"*.*"_s, appDir + u'/' + Categories::word(category) + u'/');
    }
}

Face PartsLibrary::faceFromCode(const QString &code) const
{
    const FaceParts fields = FaceCodeRules::splitFields(code);
    Face face;
    for (Category category : Categories::Drawing) {
        const QStringList &list = parts(category);
        // A fresh picker stands at 0.
        const int position = FaceCodeRules::positionFor(Categories::field(fields, category), 0,
                                                        int(list.size()) - 1);
        if (position >= list.size())
            continue;
        // What a picker reports when it takes the part.
        Categories::field(face.PartFiles, category) =
            Categories::partEntry(category, list.at(position));
        Categories::field(face.PartCodes, category) = Categories::partCode(position);
    }
    return face;
}

qint64 PartsLibrary::faceCount() const
{
    qint64 count = 1;
    for (Category category : Categories::Drawing)
        count *= qMax(1, nameable(parts(category)));
    return count;
}

QString PartsLibrary::randomCode(QRandomGenerator &random) const
{
    QString code = u"4"_s;
    for (Category category : Categories::Drawing) {
        const int count = nameable(parts(category));
        const int position = count > 0 ? int(random.bounded(count)) : 0;
        code += Categories::partCode(position);
    }
    return code;
}

} // namespace BatchRender
