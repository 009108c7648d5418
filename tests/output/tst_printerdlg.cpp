// The printer objects and the shared printer dialog object against a CUPS
// scheduler of the test's own: scripted dialogs for the rules, Qt's real print
// dialog filled in as a user would, and jobs that go through the spooler.
#include "ModalDialogs.h"
#include "PrivateCups.h"
#include "ScriptedAnswers.h"
#include "ScriptedPrinterDialogs.h"
#include "output/PrinterDlg.h"
#include "output/Printers.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The default queue offers two-sided printing; the other one does not, and
// its name is longer than the 32 characters a Windows device name can hold.
const QString kDefaultQueue = u"Kaogumi_Default"_s;
const QString kOtherQueue = u"kaogumi_second_queue_with_a_long_name_40"_s;

QStringList namesOf(const QList<QPrinter *> &printers)
{
    QStringList names;
    for (const QPrinter *printer : printers)
        names.append(printer->printerName());
    return names;
}

QPrinter *installedPrinter(const QString &name)
{
    const QList<QPrinter *> printers = Printers::installed();
    for (QPrinter *printer : printers) {
        if (printer->printerName() == name)
            return printer;
    }
    return nullptr;
}

// The settings the print dialog carries over, as one comparable value.
struct Settings
{
    int copies = 1;
    QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    bool operator==(const Settings &other) const
    {
        return copies == other.copies && duplex == other.duplex && orientation == other.orientation;
    }
};

Settings settingsOf(const QPrinter *printer)
{
    return {printer->copyCount(), printer->duplex(), printer->pageLayout().orientation()};
}

// The size of a PDF's first page in points, as pdfinfo reads it.
QSizeF pdfPageSize(const QString &pdf)
{
    QProcess pdfinfo;
    pdfinfo.start(u"pdfinfo"_s, {pdf});
    if (!pdfinfo.waitForFinished(30000))
        return {};
    static const QRegularExpression size(u"Page size:\\s+([\\d.]+) x ([\\d.]+) pts"_s);
    const QRegularExpressionMatch match = size.match(QString::fromUtf8(pdfinfo.readAll()));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                            : QSizeF();
}

} // namespace

Q_DECLARE_METATYPE(Settings)

namespace QTest {
template <> char *toString(const Settings &settings)
{
    return qstrdup(QByteArray::number(settings.copies) + " copies, duplex " +
                   QByteArray::number(settings.duplex) + ", orientation " +
                   QByteArray::number(settings.orientation));
}
} // namespace QTest

class TestPrinterDlg : public QObject
{
    Q_OBJECT

private:
    // The program's current printer object as the system's default made it,
    // and every printer object back at one copy, one-sided, portrait.
    void resetPrinters()
    {
        if (!m_defaultPrinter)
            m_defaultPrinter = Printers::current();
        QVERIFY(m_defaultPrinter);
        Printers::setCurrent(m_defaultPrinter);
        QList<QPrinter *> printers = Printers::installed();
        printers.append(m_defaultPrinter);
        for (QPrinter *printer : std::as_const(printers)) {
            printer->setCopyCount(1);
            printer->setDuplex(QPrinter::DuplexNone);
            printer->setPageOrientation(QPageLayout::Portrait);
        }
    }

    PrivateCups m_cups;
    QPrinter *m_defaultPrinter = nullptr;

private Q_SLOTS:
    // Qt's print support reads CUPS_SERVER once, when it first talks to CUPS:
    // the scheduler comes before anything here touches printers.
    void initTestCase() { PRIVATE_CUPS_START(m_cups); }

    // The two queues, the first the default, for every test but the one that
    // sets them up step by step; a test run alone finds them too.
    void init()
    {
        if (qstrcmp(QTest::currentTestFunction(), "ordinaryStates") == 0)
            return;
        const QStringList queues = QPrinterInfo::availablePrinterNames();
        if (!queues.contains(kDefaultQueue))
            QVERIFY2(m_cups.addPdfQueue(kDefaultQueue, true), qPrintable(m_cups.reason()));
        if (!queues.contains(kOtherQueue))
            QVERIFY2(m_cups.addPdfQueue(kOtherQueue), qPrintable(m_cups.reason()));
        if (QPrinterInfo::defaultPrinterName() != kDefaultQueue)
            QVERIFY2(m_cups.setDefault(kDefaultQueue), qPrintable(m_cups.reason()));
        resetPrinters();
    }

