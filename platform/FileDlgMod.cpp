#include "platform/FileDlgMod.h"

namespace FileDlgMod {

namespace {

QString &browseDefDir()
{
    static QString folder;
    return folder;
}

} // namespace

QString CutAtNull(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString AddBackslash(const QString &path)
{
    if (path.endsWith(u'/'))
        return path;
    return path + u'/';
}

QString BrowseDefDir()
{
    return browseDefDir();
}

void setBrowseDefDir(const QString &folder)
{
    browseDefDir() = folder;
}

} // namespace FileDlgMod
