// One session of the real program, headless, for a memory checker to watch:
// start-up with the bundled parts library, a face code typed into the
// program's own input box, save, export, print to a PDF queue of a private
// scheduler, and the window's own exit. Each step is checked by what it left
// behind, so a run that silently did nothing fails; the exit code says
// whether every step happened.

#include "ModalDialogs.h"
#include "PrivateCups.h"
#include "ScriptedAnswers.h"
#include "ScriptedPrinterDialogs.h"
#include "document/FaceFile.h"
#include "document/Main.h"
#include "document/PictureBox.h"
#include "platform/MsgBox.h"
#include "platform/Translations.h"
#include "selection/ItemSelect.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Outline 3, eyes 12, hair 7, mouth 1 of the bundled library.
const QString kCode = u"403120701"_s;
const QString kQueue = u"kaogumi_memcheck"_s;
// Under the memory checker the program runs some fifty times slower.
constexpr std::chrono::seconds kPatience(180);
// What CTest takes for a skipped test.
constexpr int kSkipped = 77;

bool check(bool ok, const QString &what)
{
    std::fprintf(stderr, "memcheck_session: %s: %s\n", ok ? "ok" : "FAILED", qPrintable(what));
    return ok;
}

void trigger(Main &w, const QString &action)
{
    w.findChild<QAction *>(action)->trigger();
}

// Types text into the input box the action opens, as a user would, and
// presses Enter.
bool typeInto(Main &w, const QString &action, const QString &text)
{
    const auto watch = whenOpen<QInputDialog>(
        [&](QInputDialog *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>();
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        },
        kPatience);
    trigger(w, action);
    return watch.fired();
}

bool session(Main &w, PrivateCups &cups, const QString &folder)
{
    ScriptedMessages messages; // any message box is a failure below
    ScriptedFiles files;
    ScriptedPrinterDialogs printers;

    w.show();
    const QList<ItemSelect *> pickers = w.openPickers();
    if (!check(QTest::qWaitForWindowExposed(&w, int(kPatience.count() * 1000)) &&
                   pickers.size() == 4 &&
                   std::all_of(pickers.begin(), pickers.end(),
                               [](const ItemSelect *p) { return p->highest() >= 12; }),
               u"start-up shows the window and four pickers over the parts library"_s))
        return false;

    const bool typed = typeInto(w, u"E_VercodeLoading"_s, kCode);
    if (!check(typed && w.Label1->text() == kCode &&
                   w.document().PartCodes == FaceParts{u"03"_s, u"01"_s, u"07"_s, u"12"_s} &&
                   w.document().Modified,
               u"the typed face code %1 makes the face (the label shows %2)"_s.arg(
                   kCode, w.Label1->text())))
        return false;

    const QString faceFile = folder + u"/face.kgm"_s;
    files.choose(faceFile);
    trigger(w, u"F_Save"_s);
    QFile saved(faceFile);
    const FaceFile::ReadResult read =
        FaceFile::read(saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray());
    if (!check(read.ok() && read.PartCodes == w.document().PartCodes &&
                   read.PartFiles == w.document().PartFiles && !w.document().Modified,
               u"the face file holds the face"_s))
        return false;

    const QImage surface = w.Picture1->image().convertToFormat(QImage::Format_RGB32);
    for (const QString &format : {u"png"_s, u"gif"_s, u"jpg"_s, u"bmp"_s}) {
        const QString path = folder + u"/face."_s + format;
        files.choose(path);
        // A JPEG file asks for its quality first.
        bool asked = true;
        if (format == u"jpg"_s)
            asked = typeInto(w, u"F_SavePic"_s, u"90"_s);
        else
            trigger(w, u"F_SavePic"_s);
        const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB32);
        // PNG and BMP keep every pixel; GIF and JPEG keep the picture's size.
        const bool exact = format == u"png"_s || format == u"bmp"_s;
        if (!check(asked && picture.size() == surface.size() && (!exact || picture == surface),
                   u"the exported %1 decodes as the face"_s.arg(format)))
            return false;
    }

    printers.choose(kQueue);
    trigger(w, u"F_Print"_s);
    const QList<PrivateCups::Job> jobs = cups.finishedJobs(1, int(kPatience.count() * 1000));
    QFile pdf(jobs.isEmpty() ? QString() : jobs.first().pdf);
    if (!check(jobs.size() == 1 && jobs.first().state == u"completed"_s &&
                   jobs.first().attributes.value(u"job-name"_s).contains(kCode) &&
                   pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-",
               u"the card of %1 came out of the PDF queue %2"_s.arg(kCode, cups.reason())))
        return false;

    trigger(w, u"F_Close"_s);
    return check(!w.isVisible() && w.openPickers().isEmpty() && messages.asked.isEmpty(),
                 u"the window closes with its pickers, and no message came up on the way"_s);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program itself starts.
    QApplication::setApplicationName(u"kaogumi"_s);
    QApplication::setWindowIcon(MsgBox::applicationIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    installJapaneseTranslations(app);

    // Before anything touches a printer: the print support reads where the
    // scheduler is once.
    PrivateCups cups;
    if (!cups.start()) {
        check(false, u"a private scheduler: "_s + cups.reason());
        // Outside CI (not root, say) the test is skipped; scripts/memcheck
        // still fails, since the session did not run.
        return PrivateCups::mustRun() ? 1 : kSkipped;
    }
    if (!check(cups.addPdfQueue(kQueue), u"a PDF queue: "_s + cups.reason()))
        return 1;
    QTemporaryDir folder;

    bool done = false;
    bool ended = false;
    {
        Main w(QStringLiteral(KAOGUMI_BUILD_DIR));
        QObject::connect(
            &w, &Main::ended, &app,
            [&] {
                ended = true;
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
        w.Form_Load({});
        QTimer::singleShot(0, &w, [&] {
            done = session(w, cups, folder.path());
            // A session stopped half-way, or a window that would not close,
            // still ends the run.
            if (!done)
                QCoreApplication::exit(1);
            else
                QTimer::singleShot(kPatience, &app, [] { QCoreApplication::exit(1); });
        });
        app.exec();
    }
    return check(done && ended, u"the program ended through its exit path"_s) ? 0 : 1;
}
