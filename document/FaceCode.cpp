#include "document/FaceCode.h"

namespace FaceCode {

QString compose(const FaceParts &partCodes)
{
    const QString joined =
        u'4' + partCodes.Outline + partCodes.Eyes + partCodes.Hair + partCodes.Mouth;
    for (QChar c : joined) {
        if (c < u'0' || c > u'9')
            return joined;
    }
    // The leading "4" means there are never leading zeros to drop.
    return joined.rightJustified(4, u'0');
}

} // namespace FaceCode
