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
    switch (result.error) {
    case AtomicFile::Result::Error::NotRegularFile:
        return notRegularFile();
    case AtomicFile::Result::Error::Link:
        return u"ほかの場所へのリンクです。リンクの先には書き込みません。"_s;
    case AtomicFile::Result::Error::OthersFile:
        return u"ほかのユーザーのファイルです。"_s;
    case AtomicFile::Result::Error::None:
    case AtomicFile::Result::Error::System:
        break;
    }
    return result.reason;
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
