#pragma once

#include "document/Composite.h"

#include <QString>

#include <functional>

class PrinterDlg;
class QWidget;

namespace PrintCommand {

// The print command. The user chooses the printer in printerDialog (the
// program's shared printer dialog object) over the page form, which is
// loaded now if it is not yet; a cancel ends the command with nothing drawn.
// Otherwise repaint() refreshes the main window, the page form takes a fresh
// card of faceCode (the main window's face code label as it reads) and the
// face's layers, and the card goes to the chosen printer, or to the current
// printer when the dialog found none for the chosen name, with the copies,
// sides and orientation set on that printer. The page is composed at once;
// the job is handed to the scheduler off the window's thread, and the command
// returns before that ends. Nothing is said on success; when there is no
// printer, the page cannot be made or the scheduler refuses the job or stops
// answering, the user is told, over the page form. The face is never changed.
void F_Print(QWidget *owner, PrinterDlg &printerDialog, const QString &faceCode,
             const Composite::Layers &layers, const std::function<void()> &repaint);

} // namespace PrintCommand