    // No printer, printers without a default, a default, and queues that come
    // and go while the program runs: each an ordinary state (runs first).
    void ordinaryStates()
    {
        QWidget owner;
        QVERIFY(Printers::installed().isEmpty());
        QCOMPARE(Printers::current(), nullptr);
        {
            // The dialogs cannot open without a printer: they say so, and
            // the command ends as if the user had dismissed them.
            ScriptedMessages messages;
            PrinterDlg dialog;
            dialog.ShowPrinter(&owner);
            QVERIFY(dialog.Cancel());
            QCOMPARE(dialog.PrinterObj(), nullptr);
            QVERIFY(!dialog.ShowPrintPage(&owner));
            QCOMPARE(messages.asked.size(), 2);
            QCOMPARE(messages.asked.at(0).icon, MsgBox::Icon::Exclamation);
        }

        QVERIFY2(m_cups.addPdfQueue(kDefaultQueue, true), qPrintable(m_cups.reason()));
        QVERIFY2(m_cups.addPdfQueue(kOtherQueue), qPrintable(m_cups.reason()));
        const QList<QPrinter *> installed = Printers::installed();
        QCOMPARE(namesOf(installed), (QStringList{kDefaultQueue, kOtherQueue}));
        QCOMPARE(Printers::current(), nullptr);
        {
            ScriptedPrinterDialogs dialogs;
            dialogs.choose(kOtherQueue, 2);
            PrinterDlg dialog;
            dialog.ShowPrinter(&owner);
            QVERIFY(!dialog.Cancel());
            QCOMPARE(dialog.PrinterObj(), installed.at(1));
            QCOMPARE(installed.at(1)->copyCount(), 2);
        }

        QVERIFY2(m_cups.setDefault(kDefaultQueue), qPrintable(m_cups.reason()));
        QPrinter *current = Printers::current();
        QVERIFY(current);
        QCOMPARE(current->printerName(), kDefaultQueue);
        QVERIFY(!installed.contains(current));
        QCOMPARE(Printers::current(), current);

        // A queue added later is listed among the others, which keep their
        // objects; once removed it is gone from the list.
        QVERIFY2(m_cups.addPdfQueue(u"Kaogumi_Added"_s), qPrintable(m_cups.reason()));
        const QList<QPrinter *> grown = Printers::installed();
        QCOMPARE(namesOf(grown), (QStringList{u"Kaogumi_Added"_s, kDefaultQueue, kOtherQueue}));
        QCOMPARE(grown.mid(1), installed);
        QVERIFY2(m_cups.removeQueue(u"Kaogumi_Added"_s), qPrintable(m_cups.reason()));
        QCOMPARE(Printers::installed(), installed);
    }

