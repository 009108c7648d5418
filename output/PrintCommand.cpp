#include "output/PrintCommand.h"

#include "output/PrintSpace.h"
#include "output/PrinterDlg.h"
#include "output/Printers.h"
#include "platform/MsgBox.h"

#include <QPrinter>

namespace PrintCommand {

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
    // With no printer at all, or one that refuses the job, the command ends
    // without a word: the user sees that nothing came out of the printer.
    if (!printer)
        return;
    // The job's name in the printer's queue.
    printer->setDocName(MsgBox::applicationTitle() + u' ' + faceCode);
    page->sendToPrinter(*printer);
}

} // namespace PrintCommand
