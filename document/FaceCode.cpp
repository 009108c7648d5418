#include "document/FaceCode.h"

#include "document/FaceCodeRules.h"

#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace FaceCode {

QString compose(const FaceParts &partCodes)
{
    QString joined = QStringLiteral("4");
    for (Category category : Categories::Drawing)
        joined += Categories::field(partCodes, category);
    for (QChar c : std::as_const(joined)) {
        if (c < u'0' || c > u'9')
            return joined;
    }
    // The leading "4" means there are never leading zeros to drop.
    return joined.rightJustified(4, u'0');
}

bool isCardCode(const QString &code)
{
    if (code.size() != 9 || code.at(0) != u'4')
        return false;
    return std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int nameable(const QStringList &parts)
{
    return int(qMin<qsizetype>(parts.size(), Nameable));
}

int position(const QString &code, Category category, int current, int highest)
{
    const FaceParts fields = FaceCodeRules::splitFields(code);
    return FaceCodeRules::positionFor(Categories::field(fields, category), current, highest);
}

void takePart(Face &face, Category category, const QStringList &parts, int position)
{
    Categories::field(face.PartFiles, category) =
        Categories::partEntry(category, parts.at(position));
    Categories::field(face.PartCodes, category) = Categories::partCode(position);
}

Face faceFromCode(const QString &code, const PartLists &parts)
{
    Face face;
    for (Category category : Categories::Drawing) {
        const QStringList &list = parts[size_t(category)];
        const int p = position(code, category, 0, int(list.size()) - 1);
        if (p < list.size())
            takePart(face, category, list, p);
    }
    return face;
}

QString randomCode(const PartLists &parts, QRandomGenerator &random)
{
    QString code = u"4"_s;
    for (Category category : Categories::Drawing) {
        const int count = nameable(parts[size_t(category)]);
        code += Categories::partCode(count > 0 ? int(random.bounded(count)) : 0);
    }
    return code;
}

Face randomFace(const Face &current, const PartLists &parts, const std::array<bool, 4> &kept,
                QRandomGenerator &random)
{
    // Drawn again while it comes out as the face already shown: each other
    // face stays as likely as the next.
    qint64 faces = 1;
    for (Category category : Categories::Drawing) {
        if (!kept[size_t(category)])
            faces *= qMax(1, nameable(parts[size_t(category)]));
    }
    Face face = current;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        for (Category category : Categories::Drawing) {
            const QStringList &list = parts[size_t(category)];
            const int count = nameable(list);
            if (!kept[size_t(category)] && count > 0)
                takePart(face, category, list, int(random.bounded(count)));
        }
        // A face of another library (parts a code cannot name) is left at
        // once; with one face to make, it is made even if already shown.
        if (face != current || faces <= 1)
            break;
    }
    return face;
}

} // namespace FaceCode
