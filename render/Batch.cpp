#include "render/Batch.h"

#include "document/FaceFile.h"
#include "platform/RegularFile.h"

#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

using namespace Qt::StringLiterals;

namespace BatchRender {

namespace {

QString refusal(const FaceFile::Reason &reason)
{
    if (reason.error == FaceFile::Error::TooFewFields)
        return u"not a face file (it ends before its tenth field)"_s;
    return u"not a face file (a field holds a control character)"_s;
}

// The threads Qt failed to make while this thread asked for them, and the
// system's reason for the last one.
thread_local int t_threadsNotMade = 0;
thread_local QString t_threadReason;

// Threads of the global pool that were never made but that the pool counts
// as busy for good.
std::atomic<int> s_deadThreads{0};

QString writeRefusal(const AtomicFile::Result &written)
{
    switch (written.error) {
    case AtomicFile::Result::Error::NotRegularFile:
        return u"not a regular file, left as it is"_s;
    case AtomicFile::Result::Error::Link:
        return u"a link the renderer does not write through, left as it is"_s;
    case AtomicFile::Result::Error::OthersFile:
        return u"another user's file, left as it is"_s;
    case AtomicFile::Result::Error::None:
    case AtomicFile::Result::Error::System:
        break;
    }
    return written.reason;
}

} // namespace

bool takeThreadWarning(const QString &message)
{
    static const QString prefix = u"QThread::start: Thread creation error"_s;
    if (!message.startsWith(prefix))
        return false;
    ++t_threadsNotMade;
    // "... error (Resource temporarily unavailable)"
    t_threadReason = message.mid(prefix.size()).trimmed();
    if (t_threadReason.startsWith(u'(') && t_threadReason.endsWith(u')'))
        t_threadReason = t_threadReason.mid(1, t_threadReason.size() - 2);
    return true;
}

bool poolLostThreads()
{
    return s_deadThreads > 0;
}

std::optional<Face> readFaceFile(const QString &path, QString *reason)
{
    // Checked on the open file, which was opened without waiting: a FIFO or a
    // device put in its place at any moment can neither hold the batch up
    // nor be read.
    const RegularFile::Result file = RegularFile::head(path, FaceFile::MaxFileBytes);
    switch (file.error) {
    case RegularFile::Result::Error::None:
        break;
    case RegularFile::Result::Error::Folder:
        *reason = u"a folder, not a face file"_s;
        break;
    case RegularFile::Result::Error::NotRegularFile:
        *reason = u"not a regular file"_s;
        break;
    case RegularFile::Result::Error::System:
        *reason = file.reason;
        break;
    }
    const QByteArray &bytes = file.bytes;
    if (!reason->isEmpty())
        return std::nullopt;
    const FaceFile::ReadResult read = FaceFile::read(bytes);
    if (!read.ok()) {
        *reason = refusal(read.reason);
        return std::nullopt;
    }
    return Face{read.PartFiles, read.PartCodes};
}

Outcome draw(const Job &job, PartCache &cache, const Settings &settings)
{
    Face face = job.face;
    if (!job.isCode) {
        QString reason;
        const std::optional<Face> read = readFaceFile(job.input, &reason);
        if (!read)
            return {false, reason};
        face = *read;
    }
    QStringList unreadable;
    QStringList failed;
    const Composite::Layers layers = cache.layers(face.PartFiles, &unreadable, &failed);
    if (!failed.isEmpty()) {
        // Drawn without it, the face would be written as if it were whole.
        return {false,
                u"not drawn: the part %1 could not be read or decoded"_s.arg(failed.join(u", "_s))};
    }
    const AtomicFile::Result written =
        save(layers, settings.longerSide, job.format, job.output, memo(face), settings.quality);
    if (!written.ok()) {
        const QString why = writeRefusal(written);
        return {false, u"cannot write %1: %2"_s.arg(job.output, why)};
    }
    if (!unreadable.isEmpty()) {
        return {true,
                u"drawn without the part %1, which is no picture"_s.arg(unreadable.join(u", "_s))};
    }
    return {true, {}};
}

bool run(const QList<Job> &jobs, PartCache &cache, const Settings &settings, int threads,
         const std::function<void(qsizetype, const Outcome &)> &report,
         const std::function<void(qsizetype)> &progress, QString *reason)
{
    const qsizetype count = jobs.size();
    if (count == 0)
        return true;
    if (threads <= 0)
        threads = QThread::idealThreadCount();
    threads = int(qBound<qsizetype>(1, qsizetype(threads), count));

    std::vector<Outcome> outcomes(static_cast<size_t>(count));
    std::vector<char> finished(static_cast<size_t>(count), 0);
    std::atomic<qsizetype> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype doneCount = 0;
    int working = 0; // drawing threads not yet done

    const auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            Outcome outcome = draw(jobs.at(i), cache, settings);
            const std::lock_guard<std::mutex> lock(mutex);
            outcomes[size_t(i)] = std::move(outcome);
            finished[size_t(i)] = 1;
            ++doneCount;
            // The reporting thread looks in every tenth of a second anyway;
            // waking it for every face would cost more than drawing some.
            if (doneCount == count || doneCount % 64 == 0)
                changed.notify_one();
        }
        const std::lock_guard<std::mutex> lock(mutex);
        --working;
        changed.notify_one();
    };

    // The pool keeps the threads it makes and makes no more than these, so
    // that nothing later asks it for a thread that cannot be made.
    QThreadPool *pool = QThreadPool::globalInstance();
    pool->setExpiryTimeout(-1);
    pool->setMaxThreadCount(threads + s_deadThreads);
    int made = 0;
    for (; made < threads; ++made) {
        t_threadsNotMade = 0;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ++working;
        }
        pool->start(work);
        if (t_threadsNotMade > 0) {
            // That thread's work is never done; the ones made do it all.
            s_deadThreads += t_threadsNotMade;
            const std::lock_guard<std::mutex> lock(mutex);
            --working;
            break;
        }
    }
    if (made == 0) {
        if (reason)
            *reason = u"no thread to draw on can be started: %1"_s.arg(t_threadReason);
        return false;
    }

    // The calling thread reports, in order, what the workers have finished.
    qsizetype reported = 0;
    while (reported < count) {
        std::vector<std::pair<qsizetype, Outcome>> ready;
        qsizetype done = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(100),
                             [&] { return finished[size_t(reported)] != 0; });
            while (reported < count && finished[size_t(reported)]) {
                ready.emplace_back(reported, std::move(outcomes[size_t(reported)]));
                ++reported;
            }
            done = doneCount;
        }
        for (const auto &[index, outcome] : ready)
            report(index, outcome);
        if (progress)
            progress(done);
    }
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return working == 0; });
    return true;
}

} // namespace BatchRender