    void showPrinter_data()
    {
        QTest::addColumn<QString>("earlier"); // accepted in an earlier dialog
        QTest::addColumn<QString>("chosen");  // null: the dialog is dismissed
        QTest::addColumn<Settings>("asked");
        QTest::addColumn<QString>("expected"); // the queue of PrinterObj's object
        QTest::addColumn<bool>("current");     // PrinterObj is the current printer
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<Settings>("result");  // PrinterObj's settings afterwards
        QTest::addColumn<QString>("startsOn"); // the queue the dialog under test offered

        const Settings plain;
        const Settings twoSidedLandscape{2, QPrinter::DuplexLongSide, QPageLayout::Landscape};
        const Settings threeCopies{3, QPrinter::DuplexNone, QPageLayout::Portrait};
        const Settings fourLandscape{4, QPrinter::DuplexNone, QPageLayout::Landscape};
        const Settings refused{0, QPrinter::DuplexLongSide, QPageLayout::Landscape};
        const Settings afterRefused{1, QPrinter::DuplexNone, QPageLayout::Landscape};
        const QString gone = u"Kaogumi_Gone"_s;

        QTest::newRow("default queue")
            << QString() << kDefaultQueue << twoSidedLandscape << kDefaultQueue << true << false
            << twoSidedLandscape << kDefaultQueue;
        QTest::newRow("default queue, other letter case")
            << QString() << kDefaultQueue.toLower() << threeCopies << kDefaultQueue << true << false
            << threeCopies << kDefaultQueue;
        QTest::newRow("other queue, 40-character name")
            << QString() << kOtherQueue << fourLandscape << kOtherQueue << false << false
            << fourLandscape << kDefaultQueue;
        QTest::newRow("other queue, other letter case")
            << kDefaultQueue << kOtherQueue.toUpper() << threeCopies << kOtherQueue << false
            << false << threeCopies << kDefaultQueue;
        QTest::newRow("refused copies and duplex skipped")
            << QString() << kOtherQueue << refused << kOtherQueue << false << false << afterRefused
            << kDefaultQueue;
        QTest::newRow("unknown queue keeps the earlier choice")
            << kOtherQueue << gone << fourLandscape << kOtherQueue << false << false
            << fourLandscape << kOtherQueue;
        QTest::newRow("unknown queue, no earlier choice")
            << QString() << gone << fourLandscape << QString() << false << false << plain
            << kDefaultQueue;
        QTest::newRow("dismissed after an accepted dialog")
            << kOtherQueue << QString() << fourLandscape << kOtherQueue << false << true << plain
            << kOtherQueue;
        QTest::newRow("dismissed") << QString() << QString() << plain << QString() << false << true
                                   << plain << kDefaultQueue;
    }

    void showPrinter()
    {
        QFETCH(QString, earlier);
        QFETCH(QString, chosen);
        QFETCH(Settings, asked);
        QFETCH(QString, expected);
        QFETCH(bool, current);
        QFETCH(bool, cancel);
        QFETCH(Settings, result);

        QWidget owner;
        ScriptedPrinterDialogs dialogs;
        PrinterDlg dialog;
        dialog.setFlags(0x40);
        // Cancel is set before the dialog under test, which clears it first.
        dialogs.dismiss();
        if (!earlier.isNull())
            dialogs.choose(earlier);
        if (chosen.isNull())
            dialogs.dismiss();
        else
            dialogs.choose(chosen, asked.copies, asked.duplex, asked.orientation);
        while (!dialogs.answers.isEmpty())
            dialog.ShowPrinter(&owner);

        QCOMPARE(dialog.Cancel(), cancel);
        QPrinter *expectedObject = expected.isNull() ? nullptr
                                   : current         ? Printers::current()
                                                     : installedPrinter(expected);
        QCOMPARE(dialog.PrinterObj(), expectedObject);
        if (expectedObject)
            QCOMPARE(settingsOf(expectedObject), result);

        // Every dialog had the caller's flags; the first ones offered the
        // current printer, the default queue, and the one under test the
        // printer an earlier dialog chose. No other printer object changed.
        for (const PrinterDlg::Request &request : std::as_const(dialogs.asked)) {
            QCOMPARE(request.kind, PrinterDlg::Kind::Print);
            QCOMPARE(request.owner, &owner);
            QCOMPARE(request.flags, 0x40);
        }
        QCOMPARE(dialogs.asked.first().mode.deviceName, kDefaultQueue);
        QTEST(dialogs.asked.last().mode.deviceName, "startsOn");
        QList<QPrinter *> others = Printers::installed();
        others.append(Printers::current());
        for (const QPrinter *other : std::as_const(others)) {
            if (other != expectedObject)
                QCOMPARE(settingsOf(other), Settings());
        }
    }

    void showPrintPage_data()
    {
        QTest::addColumn<QString>("chosen"); // null: the dialog is dismissed
        QTest::addColumn<bool>("cancelBefore");
        QTest::addColumn<bool>("becomesCurrent"); // the chosen queue's object
        QTest::addColumn<bool>("accepted");

        QTest::newRow("other queue") << kOtherQueue << true << true << true;
        QTest::newRow("name in other letter case matches none")
            << kOtherQueue.toUpper() << false << false << true;
        QTest::newRow("dismissed") << QString() << false << false << false;
    }

