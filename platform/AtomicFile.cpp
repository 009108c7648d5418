#include "platform/AtomicFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

namespace {

Result systemError(int error)
{
    return {Result::Error::System, QString::fromLocal8Bit(std::strerror(error))};
}

// A descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Every byte on the disk, or the system's reason.
int writeDurably(int fd, const QByteArray &bytes)
{
    if (const int error = writeAll(fd, bytes))
        return error;
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

// The file path leads to: the path itself, or, for a symbolic link, the file
// at the end of its chain when every link on the way and that file are the
// user's own. Nothing, with the reason in refusal, otherwise.
std::optional<QByteArray> destination(const QByteArray &path, struct stat &info, bool &exists,
                                      Result &refusal)
{
    exists = ::lstat(path.constData(), &info) == 0;
    if (!exists) {
        if (errno == ENOENT)
            return path;
        refusal = systemError(errno);
        return std::nullopt;
    }
    if (!S_ISLNK(info.st_mode))
        return path;

    const uid_t user = ::geteuid();
    QByteArray at = path;
    for (int hops = 0; S_ISLNK(info.st_mode); ++hops) {
        if (info.st_uid != user || hops == 40) {
            refusal = {Result::Error::Link, {}};
            return std::nullopt;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(at.constData(), target, sizeof target);
        if (length < 0 || length == ssize_t(sizeof target)) {
            refusal = length < 0 ? systemError(errno) : systemError(ENAMETOOLONG);
            return std::nullopt;
        }
        QByteArray next(target, length);
        if (!next.startsWith('/')) {
            const qsizetype slash = at.lastIndexOf('/');
            next = (slash >= 0 ? at.left(slash + 1) : QByteArray()) + next;
        }
        at = next;
        if (::lstat(at.constData(), &info) != 0) {
            // A link that leads nowhere: writing would create a file where
            // the link points, which the user never chose.
            refusal = errno == ENOENT ? Result{Result::Error::Link, {}} : systemError(errno);
            return std::nullopt;
        }
    }
    if (S_ISREG(info.st_mode) && info.st_uid != user) {
        refusal = {Result::Error::Link, {}};
        return std::nullopt;
    }
    return at;
}

// An empty file is written where it stands: a reader that holds it open
// sees the picture, which a rename would put under the name only.
Result writeInPlace(const QByteArray &path, const struct stat &info, const QByteArray &bytes,
                    bool &done)
{
    done = false;
    const Descriptor file(::open(path.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened;
    if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        opened.st_dev != info.st_dev || opened.st_ino != info.st_ino || opened.st_size != 0) {
        // Changed since it was looked at: replaced like any other file.
        return {};
    }
    done = true;
    if (const int error = writeDurably(file.get(), bytes)) {
        // Empty again, as it was.
        if (::ftruncate(file.get(), 0) != 0) {
            // Nothing more can be done for it; the reason of the write stands.
        }
        return systemError(error);
    }
    return {};
}

QByteArray temporaryName()
{
    return ".kaogumi-" + QByteArray::number(QRandomGenerator::global()->generate(), 16) + ".tmp";
}

Result replace(const Target &target, const QByteArray &bytes)
{
    const QByteArray &path = target.path;
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? "/" : path.left(slash);
    const QByteArray name = path.mid(slash + 1);
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return systemError(errno);

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = temporaryName();
        fd = ::openat(dir.get(), temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return systemError(errno);
    }
    if (fd < 0)
        return systemError(EEXIST);
    const Descriptor file(fd);
    const auto discard = [&](Result result) {
        ::unlinkat(dir.get(), temporary.constData(), 0);
        return result;
    };

    if (const Result kept = keepIdentity(fd, target); !kept.ok())
        return discard(kept);
    if (const int error = writeDurably(fd, bytes))
        return discard(systemError(error));
    if (::renameat(dir.get(), temporary.constData(), dir.get(), name.constData()) != 0)
        return discard(systemError(errno));
    // The new name is on the disk only once the folder is.
    ::fsync(dir.get());
    return {};
}

} // namespace

int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        left -= written;
    }
    return 0;
}

Result target(const QString &path, Target *target)
{
    struct stat info;
    bool exists = false;
    Result refusal;
    const std::optional<QByteArray> at =
        destination(QFile::encodeName(path), info, exists, refusal);
    if (!at)
        return refusal;
    // The file is replaced by renaming, which would just as well put a
    // regular file in place of a device node or a FIFO; those are refused.
    if (exists && !S_ISREG(info.st_mode))
        return {Result::Error::NotRegularFile, {}};
    *target = Target{*at, exists, quint32(info.st_mode & 07777), quint32(info.st_uid),
                     quint32(info.st_gid)};
    return {};
}

Result keepIdentity(int fd, const Target &target)
{
    if (!target.exists)
        return {};
    // The file stays what it was to everyone else: its mode, its owner and
    // its group. Only root may give a file to another user; a file whose
    // owner or group cannot be kept is left alone.
    struct stat made;
    if (::fstat(fd, &made) != 0)
        return systemError(errno);
    if ((made.st_uid != target.owner || made.st_gid != target.group) &&
        ::fchown(fd, target.owner, target.group) != 0) {
        return errno == EPERM ? Result{Result::Error::OthersFile, {}} : systemError(errno);
    }
    if (::fchmod(fd, target.mode) != 0)
        return systemError(errno);
    return {};
}

Result write(const QString &path, const QByteArray &bytes)
{
    Target to;
    if (const Result refused = target(path, &to); !refused.ok())
        return refused;
    if (to.exists) {
        // An empty file with no other name is written where it stands.
        struct stat info;
        if (::lstat(to.path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_size == 0 && info.st_nlink == 1) {
            bool done = false;
            const Result written = writeInPlace(to.path, info, bytes, done);
            if (done)
                return written;
        }
    }
    return replace(to, bytes);
}

} // namespace AtomicFile
