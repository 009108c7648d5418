#pragma once

#include "render/FacePicture.h"
#include "render/PartCache.h"
#include "render/PartsLibrary.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Many faces drawn into picture files at once. Faces are independent of each
// other, so they are drawn on every core, sharing one cache of parts.
namespace BatchRender {

// One picture to make.
struct Job
{
    QString input;       // the face file's path, or the face code, as given
    bool isCode = false; // then face holds the face already
    Face face;
    QString output;
    Format format = Format::Png;
};

struct Settings
{
    int longerSide = 0; // 0: 249 × 265
    int quality = 90;   // JPEG only
    // The pictures written as batches made durable together (AtomicBatch),
    // as a folder of them is; otherwise each is an atomic write of its own.
    bool together = false;
};

// What became of one job: a written picture, or why none was written. A
// picture written without a part that is no picture has a message too.
struct Outcome
{
    bool ok = false;
    QString message;
};

// The face a face file holds, or the reason there is none (the file cannot
// be read, or is no face file).
std::optional<Face> readFaceFile(const QString &path, QString *reason);

// Reads, draws and writes one job's face through AtomicFile::write.
Outcome draw(const Job &job, PartCache &cache, const Settings &settings);

// Draws every job on threads threads (0, or more than there are cores: one
// per core, as more would only hold more pictures in memory at once). report
// is called on the calling thread for each job in the jobs' order, as soon as
// it and those before it are done (written together: committed, which
// happens every few thousand faces or seconds); progress, if given, now and
// then with the number of jobs drawn so far.
//
// The faces are drawn on threads of Qt's global pool, so that the image work
// Qt would hand to that pool (conversions, smooth scaling of large pictures)
// stays on the drawing thread: a pool that cannot make a thread would leave
// that work waiting for good. When fewer threads can be made than asked for,
// the ones made draw every face; when none can be made, nothing is drawn and
// false is returned, with the system's reason in *reason.
bool run(const QList<Job> &jobs, PartCache &cache, const Settings &settings, int threads,
         const std::function<void(qsizetype index, const Outcome &outcome)> &report,
         const std::function<void(qsizetype done)> &progress = {}, QString *reason = nullptr);

// Qt tells of a thread it could not make only through a message. The message
// handler hands every message here first: true when it was that one, which
// run() has then taken into account.
bool takeThreadWarning(const QString &message);

// Whether a thread the global pool was asked for was never made. The pool
// then counts it as busy for good, and waiting for the pool to finish, as its
// destruction at exit does, would wait for ever.
bool poolLostThreads();

} // namespace BatchRender
