#include "FullFilesystem.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Moves the calling thread, the one the test runs on, into a mount namespace
// of its own whose mounts do not spread back to the system's, once.
void enterPrivateMounts()
{
    static const bool entered = ::unshare(CLONE_NEWNS) == 0 &&
                                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    Q_UNUSED(entered); // without one, the mount is made where the test stands
}

} // namespace

FullFilesystem::FullFilesystem(const QString &folder, const Files &files, State state)
    : m_folder(folder)
{
    enterPrivateMounts();
    const QByteArray path = QFile::encodeName(folder);
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, "size=64k") != 0) {
        m_error = systemError();
        return;
    }
    m_mounted = true;
    for (const auto &[name, bytes] : files) {
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            m_error = file.errorString();
            return;
        }
    }
    if (state == State::ReadOnly) {
        if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            m_error = systemError();
        return;
    }
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_error = filler.errorString();
        return;
    }
    const QByteArray block(4096, 'x');
    while (filler.write(block) > 0) {
    }
    filler.close();
    // What is left after the last whole block is taken a byte at a time.
    const QByteArray small(1, 'x');
    while (filler.open(QIODevice::Append | QIODevice::Unbuffered) && filler.write(small) > 0)
        filler.close();
    filler.close();
    if (state == State::NearlyFull && !filler.resize(filler.size() - 8192))
        m_error = filler.errorString();
}

FullFilesystem::~FullFilesystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}
