#pragma once

// A CUPS scheduler of the test's own, so printing tests go through a real
// spooler without touching the machine's printers: its configuration, spool,
// logs and the PDF files it writes all live in a temporary folder, clients
// reach it through CUPS_SERVER (a socket in that folder), and it stops when
// the fixture goes. Its queues print through cups-pdf, whose system-wide
// configuration the scheduler alone sees replaced by one of ours (in a mount
// namespace of its own), so the PDF files land in our folder too.
//
// It needs root (the scheduler runs the cups-pdf backend as root), cupsd,
// printer-driver-cups-pdf and ipptool. Start it before anything in the test
// process touches printers: Qt's print support reads CUPS_SERVER once.

#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class PrivateCups
{
public:
    PrivateCups() = default;
    ~PrivateCups(); // stops the scheduler
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    // Starts the scheduler with no queue and points this process at it:
    // CUPS_SERVER names its socket, HOME a folder of its own (so the user's
    // lpoptions stay out) and LPDEST and PRINTER are unset. False, with
    // reason(), where it cannot run.
    bool start();
    QString reason() const { return m_reason; }
    // CI must run the printing tests: there a scheduler that cannot start
    // fails the test instead of skipping it.
    static bool mustRun();

    // Adds a queue that writes PDF files, accepting jobs. With duplex it also
    // offers two-sided printing (cups-pdf itself does not).
    bool addPdfQueue(const QString &name, bool duplex = false);
    bool removeQueue(const QString &name);
    // Makes name the scheduler's default queue.
    bool setDefault(const QString &name);
    // Makes queue name refuse new jobs, or take them again.
    bool refuseJobs(const QString &name, bool refuse = true);

    // Stops the scheduler where it is (SIGSTOP), as a hung one: clients
    // still connect, and nothing answers them; resume() lets it go on.
    bool pause();
    bool resume();

    struct Job
    {
        int id = 0;
        QString queue;
        QString state; // "completed", "aborted" or "canceled"
        // The job's attributes as ipptool prints them: "copies" → "2",
        // "orientation-requested" → "landscape", "sides" →
        // "two-sided-long-edge", "job-name" → the document's name.
        QMap<QString, QString> attributes;
        QString document; // the document as the client sent it (a PDF from Qt)
        QString pdf;      // the file cups-pdf wrote, empty when there is none
    };
    // The finished jobs, oldest first, once at least count have finished or
    // timeoutMs has passed (reason() then says so).
    QList<Job> finishedJobs(int count, int timeoutMs = 60000);

    QString pdfFolder() const;
    QString socketPath() const;
    // The scheduler's error log, for a failing test to show.
    QString errorLog() const;

private:
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);
    QString path(const QString &name) const;
    void stop();

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_cupsd;
    QString m_reason;
    QMap<QByteArray, QByteArray> m_savedEnv; // to put back at the end
    QList<QByteArray> m_unsetEnv;
};

// In a test function (initTestCase included): starts cups or skips the test
// with the reason, except on CI, where it fails.
#define PRIVATE_CUPS_START(cups)                                                                   \
    do {                                                                                           \
        if (!(cups).start()) {                                                                     \
            if (PrivateCups::mustRun())                                                            \
                QFAIL(qPrintable(QStringLiteral("private CUPS scheduler: ") + (cups).reason()));   \
            QSKIP(qPrintable(QStringLiteral("private CUPS scheduler: ") + (cups).reason()));       \
        }                                                                                          \
    } while (false)
