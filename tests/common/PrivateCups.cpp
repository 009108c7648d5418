#include "PrivateCups.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

const QString kCupsd = u"/usr/sbin/cupsd"_s;
const QString kCupsPdfBackend = u"/usr/lib/cups/backend/cups-pdf"_s;
const QString kCupsPdfConf = u"/etc/cups/cups-pdf.conf"_s;
const QString kCupsPdfPpd = u"/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"_s;

// Two-sided printing, as a PPD offers it; cups-pdf's own PPD has none.
const char kDuplexOption[] = "*OpenUI *Duplex/2-Sided Printing: PickOne\n"
                             "*OrderDependency: 10 AnySetup *Duplex\n"
                             "*DefaultDuplex: None\n"
                             "*Duplex None/Off: \"<</Duplex false>>setpagedevice\"\n"
                             "*Duplex DuplexNoTumble/Long Edge: "
                             "\"<</Duplex true/Tumble false>>setpagedevice\"\n"
                             "*Duplex DuplexTumble/Short Edge: "
                             "\"<</Duplex true/Tumble true>>setpagedevice\"\n"
                             "*CloseUI: *Duplex\n";

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size() && file.flush();
}

// A folder the scheduler's own user (lp) may work in.
bool makeSchedulerFolder(const QString &path, gid_t lp)
{
    const QByteArray native = QFile::encodeName(path);
    return QDir().mkpath(path) && ::chown(native.constData(), 0, lp) == 0 &&
           ::chmod(native.constData(), 0770) == 0;
}

bool socketAnswers(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address{};
    if (native.size() >= int(sizeof(address.sun_path)))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

} // namespace

PrivateCups::~PrivateCups()
{
    stop();
}

bool PrivateCups::mustRun()
{
    return qgetenv("CI") == "true";
}

QString PrivateCups::path(const QString &name) const
{
    return m_dir ? m_dir->filePath(name) : QString();
}

QString PrivateCups::pdfFolder() const
{
    return path(u"pdf"_s);
}

QString PrivateCups::socketPath() const
{
    return path(u"cups.sock"_s);
}

