// kaogumi-render: faces drawn into picture files without a window, from face
// files, face codes or at random, through the program's own composite and
// encoders.

#include "document/Composite.h"
#include "document/FaceCode.h"
#include "render/Batch.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace BatchRender;

namespace {

enum Status { Drawn = 0, SomeFailed = 1, Usage = 2 };

const char *const kDescription =
    "Draws faces of the parts library as picture files, without a window.\n"
    "\n"
    "Inputs: face files (.kgm), --code and --random. Codes are turned into parts\n"
    "as the Edit menu's face code entry does, over the same folder listing.\n"
    "One face is written to -o FILE (the format from its extension: .bmp .gif\n"
    ".png .jpg .jpeg .svg); several faces go into the folder -o DIR, each named after\n"
    "its face file or its code, in the --format given (png when none is). An\n"
    "-o that is an existing folder or ends with / is always a folder, created\n"
    "when missing. Files are replaced only once completely written: pictures\n"
    "for a folder are written under temporary names (.kaogumi-render-*.tmp),\n"
    "flushed to the disk together and then renamed, every few thousand faces;\n"
    "a run cut short leaves its temporary files, which the next run into the\n"
    "folder removes.\n"
    "\n"
    "A part that is no picture (a missing file, a folder, a file of no picture\n"
    "format) is left out of the face with a warning. A part that is a picture\n"
    "but cannot be read or decoded now (no memory, a damaged file, the system\n"
    "refusing to open it) fails its face, which is then not written at all.\n"
    "\n"
    "Exit status: 0 every face was written; 1 some input failed (each failure is\n"
    "named on standard error, and the other inputs are still drawn); 2 the\n"
    "command line is wrong and nothing was drawn.";

// Standard error, written whole message by message under one lock: Qt's
// warnings come through the message handler on whichever thread gives them,
// a drawing thread as well as this one.
void printErr(const QString &text)
{
    static QMutex mutex;
    const QMutexLocker lock(&mutex);
    static QTextStream stream(stderr);
    stream << text << Qt::flush;
}

// The progress line, on a terminal only and for batches long enough to wait for.
class Progress
{
public:
    explicit Progress(qsizetype total)
        : m_total(total), m_shown(isatty(STDERR_FILENO) && total >= 100)
    {
    }
    void update(qsizetype done)
    {
        if (!m_shown)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < std::chrono::milliseconds(100))
            return;
        m_last = now;
        printErr(u"\r%1 / %2 faces"_s.arg(done).arg(m_total));
        m_visible = true;
    }
    // Clears the line before anything else is written to the terminal.
    void clear()
    {
        if (m_visible)
            printErr(u"\r\033[K"_s);
        m_visible = false;
    }

private:
    qsizetype m_total;
    bool m_shown;
    bool m_visible = false;
    std::chrono::steady_clock::time_point m_last;
};

int usage(const QString &message)
{
    printErr(u"kaogumi-render: %1\nTry 'kaogumi-render --help'.\n"_s.arg(message));
    return Usage;
}

// A whole number from the option's text within low..high.
std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// Qt's messages, but for two that say nothing about any face: the runtime
// folder a thumbnailer's sandbox has not got (see RuntimeFolder), and a
// thread that could not be made, which the batch works around or reports.
void printMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // (Qt gives the second one as a critical message.)
    if ((type == QtWarningMsg && message.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR"_s)) ||
        takeThreadWarning(message)) {
        return;
    }
    printErr(qFormatLogMessage(type, context, message) + u'\n');
}

// Without XDG_RUNTIME_DIR, Qt's start-up creates a runtime folder of its own
// (TMPDIR/runtime-USER) only to look for a file in it. The command leaves
// nothing behind but its pictures: a folder Qt created is removed again, and
// only when it is still empty.
// Made before the application object, removed after it.
class RuntimeFolder
{
public:
    RuntimeFolder()
    {
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return;
        // The name Qt gives it: the user's name, or none when the system
        // cannot tell it (a sandbox without /etc/passwd).
        const passwd *user = ::getpwuid(::geteuid());
        const QByteArray path = QFile::encodeName(QDir::tempPath()) + "/runtime-" +
                                QByteArray(user ? user->pw_name : "");
        struct stat info;
        if (::lstat(path.constData(), &info) != 0)
            m_path = path;
    }
    void removeIfMade() const
    {
        if (!m_path.isEmpty())
            ::rmdir(m_path.constData());
    }

private:
    QByteArray m_path; // the folder Qt would make, when it is not there yet
};

} // namespace

