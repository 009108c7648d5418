#pragma once

#include <QFileIconProvider>
#include <QMimeDatabase>

// The icons and the type texts of the file dialog's list, told from each
// entry's name and kind (folder, file, special file) alone. Qt's own provider
// guesses a file's type from its content: opening a FIFO, a device or a file
// such as /proc/kmsg for that blocks the dialog for good. Nothing here opens
// a file; a stat of the entry is all it looks at.
class FileKindIcons final : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;

private:
    QMimeDatabase m_types;
};
