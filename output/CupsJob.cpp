#include "output/CupsJob.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <cups/cups.h>

#include <cerrno>
#include <cstring>
#include <memory>

using namespace Qt::StringLiterals;

namespace CupsJob {

namespace {

// Called by libcups when a wait on the scheduler has lasted the connection's
// timeout: never wait longer, and remember that it was the wait that failed.
int giveUp(http_t *, void *timedOut)
{
    *static_cast<bool *>(timedOut) = true;
    return 0;
}

struct Connection
{
    http_t *http = nullptr;
    bool timedOut = false;

    // A connection of the calling thread's own to the scheduler that
    // CUPS_SERVER (or the system's client.conf) names, each wait on it bounded
    // by timeoutMs.
    explicit Connection(int timeoutMs)
    {
        http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                            timeoutMs, nullptr);
        if (http)
            httpSetTimeout(http, timeoutMs / 1000.0, giveUp, &timedOut);
    }
    ~Connection()
    {
        if (http)
            httpClose(http);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
};

Result failure(const Connection &connection)
{
    Result result;
    result.timedOut = connection.timedOut || httpError(connection.http) == ETIMEDOUT;
    result.reason = QString::fromUtf8(cupsLastErrorString());
    return result;
}

} // namespace

QByteArray jobName(const QString &title)
{
    constexpr qsizetype Limit = 255;
    QByteArray name = title.toUtf8();
    if (name.size() <= Limit)
        return name;
    const QByteArray ellipsis = u"…"_s.toUtf8();
    name.truncate(Limit - ellipsis.size());
    // Not in the middle of a character: drop continuation bytes and the lead
    // byte they belong to.
    while (!name.isEmpty() && (uchar(name.back()) & 0xC0) == 0x80)
        name.chop(1);
    if (!name.isEmpty() && uchar(name.back()) >= 0xC0)
        name.chop(1);
    return name + ellipsis;
}

Result send(const Request &request)
{
    Connection connection(AnswerTimeoutMs);
    if (!connection.http) {
        Result result;
        result.reason = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }

    const QByteArray queue = request.queue.toUtf8();
    const QByteArray title = jobName(request.title);
    const QByteArray resource = "/printers/" + queue;
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/printers/%s", queue.constData());

    // The job is made by hand: cupsCreateJob() first looks the queue up
    // through a connection of its own, which waits on a stopped scheduler
    // for a minute at a time, whatever this one's timeout.
    cups_option_t *options = nullptr;
    int count = 0;
    count =
        cupsAddOption("copies", QByteArray::number(request.copies).constData(), count, &options);
    if (!request.sides.isEmpty())
        count = cupsAddOption("sides", request.sides.toUtf8().constData(), count, &options);
    if (!request.media.isEmpty())
        count = cupsAddOption("media", request.media.toUtf8().constData(), count, &options);
    ipp_t *create = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippAddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.constData());
    cupsEncodeOptions2(create, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(create, count, options, IPP_TAG_JOB);
    cupsFreeOptions(count, options);
    ipp_t *created = cupsDoRequest(connection.http, create, resource.constData());
    ipp_attribute_t *id = ippFindAttribute(created, "job-id", IPP_TAG_INTEGER);
    const int job = id && cupsLastError() <= IPP_STATUS_OK_CONFLICTING ? ippGetInteger(id, 0) : 0;
    ippDelete(created);
    if (job == 0)
        return failure(connection);

    if (cupsStartDocument(connection.http, queue.constData(), job, title.constData(),
                          CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE ||
        cupsWriteRequestData(connection.http, request.pdf.constData(),
                             size_t(request.pdf.size())) != HTTP_STATUS_CONTINUE ||
        cupsFinishDocument(connection.http, queue.constData()) > IPP_STATUS_OK_CONFLICTING) {
        Result result = failure(connection);
        // The job the scheduler holds without its document would wait for it
        // in the queue for good.
        if (!result.timedOut)
            cupsCancelJob2(connection.http, queue.constData(), job, 0);
        return result;
    }
    Result result;
    result.ok = true;
    result.jobId = job;
    return result;
}

void start(Request request, QObject *context, std::function<void(const Result &)> done)
{
    // The watcher belongs to context and reports on its thread; a context
    // that is gone takes the watcher, and the report, with it. The program's
    // thread pool is waited for when the program ends, a bounded wait.
    auto *watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, done = std::move(done)] {
                         done(watcher->result());
                         watcher->deleteLater();
                     });
    auto promise = std::make_shared<QPromise<Result>>();
    watcher->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([promise, request = std::move(request)] {
        promise->addResult(send(request));
        promise->finish();
    });
}

Scheduler probe(int timeoutMs)
{
    Connection connection(timeoutMs);
    if (!connection.http)
        return Scheduler::NotRunning;
    ipp_t *answer = cupsDoRequest(connection.http, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    ippDelete(answer);
    if (connection.timedOut || httpError(connection.http) == ETIMEDOUT)
        return Scheduler::NotAnswering;
    return Scheduler::Answers;
}

} // namespace CupsJob
