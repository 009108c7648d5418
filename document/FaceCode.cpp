#include "document/FaceCode.h"

#include "document/Categories.h"

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

} // namespace FaceCode
