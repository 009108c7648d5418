#include "render/Batch.h"

#include "document/FaceFile.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
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

std::optional<Face> readFaceFile(const QString &path, QString *reason)
{
    const QFileInfo info(path);
    QFile file(path);
    QByteArray bytes;
    if (!info.exists()) {
        *reason = u"no such file"_s;
    } else if (info.isDir()) {
        *reason = u"a folder, not a face file"_s;
    } else if (!info.isFile()) {
        // A FIFO or a device is never opened: it could hold the batch up.
        *reason = u"not a regular file"_s;
    } else if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
    } else {
        bytes = file.read(FaceFile::MaxFileBytes);
        if (file.error() != QFileDevice::NoError)
            *reason = file.errorString();
    }
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
    const QImage image = picture(cache.layers(face.PartFiles, &unreadable), settings.longerSide);
    const AtomicFile::Result written =
        save(image, job.format, job.output, memo(face), settings.quality);
    if (!written.ok()) {
        const QString why = writeRefusal(written);
        return {false, u"cannot write %1: %2"_s.arg(job.output, why)};
    }
    if (!unreadable.isEmpty()) {
        return {true,
                u"drawn without the part %1, which cannot be read"_s.arg(unreadable.join(u", "_s))};
    }
    return {true, {}};
}

void run(const QList<Job> &jobs, PartCache &cache, const Settings &settings, int threads,
         const std::function<void(qsizetype, const Outcome &)> &report,
         const std::function<void(qsizetype)> &progress)
{
    const qsizetype count = jobs.size();
    if (threads <= 0)
        threads = QThread::idealThreadCount();
    threads = int(qBound<qsizetype>(1, qsizetype(threads), count));

    std::vector<Outcome> outcomes(static_cast<size_t>(count));
    std::vector<char> finished(static_cast<size_t>(count), 0);
    std::atomic<qsizetype> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype doneCount = 0;

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
    };
    // One face alone is drawn here; otherwise every core draws, and this
    // thread only reports.
    std::vector<std::thread> workers;
    if (threads == 1) {
        work();
    } else {
        for (int t = 0; t < threads; ++t)
            workers.emplace_back(work);
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
    for (std::thread &worker : workers)
        worker.join();
}

} // namespace BatchRender
