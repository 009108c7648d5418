#include "document/FaceCode.h"

#include "document/Categories.h"

#include <algorithm>

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

} // namespace FaceCode
