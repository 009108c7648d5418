#include "output/PrinterDlg.h"

#include "output/CupsJob.h"
#include "output/Printers.h"
#include "platform/FileDlgMod.h"
#include "platform/MsgBox.h"

#include <QMarginsF>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinterInfo>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

PrinterDlg::Handler &handler()
{
    static PrinterDlg::Handler h;
    return h;
}

PrinterDlg::DeviceMode modeOf(const QPrinter &printer)
{
    PrinterDlg::DeviceMode mode;
    mode.deviceName = printer.printerName();
    mode.copies = printer.copyCount();
    mode.duplex = printer.duplex();
    mode.orientation = printer.pageLayout().orientation();
    mode.paperSize = printer.pageLayout().pageSize();
    mode.paperSource = printer.paperSource();
    return mode;
}

// Each setter leaves the printer as it was where the printer refuses the
// value: a copy count below one, a duplex mode the queue cannot print, an
// invalid paper size.
void setCopies(QPrinter &printer, int copies)
{
    if (copies >= 1)
        printer.setCopyCount(copies);
}

void setDuplex(QPrinter &printer, QPrinter::DuplexMode duplex)
{
    printer.setDuplex(duplex);
}

void setOrientation(QPrinter &printer, QPageLayout::Orientation orientation)
{
    printer.setPageOrientation(orientation);
}

void setPaperSize(QPrinter &printer, const QPageSize &size)
{
    if (size.isValid())
        printer.setPageSize(size);
}

void setPaperSource(QPrinter &printer, QPrinter::PaperSource source)
{
    printer.setPaperSource(source);
}

// A margin as the page-setup dialog takes it: times 100, rounded to the
// nearest whole number and halves to even. One too large for the dialog's
// field is not handed over: the field stays 0.
qint32 toDialog(float margin)
{
    const float value = std::nearbyint(margin * 100.0f);
    constexpr float limit = 2147483648.0f; // 2^31
    if (!(value >= -limit && value < limit))
        return 0;
    return static_cast<qint32>(value);
}

float fromDialog(qint32 value)
{
    return static_cast<float>(value / 100.0);
}

// Every question about printers waits on the scheduler, for minutes when it
// has stopped answering (Qt's list of printers took 122 s against a stopped
// one): ask it first, a bounded while, and say so when it does not answer.
// One that is not running at all answers at once that there is no printer.
bool schedulerAnswers(QWidget *owner)
{
    if (CupsJob::probe() != CupsJob::Scheduler::NotAnswering)
        return true;
    MsgBox::Request message;
    message.prompt =
        u"プリンターの一覧を読めませんでした。\r印刷を受け持つ CUPS が応答しません。"_s;
    message.icon = MsgBox::Icon::Exclamation;
    message.title = u"印刷"_s;
    MsgBox::show(owner, message);
    return false;
}

// Like the system's own dialogs, the dialogs cannot open without a printer to
// print on; they say why first.
bool printerInstalled(QWidget *owner)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        return true;
    MsgBox::Request message;
    message.prompt = u"印刷やページ設定を行うには、プリンタをインストールする必要があります。"_s;
    message.icon = MsgBox::Icon::Exclamation;
    message.title = u"印刷"_s;
    MsgBox::show(owner, message);
    return false;
}

// Qt's print dialog on printer. The program's printer objects are printers
// only, so unless the caller asks for other options the dialog offers neither
// a file to print to nor a page range, which nothing would read back.
PrinterDlg::Answer showPrintDialog(const PrinterDlg::Request &request, QPrinter &printer)
{
    if (!printerInstalled(request.owner))
        return {};
    QPrintDialog dialog(&printer, request.owner);
    if (request.flags != 0) {
        dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions::fromInt(request.flags));
    } else {
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return {true, modeOf(printer), {}};
}

// Qt's page-setup dialog on printer, the margins in hundredths of a
// millimetre. It keeps the printer's own smallest margins.
PrinterDlg::Answer showPageSetupDialog(const PrinterDlg::Request &request, QPrinter &printer)
{
    if (!printerInstalled(request.owner))
        return {};
    const PrinterDlg::Margins &m = request.margins;
    printer.setPageMargins(
        QMarginsF(m.left / 100.0, m.top / 100.0, m.right / 100.0, m.bottom / 100.0),
        QPageLayout::Millimeter);
    QPageSetupDialog dialog(&printer, request.owner);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QMarginsF chosen = printer.pageLayout().margins(QPageLayout::Millimeter);
    PrinterDlg::Margins margins;
    margins.left = qRound(chosen.left() * 100);
    margins.top = qRound(chosen.top() * 100);
    margins.right = qRound(chosen.right() * 100);
    margins.bottom = qRound(chosen.bottom() * 100);
    return {true, modeOf(printer), margins};
}