    void showPrintPage()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, cancelBefore);
        QFETCH(bool, becomesCurrent);
        QFETCH(bool, accepted);
        QWidget owner;
        ScriptedPrinterDialogs dialogs;
        PrinterDlg dialog;
        if (cancelBefore)
            dialogs.dismiss();
        else
            dialogs.choose(kDefaultQueue);
        dialog.ShowPrinter(&owner);
        QCOMPARE(dialog.Cancel(), cancelBefore);

        QPrinter *current = Printers::current();
        current->setPageSize(QPageSize(QPageSize::A5));
        current->setPageOrientation(QPageLayout::Landscape);
        current->setPaperSource(QPrinter::Manual);

        PrinterDlg::Answer answer;
        answer.accepted = !chosen.isNull();
        answer.mode.deviceName = chosen;
        answer.mode.copies = 3;
        answer.mode.orientation = QPageLayout::Portrait;
        answer.mode.paperSize = QPageSize(QPageSize::B5);
        answer.mode.paperSource = QPrinter::Envelope;
        answer.margins = {1000, 1250, 2540, 7};
        dialogs.answers = {answer};
        dialogs.asked.clear();
        QCOMPARE(dialog.ShowPrintPage(&owner, 0x0A), accepted);
        QCOMPARE(dialog.Cancel(), cancelBefore || !accepted);

        // The dialog showed the current printer with its paper, orientation
        // and paper source, and margins of 0.
        QCOMPARE(dialogs.asked.size(), 1);
        const PrinterDlg::Request &request = dialogs.asked.first();
        QCOMPARE(request.kind, PrinterDlg::Kind::PageSetup);
        QCOMPARE(request.owner, &owner);
        QCOMPARE(request.flags, 0x0A);
        QCOMPARE(request.mode.deviceName, kDefaultQueue);
        QCOMPARE(request.mode.paperSize.id(), QPageSize::A5);
        QCOMPARE(request.mode.orientation, QPageLayout::Landscape);
        QCOMPARE(request.mode.paperSource, QPrinter::Manual);
        QCOMPARE(request.margins.left + request.margins.top + request.margins.right +
                     request.margins.bottom,
                 0);

        QPrinter *chosenObject = installedPrinter(kOtherQueue);
        QCOMPARE(Printers::current(), becomesCurrent ? chosenObject : current);
        if (becomesCurrent) {
            QCOMPARE(chosenObject->pageLayout().pageSize().id(), QPageSize::B5);
            QCOMPARE(chosenObject->paperSource(), QPrinter::Envelope);
            QCOMPARE(chosenObject->pageLayout().orientation(), QPageLayout::Portrait);
            QCOMPARE(chosenObject->copyCount(), 3);
        } else {
            QCOMPARE(current->pageLayout().pageSize().id(), QPageSize::A5);
            QCOMPARE(settingsOf(chosenObject), Settings());
        }

        // The next page setup shows the margins an accepted one returned.
        dialog.ShowPrintPage(&owner);
        const PrinterDlg::Margins next = dialogs.asked.last().margins;
        const PrinterDlg::Margins expected = accepted ? answer.margins : PrinterDlg::Margins{};
        QCOMPARE(next.left, expected.left);
        QCOMPARE(next.top, expected.top);
        QCOMPARE(next.right, expected.right);
        QCOMPARE(next.bottom, expected.bottom);
    }

    // Qt's own print dialog, filled in as a user would.
    void realPrintDialog_data()
    {
        QTest::addColumn<QString>("queue"); // null: the dialog is dismissed
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<bool>("current");

        QTest::newRow("other queue, three copies, landscape")
            << kOtherQueue << Settings{3, QPrinter::DuplexNone, QPageLayout::Landscape} << false;
        QTest::newRow("default queue, both sides")
            << kDefaultQueue << Settings{1, QPrinter::DuplexLongSide, QPageLayout::Portrait}
            << true;
        QTest::newRow("dismissed") << QString() << Settings() << false;
    }

    void realPrintDialog()
    {
        QFETCH(QString, queue);
        QFETCH(Settings, settings);
        QFETCH(bool, current);

        QWidget owner;
        int listed = -1;
        bool propertiesShown = false;
        const auto watch = whenOpen<QPrintDialog>([&](QPrintDialog *dialog) {
            auto *printers = dialog->findChild<QComboBox *>(u"printers"_s);
            listed = printers ? printers->count() : -1;
            if (queue.isNull() || !printers) {
                dialog->reject();
                return;
            }
            printers->setCurrentIndex(printers->findText(queue));
            if (auto *copies = dialog->findChild<QSpinBox *>(u"copies"_s))
                copies->setValue(settings.copies);
            if (settings.duplex == QPrinter::DuplexLongSide) {
                if (auto *longSide = dialog->findChild<QRadioButton *>(u"duplexLong"_s))
                    longSide->click();
            }
            if (settings.orientation == QPageLayout::Landscape) {
                // The orientation is on the printer's properties dialog.
                const auto inner = whenOpen<QDialog>([&](QDialog *properties) {
                    if (auto *landscape = properties->findChild<QRadioButton *>(u"landscape"_s)) {
                        landscape->click();
                        propertiesShown = true;
                    }
                    properties->accept();
                });
                if (auto *button = dialog->findChild<QPushButton *>(u"properties"_s))
                    button->click();
            }
            dialog->accept();
        });

        PrinterDlg dialog;
        dialog.ShowPrinter(&owner);
        QVERIFY(watch.fired());
        // Printers only: no entry for printing to a file.
        QCOMPARE(listed, Printers::installed().size());
        QCOMPARE(propertiesShown, settings.orientation == QPageLayout::Landscape);
        QCOMPARE(dialog.Cancel(), queue.isNull());
        QPrinter *expected = queue.isNull() ? nullptr
                             : current      ? Printers::current()
                                            : installedPrinter(queue);
        QCOMPARE(dialog.PrinterObj(), expected);
        if (expected)
            QCOMPARE(settingsOf(expected), settings);
    }

    // A page printed on PrinterObj reaches the chosen queue with the chosen
    // copies, sides and orientation.
    void printsOnChosenQueue_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("sides");

        QTest::newRow("default queue named in other letters, both sides")
            << kDefaultQueue.toUpper()
            << Settings{1, QPrinter::DuplexLongSide, QPageLayout::Portrait} << kDefaultQueue
            << u"two-sided-long-edge"_s;
        QTest::newRow("other queue, two copies, landscape")
            << kOtherQueue << Settings{2, QPrinter::DuplexNone, QPageLayout::Landscape}
            << kOtherQueue << u"one-sided"_s;
    }

    void printsOnChosenQueue()
    {
        QFETCH(QString, chosen);
        QFETCH(Settings, settings);
        QFETCH(QString, queue);
        QFETCH(QString, sides);

        QWidget owner;
        ScriptedPrinterDialogs dialogs;
        dialogs.choose(chosen, settings.copies, settings.duplex, settings.orientation);
        PrinterDlg dialog;
        dialog.ShowPrinter(&owner);
        QVERIFY(dialog.PrinterObj());

        const qsizetype before = m_cups.finishedJobs(0).size();
        {
            QPainter painter(dialog.PrinterObj());
            QVERIFY(painter.isActive());
            painter.drawText(QPointF(100, 100), u"403120701"_s);
        }
        const QList<PrivateCups::Job> jobs = m_cups.finishedJobs(int(before) + 1);
        QVERIFY2(jobs.size() == before + 1, qPrintable(m_cups.reason()));
        const PrivateCups::Job &job = jobs.last();
        QCOMPARE(job.state, u"completed"_s);
        QCOMPARE(job.queue, queue);
        QCOMPARE(job.attributes.value(u"copies"_s, u"1"_s), QString::number(settings.copies));
        QCOMPARE(job.attributes.value(u"sides"_s, u"one-sided"_s), sides);
        QVERIFY2(!job.pdf.isEmpty(), "cups-pdf wrote no file");
        // Qt turns the page itself; the job carries no orientation.
        const QSizeF page = pdfPageSize(job.document);
        QVERIFY2(!page.isEmpty(), qPrintable(job.document));
        QCOMPARE(page.width() > page.height(), settings.orientation == QPageLayout::Landscape);
        // The current printer is left as it was when another queue was chosen.
        if (queue != kDefaultQueue)
            QCOMPARE(settingsOf(Printers::current()), Settings());
    }
};

QTEST_MAIN(TestPrinterDlg)
#include "tst_printerdlg.moc"
