#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QString>
#include <QtGlobal>

#include <functional>

class QPaintDevice;
class QWidget;

// The shared printer dialog object: the print dialog and the page-setup
// dialog, and what the user chose in them carried over to the program's
// printer objects (output/Printers.h). The program keeps one; the print
// command asks it for the printer and then prints on PrinterObj.
class PrinterDlg
{
public:
    // The printer settings a dialog starts from and hands back.
    struct DeviceMode
    {
        QString deviceName; // the queue's name, whole whatever its length
        int copies = 1;
        QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        QPageSize paperSize;
        QPrinter::PaperSource paperSource = QPrinter::Auto;
    };

    // Page margins as the page-setup dialog takes them: hundredths of the
    // margin unit (the real dialog reads them as hundredths of a millimetre).
    struct Margins
    {
        qint32 left = 0;
        qint32 top = 0;
        qint32 right = 0;
        qint32 bottom = 0;
    };

    enum class Kind { Print, PageSetup };

    // What the dialog would show.
    struct Request
    {
        Kind kind = Kind::Print;
        QWidget *owner = nullptr;
        qint32 flags = 0;   // Flags for the print dialog, the caller's for the page setup
        DeviceMode mode;    // the printer and settings the dialog starts from
        Margins margins;    // page setup: the margins shown
        Margins minMargins; // page setup: the smallest margins allowed
    };

    // What the user did: accepted or not, and what was left in the dialog.
    struct Answer
    {
        bool accepted = false;
        DeviceMode mode;
        Margins margins; // page setup
    };

    using Handler = std::function<Answer(const Request &)>;
    // Replaces the dialogs with handler (an empty one restores the dialogs).
    static void setHandler(Handler handler);

    // The print dialog, modal to lngHWnd, starting on the printer chosen in
    // the last accepted dialog (PrinterObj) with its copies, duplex mode and
    // orientation, or before any on the current printer. Cancel is false
    // first; a dismissed dialog (or one that cannot open because no printer
    // is installed, or because the scheduler does not answer within
    // CupsJob::ProbeTimeoutMs, which the user is told) sets it and changes
    // nothing else.
    // After an accepted dialog the chosen printer, its name compared in upper
    // case, is looked for first as the current printer (PrinterObj then is
    // that very object), then among the installed printers in their order; no
    // match leaves PrinterObj as it was. PrinterObj then takes the copies,
    // duplex mode and orientation chosen, in that order, each one it refuses
    // skipped. lngHdc is accepted for callers that pass one and not used.
    void ShowPrinter(QWidget *lngHWnd, QPaintDevice *lngHdc = nullptr);

    // The page-setup dialog, modal to lngHWnd, for the current printer with
    // its paper size, orientation and paper source, and the margins kept
    // here; lngFlags go to the dialog. True when it was accepted: every
    // installed printer whose name equals the one in the dialog exactly
    // becomes the current printer and takes paper size, paper source,
    // orientation and copies from it, and the margins are kept. Otherwise
    // (dismissed, or a scheduler that does not answer, as for ShowPrinter)
    // false, with Cancel set; this never sets Cancel to false.
    bool ShowPrintPage(QWidget *lngHWnd, qint32 lngFlags = 0);

    // Whether the last dialog was dismissed or could not open.
    bool Cancel() const { return m_cancel; }

    // The printer object chosen by the last accepted print dialog; nullptr
    // before any.
    QPrinter *PrinterObj() const { return m_printerObj; }
    void setPrinterObj(QPrinter *printer) { m_printerObj = printer; }

    // Option bits for the print dialog, as Qt's QAbstractPrintDialog takes
    // them; 0, as the program leaves it, shows the dialog without a page
    // range and without printing to a file.
    qint32 Flags() const { return m_flags; }
    void setFlags(qint32 flags) { m_flags = flags; }

private:
    QPrinter *m_printerObj = nullptr;
    qint32 m_flags = 0;
    bool m_cancel = false;
    // The page margins, in the unit of the caller's page-setup flags; the
    // minimum margins are never set.
    float m_marginTop = 0;
    float m_marginLeft = 0;
    float m_marginBottom = 0;
    float m_marginRight = 0;
    float m_minMarginTop = 0;
    float m_minMarginLeft = 0;
    float m_minMarginBottom = 0;
    float m_minMarginRight = 0;
    // The settings the last dialog dealt in.
    DeviceMode m_devMode;
};