QString PrivateCups::errorLog() const
{
    QFile log(path(u"log/error_log"_s));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

bool PrivateCups::start()
{
    if (::geteuid() != 0) {
        m_reason = u"needs root: cupsd runs the cups-pdf backend as root"_s;
        return false;
    }
    for (const QString &file : {kCupsd, kCupsPdfBackend, kCupsPdfConf, kCupsPdfPpd}) {
        if (!QFileInfo::exists(file)) {
            m_reason = file + u" is missing (packages cups and printer-driver-cups-pdf)"_s;
            return false;
        }
    }
    for (const QString &tool : {u"lpadmin"_s, u"ipptool"_s, u"unshare"_s, u"mount"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty()) {
            m_reason = tool + u" is missing"_s;
            return false;
        }
    }
    const group *lpGroup = ::getgrnam("lp");
    if (!lpGroup) {
        m_reason = u"there is no group lp"_s;
        return false;
    }

    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/kaogumi-cups-XXXXXX"_s);
    // The scheduler's user must reach the folders inside.
    if (!m_dir->isValid() || ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) != 0) {
        m_reason = u"cannot make a temporary folder"_s;
        return false;
    }
    if (QFile::encodeName(socketPath()).size() >= int(sizeof(sockaddr_un::sun_path))) {
        m_reason = u"the socket's path is too long: "_s + socketPath();
        return false;
    }
    bool made = true;
    for (const QString &folder : {u"spool"_s, u"cache"_s, u"state"_s, u"tmp"_s})
        made = made && makeSchedulerFolder(path(folder), lpGroup->gr_gid);
    for (const QString &folder : {u"log"_s, u"ppd"_s, u"pdf"_s, u"cups-pdf-spool"_s, u"home"_s})
        made = made && QDir().mkpath(path(folder));

    // Anyone may ask anything: only this test talks to the socket. Job names
    // and users are shown to every client, and the documents jobs were sent
    // stay in the spool.
    const QByteArray cupsdConf = "Listen " + QFile::encodeName(socketPath()) +
                                 "\n"
                                 "LogLevel warn\n"
                                 "PreserveJobFiles Yes\n"
                                 "WebInterface No\n"
                                 "Browsing Off\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n"
                                 "  JobPrivateAccess all\n  JobPrivateValues none\n"
                                 "  SubscriptionPrivateAccess all\n"
                                 "  SubscriptionPrivateValues none\n"
                                 "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                 "</Policy>\n";
    const QByteArray root = QFile::encodeName(m_dir->path());
    const QByteArray filesConf =
        "ServerRoot " + root + "\nRequestRoot " + root + "/spool\nCacheDir " + root +
        "/cache\nStateDir " + root + "/state\nTempDir " + root + "/tmp\nAccessLog " + root +
        "/log/access_log\nErrorLog " + root + "/log/error_log\nPageLog " + root +
        "/log/page_log\n"
        "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
        "User lp\nGroup lp\n";
    // cups-pdf reads only its system-wide file; the scheduler sees this one
    // in its place. Label 2 ends each file's name in "-job_<id>".
    const QByteArray cupsPdfConf = "Out " + root + "/pdf\nAnonDirName " + root + "/pdf\nSpool " +
                                   root + "/cups-pdf-spool\nLog " + root + "/log\nGSTmp " + root +
                                   "/tmp\nLabel 2\nGrp lp\nDecodeHexStrings 1\n";
    made = made && writeFile(path(u"cupsd.conf"_s), cupsdConf) &&
           writeFile(path(u"cups-files.conf"_s), filesConf) &&
           writeFile(path(u"cups-pdf.conf"_s), cupsPdfConf);
    if (!made) {
        m_reason = u"cannot lay out the scheduler's folder "_s + m_dir->path();
        return false;
    }

    // The scheduler ends with this process, even when a test crashes.
    m_cupsd.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(u"unshare"_s,
                  {u"--mount"_s, u"--propagation"_s, u"private"_s, u"sh"_s, u"-c"_s,
                   u"mount --bind \"$1\" \"$2\" && exec \"$3\" -f -c \"$4\" -s \"$5\""_s, u"sh"_s,
                   path(u"cups-pdf.conf"_s), kCupsPdfConf, kCupsd, path(u"cupsd.conf"_s),
                   path(u"cups-files.conf"_s)});
    if (!m_cupsd.waitForStarted(10000)) {
        m_reason = u"cannot start unshare: "_s + m_cupsd.errorString();
        return false;
    }
    const QDeadlineTimer deadline(15000);
    while (!socketAnswers(socketPath())) {
        if (m_cupsd.state() != QProcess::Running || deadline.hasExpired()) {
            m_cupsd.waitForFinished(1000);
            m_reason = u"cupsd did not come up: "_s + QString::fromLocal8Bit(m_cupsd.readAll()) +
                       errorLog();
            stop();
            return false;
        }
        QThread::msleep(20);
    }

    const auto setEnv = [this](const char *name, const QByteArray &value) {
        if (qEnvironmentVariableIsSet(name))
            m_savedEnv.insert(name, qgetenv(name));
        else
            m_unsetEnv.append(name);
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    setEnv("CUPS_SERVER", QFile::encodeName(socketPath()));
    setEnv("HOME", QFile::encodeName(path(u"home"_s)));
    setEnv("LPDEST", QByteArray());
    setEnv("PRINTER", QByteArray());
    return true;
}

bool PrivateCups::refuseJobs(const QString &name, bool refuse)
{
    return run(refuse ? u"cupsreject"_s : u"cupsaccept"_s, {name});
}

bool PrivateCups::pause()
{
    return m_cupsd.state() == QProcess::Running && ::kill(pid_t(m_cupsd.processId()), SIGSTOP) == 0;
}

bool PrivateCups::resume()
{
    return m_cupsd.state() == QProcess::Running && ::kill(pid_t(m_cupsd.processId()), SIGCONT) == 0;
}

void PrivateCups::stop()
{
    if (m_cupsd.state() != QProcess::NotRunning) {
        resume(); // a stopped scheduler would not see the signal to end
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished(5000);
        }
    }
    for (auto it = m_savedEnv.cbegin(); it != m_savedEnv.cend(); ++it)
        qputenv(it.key().constData(), it.value());
    for (const QByteArray &name : std::as_const(m_unsetEnv))
        qunsetenv(name.constData());
    m_savedEnv.clear();
    m_unsetEnv.clear();
}

bool PrivateCups::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(30000);
    const QString text = QString::fromLocal8Bit(process.readAll());
    if (output)
        *output = text;
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_reason = program + u' ' + arguments.join(u' ') + u" failed: "_s + text;
        return false;
    }
    return true;
}

