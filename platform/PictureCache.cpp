#include "platform/PictureCache.h"

#include "platform/PictureFile.h"
#include "platform/RegularFile.h"
#include "platform/ScalablePicture.h"

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

namespace {

// A size as a key: width and height in one number; 0 for a file's own picture.
quint64 sizeKey(QSize size)
{
    return (quint64(quint32(size.width())) << 32) | quint32(size.height());
}

} // namespace

struct PictureCache::Private
{
    struct Drawn
    {
        QImage image;
        quint64 used;
    };
    struct Entry
    {
        Stamp stamp;
        PictureFile::Picture picture;
        quint64 used;                // when it was last read, on the clock below
        QHash<quint64, Drawn> drawn; // pictures of the drawing, by size
        qsizetype ownBytes() const
        {
            return picture.drawing ? picture.drawing->bytes() : picture.image.sizeInBytes();
        }
    };

    Private(qsizetype byteBudget, int countLimit) : budget(byteBudget), count(qMax(1, countLimit))
    {
    }

    void forget(const QString &path)
    {
        const auto found = entries.find(path);
        if (found == entries.end())
            return;
        bytes -= found->ownBytes();
        for (const Drawn &drawn : std::as_const(found->drawn))
            bytes -= drawn.image.sizeInBytes();
        units -= 1 + found->drawn.size();
        entries.erase(found);
    }

    void store(const QString &path, const Stamp &stamp, const PictureFile::Picture &picture)
    {
        forget(path);
        Entry entry{stamp, picture, ++clock, {}};
        if (entry.ownBytes() > budget)
            return;
        bytes += entry.ownBytes();
        ++units;
        entries.insert(path, entry);
        makeRoom(path, 0);
    }

    void storeDrawn(Entry &entry, const QString &path, quint64 size, const QImage &image)
    {
        if (image.sizeInBytes() > budget)
            return;
        entry.drawn.insert(size, Drawn{image, ++clock});
        bytes += image.sizeInBytes();
        ++units;
        makeRoom(path, size);
    }

    // Over the budget, the largest picture goes (the least recently used of
    // equals), since dropping it frees the most; over the count, the least
    // recently used one. The one just stored stays, and so does the file it
    // was drawn from; a file that goes takes its drawn pictures with it.
    void makeRoom(const QString &keptPath, quint64 keptSize)
    {
        while (bytes > budget || units > count) {
            const bool overBudget = bytes > budget;
            QString victimPath;
            quint64 victimSize = 0;
            qsizetype victimBytes = -1;
            quint64 victimUsed = 0;
            const auto consider = [&](const QString &path, quint64 size, qsizetype unitBytes,
                                      quint64 used) {
                if (path == keptPath && (size == keptSize || size == 0))
                    return;
                const bool older = used < victimUsed;
                if (victimBytes < 0 ||
                    (overBudget ? unitBytes > victimBytes || (unitBytes == victimBytes && older)
                                : older)) {
                    victimPath = path;
                    victimSize = size;
                    victimBytes = unitBytes;
                    victimUsed = used;
                }
            };
            for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
                consider(it.key(), 0, it->ownBytes(), it->used);
                for (auto drawn = it->drawn.cbegin(); drawn != it->drawn.cend(); ++drawn)
                    consider(it.key(), drawn.key(), drawn->image.sizeInBytes(), drawn->used);
            }
            if (victimBytes < 0)
                break;
            if (victimSize == 0) {
                forget(victimPath);
            } else {
                entries.find(victimPath)->drawn.remove(victimSize);
                bytes -= victimBytes;
                --units;
            }
        }
    }

    // A picture one thread is decoding, which the others asking for the same
    // file as it is wait for instead of decoding it too.
    struct Decoding
    {
        Stamp stamp;
        bool done = false;
        PictureFile::Picture picture;
    };

    const qsizetype budget;
    const int count;
    QMutex mutex;
    QWaitCondition decoded;
    QHash<QString, Entry> entries;                       // by path
    QHash<QString, std::shared_ptr<Decoding>> decodings; // by path
    qsizetype bytes = 0;
    int units = 0; // pictures and drawings kept
    quint64 clock = 0;
};

PictureCache::PictureCache(qsizetype budget, int count)
    : d(std::make_unique<Private>(budget, count))
{
}

PictureCache::~PictureCache() = default;

QImage PictureCache::read(const QString &path)
{
    const PictureFile::Picture picture = load(path);
    return picture.drawing ? drawn(path, picture.drawing, picture.drawing->size()) : picture.image;
}

PictureFile::Picture PictureCache::load(const QString &path)
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
            return found->picture;
        }
        // A large picture decoded by several threads at once would take its
        // memory as many times: the same file is decoded once, the others
        // wait for it.
        if (const auto other = d->decodings.constFind(path);
            other != d->decodings.cend() && (*other)->stamp == stamp) {
            const std::shared_ptr<Private::Decoding> shared = *other;
            while (!shared->done)
                d->decoded.wait(lock.mutex());
            return shared->picture;
        }
        decoding = std::make_shared<Private::Decoding>(Private::Decoding{stamp, false, {}});
        d->decodings.insert(path, decoding);
    }
    // Decoded outside the lock, so that other threads go on reading meanwhile.
    PictureFile::Picture picture = PictureFile::load(file);
    if (picture.image.hasAlphaChannel())
        picture.image.convertTo(QImage::Format_ARGB32_Premultiplied);
    // A file that holds no picture is not kept: it may be one still being
    // written, and is tried again at the next read.
    const QMutexLocker lock(&d->mutex);
    if (d->decodings.value(path) == decoding)
        d->decodings.remove(path);
    decoding->picture = picture;
    decoding->done = true;
    d->decoded.wakeAll();
    if (!picture.isNull() && stamp.modified < nanoseconds(started) - kSettleNanoseconds)
        d->store(path, stamp, picture);
    else
        d->forget(path);
    return picture;
}

QImage PictureCache::drawn(const QString &path,
                           const std::shared_ptr<const ScalablePicture> &drawing, QSize pixels)
{
    if (!drawing || pixels.isEmpty())
        return {};
    const quint64 size = sizeKey(pixels);
    {
        const QMutexLocker lock(&d->mutex);
        const auto found = d->entries.find(path);
        if (found != d->entries.end() && found->picture.drawing == drawing) {
            const auto kept = found->drawn.find(size);
            if (kept != found->drawn.end()) {
                kept->used = found->used = ++d->clock;
                return kept->image;
            }
        }
    }
    // Drawn outside the lock, as a file is decoded; kept only while the file
    // is still the one the drawing was read from.
    const QImage image = drawing->picture(pixels);
    const QMutexLocker lock(&d->mutex);
    const auto found = d->entries.find(path);
    if (!image.isNull() && found != d->entries.end() && found->picture.drawing == drawing)
        d->storeDrawn(*found, path, size, image);
    return image;
}

PictureCache &PictureCache::shared()
{
    static PictureCache cache;
    return cache;
}
