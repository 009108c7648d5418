#pragma once

// A stand-in for the user at the print and page-setup dialogs: each dialog is
// answered with the next scripted answer (dismissed once they run out), and
// what it was asked is kept. Header only; the test links the program's
// output library.

#include "output/PrinterDlg.h"

#include <QList>

class ScriptedPrinterDialogs
{
public:
    ScriptedPrinterDialogs()
    {
        PrinterDlg::setHandler([this](const PrinterDlg::Request &request) {
            asked.append(request);
            return answers.isEmpty() ? PrinterDlg::Answer{} : answers.takeFirst();
        });
    }
    ~ScriptedPrinterDialogs() { PrinterDlg::setHandler({}); }
    ScriptedPrinterDialogs(const ScriptedPrinterDialogs &) = delete;
    ScriptedPrinterDialogs &operator=(const ScriptedPrinterDialogs &) = delete;

    // The user picks the printer named deviceName in the print dialog, with
    // these settings, and accepts.
    void choose(const QString &deviceName, int copies = 1,
                QPrinter::DuplexMode duplex = QPrinter::DuplexNone,
                QPageLayout::Orientation orientation = QPageLayout::Portrait)
    {
        PrinterDlg::Answer answer;
        answer.accepted = true;
        answer.mode.deviceName = deviceName;
        answer.mode.copies = copies;
        answer.mode.duplex = duplex;
        answer.mode.orientation = orientation;
        answers.append(answer);
    }
    void dismiss() { answers.append(PrinterDlg::Answer{}); }

    QList<PrinterDlg::Answer> answers; // dismissed once they run out
    QList<PrinterDlg::Request> asked;
};