PrinterDlg::Answer ask(const PrinterDlg::Request &request, QPrinter &printer)
{
    if (handler())
        return handler()(request);
    return request.kind == PrinterDlg::Kind::Print ? showPrintDialog(request, printer)
                                                   : showPageSetupDialog(request, printer);
}

} // namespace

void PrinterDlg::setHandler(Handler h)
{
    handler() = std::move(h);
}

void PrinterDlg::ShowPrinter(QWidget *lngHWnd, QPaintDevice * /*lngHdc*/)
{
    m_cancel = false;
    if (!schedulerAnswers(lngHWnd)) {
        m_cancel = true;
        return;
    }

    // The dialog offers the printer chosen last, with the settings the
    // program holds on it; before any choice, the current printer (the
    // system's default at first).
    QPrinter printer(QPrinter::HighResolution);
    if (const QPrinter *offered = m_printerObj ? m_printerObj : Printers::current()) {
        printer.setPrinterName(offered->printerName());
        setCopies(printer, offered->copyCount());
        setDuplex(printer, offered->duplex());
        setOrientation(printer, offered->pageLayout().orientation());
    }
    Request request;
    request.kind = Kind::Print;
    request.owner = lngHWnd;
    request.flags = m_flags;
    request.mode = modeOf(printer);

    const Answer answer = ask(request, printer);
    if (!answer.accepted) {
        m_cancel = true;
        return;
    }
    m_devMode = answer.mode;

    // Queue names have no length limit here: a name of any length is
    // compared whole.
    const QString chosen = FileDlgMod::CutAtNull(m_devMode.deviceName).toUpper();
    QPrinter *current = Printers::current();
    if (current && current->printerName().toUpper() == chosen) {
        m_printerObj = current;
    } else {
        const QList<QPrinter *> printers = Printers::installed();
        for (QPrinter *installed : printers) {
            if (installed->printerName().toUpper() == chosen) {
                m_printerObj = installed;
                break;
            }
        }
    }

    if (!m_printerObj)
        return;
    setCopies(*m_printerObj, m_devMode.copies);
    setDuplex(*m_printerObj, m_devMode.duplex);
    setOrientation(*m_printerObj, m_devMode.orientation);
}

bool PrinterDlg::ShowPrintPage(QWidget *lngHWnd, qint32 lngFlags)
{
    if (!schedulerAnswers(lngHWnd)) {
        m_cancel = true;
        return false;
    }
    // The current printer's own settings, with the paper size, orientation
    // and paper source the program has set on it. Without a current printer
    // the settings of the last dialog stay.
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinter *current = Printers::current()) {
        printer.setPrinterName(current->printerName());
        m_devMode = modeOf(printer);
        m_devMode.paperSize = current->pageLayout().pageSize();
        m_devMode.orientation = current->pageLayout().orientation();
        m_devMode.paperSource = current->paperSource();
    }
    if (printer.printerName() != m_devMode.deviceName && !m_devMode.deviceName.isEmpty())
        printer.setPrinterName(m_devMode.deviceName);
    setPaperSize(printer, m_devMode.paperSize);
    setOrientation(printer, m_devMode.orientation);
    setPaperSource(printer, m_devMode.paperSource);
    setCopies(printer, m_devMode.copies);

    Request request;
    request.kind = Kind::PageSetup;
    request.owner = lngHWnd;
    request.flags = lngFlags;
    request.mode = m_devMode;
    request.margins = {toDialog(m_marginLeft), toDialog(m_marginTop), toDialog(m_marginRight),
                       toDialog(m_marginBottom)};
    request.minMargins = {toDialog(m_minMarginLeft), toDialog(m_minMarginTop),
                          toDialog(m_minMarginRight), toDialog(m_minMarginBottom)};

    const Answer answer = ask(request, printer);
    if (!answer.accepted) {
        m_cancel = true;
        return false;
    }
    m_devMode = answer.mode;

    // Exact names, and every printer that has it: the last one listed stays
    // the current printer.
    const QList<QPrinter *> printers = Printers::installed();
    for (QPrinter *installed : printers) {
        if (installed->printerName() == m_devMode.deviceName) {
            Printers::setCurrent(installed);
            setPaperSize(*installed, m_devMode.paperSize);
            setPaperSource(*installed, m_devMode.paperSource);
            setOrientation(*installed, m_devMode.orientation);
            setCopies(*installed, m_devMode.copies);
        }
    }

    m_marginLeft = fromDialog(answer.margins.left);
    m_marginTop = fromDialog(answer.margins.top);
    m_marginRight = fromDialog(answer.margins.right);
    m_marginBottom = fromDialog(answer.margins.bottom);
    return true;
}
