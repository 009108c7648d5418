#pragma once

#include <QString>

// Small path helpers shared by the file dialogs and the commands that use them.
namespace FileDlgMod {

// The part of text before its first NUL character; all of it when it holds
// none. Names handed over in fixed buffers end at the first NUL.
QString CutAtNull(const QString &text);

// path with the folder separator "/" after it, unless it already ends in one,
// so that a file name can simply be appended. The rule has no exceptions: ""
// becomes "/" (the root) and "/" stays as it is. A backslash is an ordinary
// character in names here, so it is not taken for a separator.
QString AddBackslash(const QString &path);

// The folder the folder dialog selects when it opens; every folder dialog
// writes the folder it was asked to start from here.
QString BrowseDefDir();
void setBrowseDefDir(const QString &folder);

} // namespace FileDlgMod
