#include "platform/FileKindIcons.h"

#include <QFileInfo>
#include <QMimeType>

using namespace Qt::StringLiterals;

QIcon FileKindIcons::icon(const QFileInfo &info) const
{
    return icon(info.isDir() ? Folder : File);
}

QString FileKindIcons::type(const QFileInfo &info) const
{
    if (info.isDir())
        return u"フォルダー"_s;
    // By the name only: the database's description ("PNG 画像") for an
    // extension it knows, and for a FIFO, a device or a socket the name of
    // its kind ("パイプ"), which the same stat tells.
    const QMimeType known = m_types.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    if (!known.isDefault() && !known.comment().isEmpty())
        return known.comment();
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? u"ファイル"_s : suffix.toUpper() + u" ファイル"_s;
}
