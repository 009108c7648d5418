#pragma once

// The shared file dialog object; its dialogs join with the Open, Save As and
// picture export commands.
class FileDlg
{
};
