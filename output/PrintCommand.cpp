#include "output/PrintCommand.h"

#include "output/CupsJob.h"
#include "output/PrintSpace.h"
#include "output/PrinterDlg.h"
#include "output/Printers.h"
#include "platform/MsgBox.h"

#include <QPointer>
#include <QPrinter>

using namespace Qt::StringLiterals;

namespace PrintCommand {

namespace {

void tell(QWidget *owner, const QString &prompt)
{
    MsgBox::Request message;
    message.prompt = prompt;
    message.icon = MsgBox::Icon::Exclamation;
    message.title = u"印刷"_s;
    MsgBox::show(owner, message);
}

QString sidesOf(const QPrinter &printer)
{
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
        return u"two-sided-long-edge"_s;
    case QPrinter::DuplexShortSide:
        return u"two-sided-short-edge"_s;
    case QPrinter::DuplexAuto:
        return printer.pageLayout().orientation() == QPageLayout::Portrait
                   ? u"two-sided-long-edge"_s
                   : u"two-sided-short-edge"_s;
    case QPrinter::DuplexNone:
        break;
    }
    return u"one-sided"_s;
}

} // namespace

void F_Print(QWidget *owner, PrinterDlg &printerDialog, const QString &faceCode,
             const Composite::Layers &layers, const std::function<void()> &repaint)
{
    PrintSpace *page = PrintSpace::load(owner);
    // The page form owns the dialog, as it does the page.
    printerDialog.ShowPrinter(page);
    if (printerDialog.Cancel())
        return;
    if (repaint)
        repaint();

    // Every print starts from a clean page, so a code line printed before
    // never shows through under the current one.
    page->setCard({faceCode, layers});

    QPrinter *printer = printerDialog.PrinterObj();
    if (!printer)
        printer = Printers::current();
    if (!printer) {
        tell(page, u"印刷できませんでした。\r印刷に使うプリンターが見つかりません。"_s);
        return;
    }

    // The page is composed here; the scheduler gets it on a thread of its
    // own, so a scheduler that stops answering never holds up the window,
    // and the user hears of it when the job could not be handed over.
    CupsJob::Request job;
    job.queue = printer->printerName().section(u'/', 0, 0);
    // The job's name in the printer's queue, cut to what the queue takes.
    job.title = MsgBox::applicationTitle() + u' ' + faceCode;
    job.copies = printer->copyCount();
    job.sides = sidesOf(*printer);
    job.media = printer->pageLayout().pageSize().key();
    job.pdf = page->pagePdf(*printer, QString::fromUtf8(CupsJob::jobName(job.title)));
    if (job.pdf.isEmpty()) {
        tell(page, u"印刷できませんでした。\r印刷するページを作れませんでした。"_s);
        return;
    }
    const QString queue = job.queue;
    CupsJob::start(
        std::move(job), page,
        [page = QPointer<PrintSpace>(page), queue](const CupsJob::Result &result) {
            if (result.ok)
                return;
            tell(
                page,
                result.timedOut
                    ? u"「%1」に印刷できませんでした。\r印刷を受け持つ CUPS が応答しません。"_s.arg(
                          queue)
                    : u"「%1」に印刷できませんでした。\rプリンターが印刷を受け付けません（%2）。"_s
                          .arg(queue, result.reason));
        });
}

} // namespace PrintCommand
