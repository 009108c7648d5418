#include "platform/FileMessages.h"

#include <QDir>

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

QString cannotRead(const QString &path, const RegularFile::Result &result)
{
    QString why = result.reason;
    if (result.error == RegularFile::Result::Error::Folder)
        why = u"フォルダです。"_s;
    else if (result.error == RegularFile::Result::Error::NotRegularFile)
        why = notRegularFile();
    return u"「%1」を読み込めませんでした。\r%2"_s.arg(QDir::toNativeSeparators(path), why);
}

} // namespace FileMessages
