#include "render/Batch.h"

#include "document/FaceFile.h"
#include "platform/AtomicBatch.h"
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

Outcome writeFailure(const Job &job, const AtomicFile::Result &written)
{
    return {false, u"cannot write %1: %2"_s.arg(job.output, writeRefusal(written))};
}

// A face drawn and encoded: the picture file's bytes, or the outcome that
// ends the job.
struct Made
{
    Outcome outcome;
    QByteArray bytes;
};

// Files written together are committed when this many wait, or when the
// oldest has waited this long.
constexpr qsizetype kCommitFaces = 4096;
constexpr std::chrono::seconds kCommitInterval{2};

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

namespace {

Made make(const Job &job, PartCache &cache, const Settings &settings)
{
    Face face = job.face;
    if (!job.isCode) {
        QString reason;
        const std::optional<Face> read = readFaceFile(job.input, &reason);
        if (!read)
            return {{false, reason}, {}};
        face = *read;
    }
    QStringList unreadable;
    QStringList failed;
    const Composite::Layers layers = cache.layers(face.PartFiles, &unreadable, &failed);
    if (!failed.isEmpty()) {
        // Drawn without it, the face would be written as if it were whole.
        return {{false, u"not drawn: the part %1 could not be read or decoded"_s.arg(
                            failed.join(u", "_s))},
                {}};
    }
    PictureEncoders::Encoded encoded =
        encode(layers, settings.longerSide, job.format, memo(face), settings.quality);
    if (!encoded.ok())
        return {writeFailure(job, encoded.result), {}};
    if (!unreadable.isEmpty()) {
        return {{true,
                 u"drawn without the part %1, which is no picture"_s.arg(unreadable.join(u", "_s))},
                std::move(encoded.bytes)};
    }
    return {{true, {}}, std::move(encoded.bytes)};
}

} // namespace

Outcome draw(const Job &job, PartCache &cache, const Settings &settings)
{
    const Made made = make(job, cache, settings);
    if (!made.outcome.ok)
        return made.outcome;
    const AtomicFile::Result written = AtomicFile::write(job.output, made.bytes);
    return written.ok() ? made.outcome : writeFailure(job, written);
}

bool run(const QList<Job> &jobs, PartCache &cache, const Settings &settings, int threads,
         const std::function<void(qsizetype, const Outcome &)> &report,
         const std::function<void(qsizetype)> &progress, QString *reason)
{
    const qsizetype count = jobs.size();
    if (count == 0)
        return true;
    const int cores = QThread::idealThreadCount();
    if (threads <= 0 || threads > cores)
        threads = cores;
    threads = int(qBound<qsizetype>(1, qsizetype(threads), count));

    std::vector<Outcome> outcomes(static_cast<size_t>(count));
    // Written together: each picture waits in the batch for its commit.
    AtomicBatch batch;
    std::vector<AtomicBatch::Staged> staged(settings.together ? size_t(count) : 0);
    std::vector<char> finished(static_cast<size_t>(count), 0);
    std::atomic<qsizetype> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype doneCount = 0;
    int working = 0; // drawing threads not yet done

    const auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++) {
            Outcome outcome;
            if (settings.together) {
                const Made made = make(jobs.at(i), cache, settings);
                outcome = made.outcome;
                if (outcome.ok) {
                    const AtomicFile::Result added =
                        batch.add(jobs.at(i).output, made.bytes, &staged[size_t(i)]);
                    if (!added.ok())
                        outcome = writeFailure(jobs.at(i), added);
                }
            } else {
                outcome = draw(jobs.at(i), cache, settings);
            }
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

    // The calling thread reports, in order, what the workers have finished,
    // once it is committed when the pictures are written together.
    qsizetype reported = 0;
    qsizetype done = 0;
    auto lastCommit = std::chrono::steady_clock::now();
    while (reported < count) {
        std::vector<std::pair<qsizetype, Outcome>> ready;
        {
            // Until more is done: what was done already waits for its commit.
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait_for(lock, std::chrono::milliseconds(100),
                             [&] { return doneCount != done; });
            qsizetype end = reported;
            while (end < count && finished[size_t(end)])
                ++end;
            const bool due = !settings.together || end == count || end - reported >= kCommitFaces ||
                             std::chrono::steady_clock::now() - lastCommit >= kCommitInterval;
            for (; due && reported < end; ++reported)
                ready.emplace_back(reported, std::move(outcomes[size_t(reported)]));
            done = doneCount;
        }
        if (settings.together && !ready.empty()) {
            std::vector<AtomicBatch::Staged> files;
            std::vector<std::pair<qsizetype, Outcome> *> waiting;
            for (auto &entry : ready) {
                if (entry.second.ok) {
                    files.push_back(std::move(staged[size_t(entry.first)]));
                    waiting.push_back(&entry);
                }
            }
            const std::vector<AtomicFile::Result> written = batch.commit(files);
            for (size_t i = 0; i < written.size(); ++i) {
                if (!written[i].ok())
                    waiting[i]->second = writeFailure(jobs.at(waiting[i]->first), written[i]);
            }
            lastCommit = std::chrono::steady_clock::now();
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
