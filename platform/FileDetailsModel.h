#pragma once

#include <QIdentityProxyModel>

// The file dialog's list as the user reads it: Qt's file system model writes
// sizes and dates in the desktop's locale (QLocale::system(), "80 bytes" under
// LANG=C), while the program speaks Japanese whatever the desktop's language.
// This writes them in the program's locale (QLocale()) instead; everything else
// passes through unchanged.
class FileDetailsModel final : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    // The columns of Qt's file system model.
    enum Column { Name, Size, Type, Modified };

    QVariant data(const QModelIndex &index, int role) const override;
};