bool PrivateCups::addPdfQueue(const QString &name, bool duplex)
{
    QString ppd = kCupsPdfPpd;
    if (duplex) {
        QFile original(kCupsPdfPpd);
        if (!original.open(QIODevice::ReadOnly))
            return false;
        ppd = path(u"ppd-"_s + name + u".ppd"_s);
        if (!writeFile(ppd, original.readAll() + kDuplexOption))
            return false;
    }
    return run(u"lpadmin"_s, {u"-p"_s, name, u"-E"_s, u"-v"_s, u"cups-pdf:/"_s, u"-P"_s, ppd,
                              u"-o"_s, u"printer-is-shared=false"_s});
}

bool PrivateCups::removeQueue(const QString &name)
{
    return run(u"lpadmin"_s, {u"-x"_s, name});
}

bool PrivateCups::setDefault(const QString &name)
{
    // lpadmin asks the scheduler; lpoptions -d would write the user's file.
    return run(u"lpadmin"_s, {u"-d"_s, name});
}

QList<PrivateCups::Job> PrivateCups::finishedJobs(int count, int timeoutMs)
{
    const QString test = path(u"finished-jobs.test"_s);
    if (!QFileInfo::exists(test)) {
        writeFile(test, "{\n"
                        "  NAME \"finished jobs\"\n"
                        "  OPERATION Get-Jobs\n"
                        "  GROUP operation-attributes-tag\n"
                        "  ATTR charset attributes-charset utf-8\n"
                        "  ATTR language attributes-natural-language en\n"
                        "  ATTR uri printer-uri $uri\n"
                        "  ATTR keyword which-jobs completed\n"
                        "  ATTR keyword requested-attributes job-template,job-description\n"
                        "  STATUS successful-ok\n"
                        "}\n");
    }
    const QString uri =
        u"ipp://"_s + QString::fromLatin1(QUrl::toPercentEncoding(socketPath())) + u'/';
    static const QRegularExpression attributeLine(u"^\\s+(\\S+) \\([^)]*\\) = (.*)$"_s);

    const QDeadlineTimer deadline(timeoutMs);
    QList<Job> jobs;
    for (;;) {
        jobs.clear();
        QString output;
        if (run(u"ipptool"_s, {u"-t"_s, u"-v"_s, uri, test}, &output)) {
            Job job;
            const auto finish = [&] {
                if (job.id > 0)
                    jobs.append(job);
                job = Job();
            };
            bool inResponse = false;
            const QStringList lines = output.split(u'\n');
            for (const QString &line : lines) {
                if (line.trimmed().startsWith(u"RECEIVED:"_s)) {
                    inResponse = true;
                } else if (inResponse && line.trimmed() == u"-- separator --"_s) {
                    finish();
                } else if (inResponse) {
                    const QRegularExpressionMatch match = attributeLine.match(line);
                    if (match.hasMatch())
                        job.attributes.insert(match.captured(1), match.captured(2));
                    if (match.captured(1) == u"job-id"_s)
                        job.id = match.captured(2).toInt();
                }
            }
            finish();
        }
        std::sort(jobs.begin(), jobs.end(), [](const Job &a, const Job &b) { return a.id < b.id; });
        if (jobs.size() >= count || deadline.hasExpired())
            break;
        QThread::msleep(100);
    }

    const QDir pdfs(pdfFolder());
    for (Job &job : jobs) {
        job.queue = QUrl::fromPercentEncoding(
            job.attributes.value(u"job-printer-uri"_s).section(u'/', -1).toUtf8());
        job.state = job.attributes.value(u"job-state"_s);
        const QStringList files =
            pdfs.entryList({u"*-job_"_s + QString::number(job.id) + u".pdf"_s}, QDir::Files);
        if (files.size() == 1)
            job.pdf = pdfs.filePath(files.first());
        const QString document = path(u"spool/d%1-001"_s.arg(job.id, 5, 10, QChar(u'0')));
        if (QFileInfo::exists(document))
            job.document = document;
    }
    if (jobs.size() < count) {
        m_reason =
            u"%1 of %2 jobs finished in %3 ms\n"_s.arg(jobs.size()).arg(count).arg(timeoutMs) +
            errorLog();
    }
    return jobs;
}
