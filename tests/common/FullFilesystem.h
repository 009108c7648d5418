#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// A filesystem of 64 KiB mounted over a folder of the test's, holding the
// files given and then filled up to its last byte, or made read-only: a write
// there fails the way it fails on a real full disk or a read-only medium
// (root ignores file modes, so chmod proves nothing in CI).
//
// Mounting needs root. The mount is made in a mount namespace of the test's
// own where the system allows one, so that a test killed half-way leaves no
// mount behind; error() says why there is no filesystem, for the test to skip.
class FullFilesystem
{
public:
    // NearlyFull leaves 8 KiB free: a write larger than that fails part-way.
    enum class State { Full, NearlyFull, ReadOnly };
    using Files = QList<QPair<QString, QByteArray>>; // name inside the folder, bytes

    FullFilesystem(const QString &folder, const Files &files, State state = State::Full);
    ~FullFilesystem();
    FullFilesystem(const FullFilesystem &) = delete;
    FullFilesystem &operator=(const FullFilesystem &) = delete;

    // Empty when the filesystem is ready.
    QString error() const { return m_error; }

private:
    QString m_folder;
    QString m_error;
    bool m_mounted = false;
};
