#include "platform/PictureCache.h"

#include "platform/PictureFile.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

#include <ctime>
#include <memory>

#include <sys/stat.h>

namespace {

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// What the system says of a file: enough to tell whether it is still the file
// a picture was decoded from.
struct Stamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modified = 0; // nanoseconds since the epoch

    explicit Stamp(const struct stat &info)
        : device(info.st_dev), inode(info.st_ino), size(info.st_size),
          modified(nanoseconds(info.st_mtim))
    {
    }
    bool operator==(const Stamp &other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified == other.modified;
    }
};

// A file changed this recently may change again without its stamp showing
// it: the system takes modification times from a clock that advances in
// ticks (a few milliseconds on Linux's own filesystems, two seconds on a FAT
// stick), so a rewrite of the same length within the tick of the last one
// leaves size and time as they were. Its picture is not kept until the file
// has been quiet this long.
constexpr qint64 kSettleNanoseconds = 2'000'000'000;

} // namespace

struct PictureCache::Private
{
    struct Entry
    {
        Stamp stamp;
        QImage image;
        quint64 used; // when it was last read, on the clock below
    };

    Private(qsizetype byteBudget, int countLimit) : budget(byteBudget), count(qMax(1, countLimit))
    {
    }

    void forget(const QString &path)
    {
        const auto found = entries.find(path);
        if (found == entries.end())
            return;
        bytes -= found->image.sizeInBytes();
        entries.erase(found);
    }

    void store(const QString &path, const Stamp &stamp, const QImage &image)
    {
        forget(path);
        if (image.sizeInBytes() > budget)
            return;
        entries.insert(path, Entry{stamp, image, ++clock});
        bytes += image.sizeInBytes();
        while (bytes > budget || entries.size() > count) {
            // Over the budget, the largest picture goes (the least recently
            // used of equals), since dropping it frees the most; over the
            // count, the least recently used one. The one just stored stays.
            const bool overBudget = bytes > budget;
            auto victim = entries.end();
            for (auto it = entries.begin(); it != entries.end(); ++it) {
                if (it.key() == path)
                    continue;
                if (victim == entries.end()) {
                    victim = it;
                    continue;
                }
                const qsizetype size = it->image.sizeInBytes();
                const qsizetype victimSize = victim->image.sizeInBytes();
                const bool older = it->used < victim->used;
                if (overBudget ? size > victimSize || (size == victimSize && older) : older)
                    victim = it;
            }
            if (victim == entries.end())
                break;
            bytes -= victim->image.sizeInBytes();
            entries.erase(victim);
        }
    }

    // A picture one thread is decoding, which the others asking for the same
    // file as it is wait for instead of decoding it too.
    struct Decoding
    {
        Stamp stamp;
        bool done = false;
        QImage image;
    };

    const qsizetype budget;
    const int count;
    QMutex mutex;
    QWaitCondition decoded;
    QHash<QString, Entry> entries;                       // by path
    QHash<QString, std::shared_ptr<Decoding>> decodings; // by path
    qsizetype bytes = 0;
    quint64 clock = 0;
};

PictureCache::PictureCache(qsizetype budget, int count)
    : d(std::make_unique<Private>(budget, count))
{
}

PictureCache::~PictureCache() = default;

QImage PictureCache::read(const QString &path)
{
    timespec started{};
    ::clock_gettime(CLOCK_REALTIME, &started);
    // The stamp is taken from the open file itself, not from the path: what
    // is compared and what is decoded are then one and the same file, even
    // when another one is renamed over the path meanwhile. A file rewritten
    // in place while it is decoded may give a torn picture; its writer gives
    // it a new time, so that picture is not kept (see kSettleNanoseconds) and
    // the next read decodes the file again.
    QFile file;
    struct stat info;
    if (!RegularFile::open(path, file).ok() || ::fstat(file.handle(), &info) != 0) {
        const QMutexLocker lock(&d->mutex);
        d->forget(path);
        return {};
    }
    const Stamp stamp(info);
    std::shared_ptr<Private::Decoding> decoding;
    {
        QMutexLocker lock(&d->mutex);
        const auto found = d->entries.find(path);
        if (found != d->entries.end() && found->stamp == stamp) {
            found->used = ++d->clock;
            return found->image;
        }
        // A large picture decoded by several threads at once would take its
        // memory as many times: the same file is decoded once, the others
        // wait for it.
        if (const auto other = d->decodings.constFind(path);
            other != d->decodings.cend() && (*other)->stamp == stamp) {
            const std::shared_ptr<Private::Decoding> shared = *other;
            while (!shared->done)
                d->decoded.wait(lock.mutex());
            return shared->image;
        }
        decoding = std::make_shared<Private::Decoding>(Private::Decoding{stamp, false, {}});
        d->decodings.insert(path, decoding);
    }
    // Decoded outside the lock, so that other threads go on reading meanwhile.
    QImage image = PictureFile::read(file);
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    // A file that holds no picture is not kept: it may be one still being
    // written, and is tried again at the next read.
    const QMutexLocker lock(&d->mutex);
    if (d->decodings.value(path) == decoding)
        d->decodings.remove(path);
    decoding->image = image;
    decoding->done = true;
    d->decoded.wakeAll();
    if (!image.isNull() && stamp.modified < nanoseconds(started) - kSettleNanoseconds)
        d->store(path, stamp, image);
    else
        d->forget(path);
    return image;
}

PictureCache &PictureCache::shared()
{
    static PictureCache cache;
    return cache;
}
