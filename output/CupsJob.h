#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QObject;

// A print job handed to the CUPS scheduler: a finished PDF document and the
// job's options, sent on a thread of its own so that a scheduler that stops
// answering never holds up the window, and every wait on the scheduler is
// bounded, so the sender always learns how it went.
namespace CupsJob {

// How long one exchange with the scheduler may take before it counts as not
// answering.
constexpr int AnswerTimeoutMs = 10000;
// How long the scheduler may take to answer whether it is there.
constexpr int ProbeTimeoutMs = 5000;

struct Request
{
    QString queue;  // the queue's name, without an instance after a "/"
    QString title;  // the job's name in the queue; cut to what IPP takes
    QByteArray pdf; // the document, one PDF file
    int copies = 1; // 1 or more
    QString sides;  // "one-sided", "two-sided-long-edge", "two-sided-short-edge"
    QString media;  // the paper's PPD name ("A4"), or empty for the queue's own
};

struct Result
{
    bool ok = false;
    int jobId = 0;
    bool timedOut = false; // the scheduler stopped answering
    QString reason;        // the scheduler's or the system's words, when not ok
};

// The longest job name IPP takes (name(MAX): 255 octets of UTF-8), cut
// whole characters at a time with "…" at the end when it is longer.
QByteArray jobName(const QString &title);

// Sends request now, on the calling thread, each exchange bounded by
// AnswerTimeoutMs.
Result send(const Request &request);

// Sends request on a thread of the program's pool and calls done with the
// result on context's thread, unless context is gone by then. Returns at
// once.
void start(Request request, QObject *context, std::function<void(const Result &)> done);

enum class Scheduler { Answers, NotRunning, NotAnswering };
// Whether the scheduler answers a question within timeoutMs. One that is not
// running at all (nothing listens) is told apart from one that hangs.
Scheduler probe(int timeoutMs = ProbeTimeoutMs);

} // namespace CupsJob
