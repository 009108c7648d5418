#include "platform/AtomicBatch.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

AtomicFile::Result systemError(int error)
{
    return {AtomicFile::Result::Error::System, QString::fromLocal8Bit(std::strerror(error))};
}

constexpr char kPrefix[] = ".kaogumi-render-";
constexpr char kSuffix[] = ".tmp";
constexpr int kRandomLetters = 6;
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QByteArray temporaryName()
{
    QByteArray name(kPrefix);
    for (int i = 0; i < kRandomLetters; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return name + kSuffix;
}

bool isTemporaryName(const char *name)
{
    const size_t length = std::strlen(name);
    const size_t prefix = sizeof kPrefix - 1;
    const size_t suffix = sizeof kSuffix - 1;
    if (length != prefix + kRandomLetters + suffix || std::strncmp(name, kPrefix, prefix) != 0 ||
        std::strcmp(name + prefix + kRandomLetters, kSuffix) != 0) {
        return false;
    }
    for (size_t i = prefix; i < prefix + kRandomLetters; ++i) {
        if (!std::strchr(kLetters, name[i]))
            return false;
    }
    return true;
}

// Removes what earlier batches cut short left in the folder open at fd.
void removeLeftovers(int fd)
{
    const int listing = ::dup(fd);
    DIR *dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    ::rewinddir(dir);
    while (const dirent *entry = ::readdir(dir)) {
        struct stat info;
        if (isTemporaryName(entry->d_name) &&
            ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            ::unlinkat(fd, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

} // namespace

struct AtomicBatch::Private
{
    struct Folder
    {
        int fd = -1;
        dev_t device = 0;
    };

    // The folder's index, opened and locked at its first use.
    int folder(const QByteArray &path, AtomicFile::Result *error)
    {
        const QMutexLocker lock(&mutex);
        if (const auto found = indexes.constFind(path); found != indexes.cend())
            return *found;
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat info;
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            *error = systemError(errno);
            if (fd >= 0)
                ::close(fd);
            return -1;
        }
        // Leftovers are removed only when no other batch is writing here:
        // each holds a shared lock on the folder as long as it runs.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            removeLeftovers(fd);
        while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
        }
        folders.push_back({fd, info.st_dev});
        indexes.insert(path, int(folders.size()) - 1);
        return int(folders.size()) - 1;
    }

    int fd(int index)
    {
        const QMutexLocker lock(&mutex);
        return folders[size_t(index)].fd;
    }

    QMutex mutex;
    std::vector<Folder> folders;
    QHash<QByteArray, int> indexes;
    // Temporary files not committed yet: folder index and name.
    std::set<std::pair<int, QByteArray>> pending;
};

AtomicBatch::AtomicBatch() : d(std::make_unique<Private>()) {}

AtomicBatch::~AtomicBatch()
{
    for (const auto &[folder, name] : d->pending)
        ::unlinkat(d->folders[size_t(folder)].fd, name.constData(), 0);
    for (const Private::Folder &folder : d->folders)
        ::close(folder.fd);
}

AtomicFile::Result AtomicBatch::add(const QString &path, const QByteArray &bytes, Staged *staged)
{
    AtomicFile::Target target;
    if (const AtomicFile::Result refused = AtomicFile::target(path, &target); !refused.ok())
        return refused;
    const qsizetype slash = target.path.lastIndexOf('/');
    const QByteArray folderPath = slash < 0    ? QByteArray(".")
                                  : slash == 0 ? QByteArray("/")
                                               : target.path.left(slash);
    AtomicFile::Result error;
    const int folder = d->folder(folderPath, &error);
    if (folder < 0)
        return error;
    const int dir = d->fd(folder);

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = temporaryName();
        fd = ::openat(dir, temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return systemError(errno);
    }
    if (fd < 0)
        return systemError(EEXIST);
    AtomicFile::Result result = AtomicFile::keepIdentity(fd, target);
    if (result.ok()) {
        if (const int failed = AtomicFile::writeAll(fd, bytes))
            result = systemError(failed);
    }
    // The write-back is left to the flush at the commit. Started here for
    // each file (sync_file_range), it made a batch of 3,000 faces onto an
    // ext4 disk 15 % slower: a small write of its own for every file, on
    // the threads that draw.
    if (::close(fd) != 0 && result.ok())
        result = systemError(errno);
    if (!result.ok()) {
        ::unlinkat(dir, temporary.constData(), 0);
        return result;
    }
    {
        const QMutexLocker lock(&d->mutex);
        d->pending.insert({folder, temporary});
    }
    *staged = Staged{target, temporary, folder};
    return {};
}

std::vector<AtomicFile::Result> AtomicBatch::commit(const std::vector<Staged> &files)
{
    std::vector<AtomicFile::Result> results(files.size());
    std::vector<Private::Folder> folders;
    {
        const QMutexLocker lock(&d->mutex);
        folders = d->folders;
    }
    // One flush for each filesystem: every file on it is on the disk after
    // it, or the write-back of one of them failed and none is taken.
    std::set<int> touched;
    for (const Staged &file : files)
        touched.insert(file.folder);
    QHash<dev_t, AtomicFile::Result> flushed;
    for (const int folder : touched) {
        const Private::Folder &f = folders[size_t(folder)];
        if (!flushed.contains(f.device))
            flushed.insert(f.device,
                           ::syncfs(f.fd) == 0 ? AtomicFile::Result{} : systemError(errno));
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const Staged &file = files[i];
        const int dir = folders[size_t(file.folder)].fd;
        AtomicFile::Result &result = results[i];
        result = flushed.value(folders[size_t(file.folder)].device);
        // What stands at the name now is looked at again: it may have
        // changed since the file was added.
        AtomicFile::Target now;
        if (result.ok())
            result = AtomicFile::target(QFile::decodeName(file.target.path), &now);
        if (result.ok() && now.path != file.target.path)
            result = {AtomicFile::Result::Error::Link, {}};
        const QByteArray name = file.target.path.mid(file.target.path.lastIndexOf('/') + 1);
        if (result.ok() &&
            ::renameat(dir, file.temporary.constData(), dir, name.constData()) != 0) {
            result = systemError(errno);
        }
        if (!result.ok())
            ::unlinkat(dir, file.temporary.constData(), 0);
        const QMutexLocker lock(&d->mutex);
        d->pending.erase({file.folder, file.temporary});
    }
    // The new names are on the disk only once their folders are.
    for (const int folder : touched)
        ::fsync(folders[size_t(folder)].fd);
    return results;
}
