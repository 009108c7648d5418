#include "platform/FileMessages.h"

using namespace Qt::StringLiterals;

namespace FileMessages {

QString notRegularFile()
{
    return u"通常のファイルではありません。"_s;
}

QString reason(const AtomicFile::Result &result)
{
    return result.error == AtomicFile::Result::Error::NotRegularFile ? notRegularFile()
                                                                     : result.reason;
}

} // namespace FileMessages
