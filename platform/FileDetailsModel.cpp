#include "platform/FileDetailsModel.h"

#include <QFileSystemModel>
#include <QLocale>

QVariant FileDetailsModel::data(const QModelIndex &index, int role) const
{
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (role != Qt::DisplayRole || !files || (index.column() != Size && index.column() != Modified))
        return QIdentityProxyModel::data(index, role);

    const QModelIndex source = mapToSource(index);
    const QLocale locale;
    if (index.column() == Modified)
        return locale.toString(files->lastModified(source), QLocale::ShortFormat);
    // Folders show no size; nor do FIFOs and devices, whose size Qt gives as -1.
    const qint64 size = files->size(source);
    if (files->isDir(source) || size < 0)
        return QString();
    return locale.formattedDataSize(size);
}
