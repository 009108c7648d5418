#pragma once

// The shared printer dialog object; its dialog joins with the print command.
class PrinterDlg
{
};