int main(int argc, char *argv[])
{
    // No display is needed, nor looked for: a thumbnailer runs without one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(printMessage);
    const RuntimeFolder runtimeFolder;
    QGuiApplication app(argc, argv);
    runtimeFolder.removeIfMade();
    QCoreApplication::setApplicationName(u"kaogumi-render"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KAOGUMI_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption codeOption({u"c"_s, u"code"_s},
                                        u"Draw the face of a face code: 4 and eight digits "
                                        u"(403120701). May be given several times."_s,
                                        u"code"_s);
    const QCommandLineOption randomOption(
        {u"r"_s, u"random"_s},
        u"Draw n different random faces and print each one's face code on standard output."_s,
        u"n"_s);
    const QCommandLineOption outputOption(
        {u"o"_s, u"output"_s}, u"The picture file for one face, or the folder for several."_s,
        u"path"_s);
    const QCommandLineOption formatOption(
        {u"f"_s, u"format"_s},
        u"bmp, gif, png, jpg or svg: the format of pictures written into a folder (default png), "
        u"and of a file whose name has none of those extensions."_s,
        u"format"_s);
    const QCommandLineOption sizeOption(
        {u"s"_s, u"size"_s},
        u"The picture's longer side (its height) in pixels, 1 to %1; the face is painted "
        u"at that size, drawings among its parts drawn at it. Default: 265, the face's own 249 x 265."_s
            .arg(MaxLongerSide),
        u"n"_s);
    const QCommandLineOption qualityOption(
        {u"q"_s, u"quality"_s}, u"The JPEG quality, 1 to 100 (default 90)."_s, u"n"_s, u"90"_s);
    const QCommandLineOption partsOption(
        {u"p"_s, u"parts"_s},
        u"The parts library: the folder holding 髪 目 顔 口, to which face files' part entries "
        u"are relative. Default: the folder of this program."_s,
        u"dir"_s);
    const QCommandLineOption jobsOption({u"j"_s, u"jobs"_s},
                                        u"Faces drawn at once (default and most: one per "
                                        u"core; more would only take more memory)."_s,
                                        u"n"_s);
    parser.addOptions({codeOption, randomOption, outputOption, formatOption, sizeOption,
                       qualityOption, partsOption, jobsOption});
    parser.addPositionalArgument(u"files"_s, u"Face files to draw."_s, u"[face files...]"_s);
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser.errorText());
    if (parser.isSet(u"help"_s))
        parser.showHelp(Drawn);
    if (parser.isSet(u"version"_s))
        parser.showVersion();

    Settings settings;
    int random = 0;
    int threads = 0;
    std::optional<Format> format;
    if (parser.isSet(sizeOption)) {
        const std::optional<int> size = number(parser.value(sizeOption), 1, MaxLongerSide);
        if (!size)
            return usage(u"--size takes a whole number from 1 to %1"_s.arg(MaxLongerSide));
        settings.longerSide = *size;
    }
    if (const std::optional<int> quality = number(parser.value(qualityOption), 1, 100))
        settings.quality = *quality;
    else
        return usage(u"--quality takes a whole number from 1 to 100"_s);
    if (parser.isSet(jobsOption)) {
        const std::optional<int> jobs = number(parser.value(jobsOption), 1, 256);
        if (!jobs)
            return usage(u"--jobs takes a whole number from 1 to 256"_s);
        threads = *jobs;
    }
    if (parser.isSet(formatOption)) {
        format = formatFromSuffix(parser.value(formatOption));
        if (!format)
            return usage(u"--format takes bmp, gif, png, jpg or svg"_s);
    }
    const QString partsDir =
        QDir::cleanPath(QDir(parser.isSet(partsOption) ? parser.value(partsOption)
                                                       : QCoreApplication::applicationDirPath())
                            .absolutePath());
    const PartsLibrary library(partsDir);
    if (parser.isSet(randomOption)) {
        const std::optional<int> n = number(parser.value(randomOption), 0, 1'000'000);
        if (!n)
            return usage(u"--random takes a whole number from 0 to 1000000"_s);
        if (*n > library.faceCount()) {
            return usage(
                u"--random %1: the parts library in %2 makes only %3 different faces"_s.arg(*n)
                    .arg(QDir::toNativeSeparators(partsDir))
                    .arg(library.faceCount()));
        }
        random = *n;
    }

    const QStringList files = parser.positionalArguments();
    const QStringList codes = parser.values(codeOption);
    const qsizetype total = files.size() + codes.size() + random;
    if (total == 0)
        return usage(u"nothing to draw: give face files, --code or --random"_s);
    if (!parser.isSet(outputOption))
        return usage(u"-o FILE (one face) or -o DIR (several) says where to write"_s);

    // Where the pictures go: one file, or a folder of them.
    const QString output = parser.value(outputOption);
    const bool intoFolder = total > 1 || output.endsWith(u'/') || QFileInfo(output).isDir();
    if (!intoFolder && !format) {
        format = formatFromSuffix(QFileInfo(output).suffix());
        if (!format) {
            return usage(u"%1: the name's extension says no format (.bmp .gif .png .jpg .svg); "
                         u"give --format"_s.arg(output));
        }
    }
    if (!format)
        format = Format::Png;
    settings.together = intoFolder;
    if (intoFolder && !QDir().mkpath(output)) {
        printErr(u"kaogumi-render: %1: cannot create the folder\n"_s.arg(output));
        return SomeFailed;
    }

    bool failed = false;
    const auto fail = [&](const QString &input, const QString &message) {
        printErr(u"kaogumi-render: %1: %2\n"_s.arg(input, message));
        failed = true;
    };

    QList<Job> jobs;
    QHash<QString, QString> named; // picture path → the input it belongs to
    const auto add = [&](Job job, const QString &name) {
        job.format = *format;
        job.output = intoFolder ? QDir(output).filePath(name + u'.' + suffix(*format)) : output;
        if (const auto earlier = named.constFind(job.output); earlier != named.cend()) {
            fail(job.input,
                 u"its picture %1 would replace the one of %2"_s.arg(job.output, *earlier));
            return;
        }
        named.insert(job.output, job.input);
        jobs.append(job);
    };
    for (const QString &file : files)
        add(Job{file, false, {}, {}, {}}, QFileInfo(file).completeBaseName());
    for (const QString &code : codes) {
        if (!FaceCode::isCardCode(code)) {
            fail(code, u"not a face code (4 and eight digits, such as 403120701)"_s);
            continue;
        }
        add(Job{code, true, library.faceFromCode(code), {}, {}}, code);
    }
    const qsizetype randomFrom = jobs.size();
    QSet<QString> drawn;
    while (drawn.size() < random) {
        const QString code = library.randomCode(*QRandomGenerator::global());
        if (drawn.contains(code))
            continue;
        drawn.insert(code);
        add(Job{code, true, library.faceFromCode(code), {}, {}}, code);
    }

    PartCache cache(partsDir);
    Progress progress(jobs.size());
    QTextStream out(stdout);
    const bool stdoutIsTerminal = isatty(STDOUT_FILENO);
    QString notRun;
    const bool ran = run(
        jobs, cache, settings, threads,
        [&](qsizetype index, const Outcome &outcome) {
            const Job &job = jobs.at(index);
            if (!outcome.message.isEmpty() || (index >= randomFrom && stdoutIsTerminal))
                progress.clear();
            if (index >= randomFrom)
                out << job.input << '\n';
            if (!outcome.ok)
                fail(job.input, outcome.message);
            else if (!outcome.message.isEmpty())
                printErr(u"kaogumi-render: %1: %2\n"_s.arg(job.input, outcome.message));
        },
        [&](qsizetype done) {
            out.flush();
            progress.update(done);
        },
        &notRun);
    progress.clear();
    out.flush();
    if (!ran) {
        printErr(u"kaogumi-render: %1; nothing was drawn\n"_s.arg(notRun));
        failed = true;
    }
    const Status status = failed ? SomeFailed : Drawn;
    // Every picture is written and closed by now; only the pool's clean-up
    // is left, which would wait for a thread that never came.
    if (poolLostThreads()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
