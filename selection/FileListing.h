#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace FileListing {

// The bare names of the files in one folder that match pattern, in the order a
// Windows (NTFS) folder gives them, so a part sits at the same position in the
// picker whichever system the parts folder is on.
//
// pattern uses the wildcards of a Windows folder search (see Wildcard), letters
// matched without regard to case: "*.*" and "*" match every name, also one
// without a dot; "*.png" matches names whose last extension is png.
//
// folder ends with "/" (a "\\" is read as "/"); an empty folder means the
// folder the program runs from.
//
// Every regular file is listed, hidden ones and links to files included;
// folders, links to folders, broken links and special files are not. A folder
// that is missing or cannot be read lists as empty, without a message.
QStringList ListFiles(const QString &pattern, const QString &folder);

// The parts library in appDir: each category folder listed as its pickers
// list it, indexed by Category.
std::array<QStringList, 4> listLibrary(const QString &appDir);

} // namespace FileListing
