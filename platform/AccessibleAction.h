#pragma once

class QAction;
class QString;

namespace AccessibleAction {

// Gives action, an item of a menu or a menu of the menu bar, the name and
// description a screen reader reads in place of its caption (which keeps its
// mnemonic marks). A press that comes through the accessibility bridge runs
// the command on the next turn of the event loop, so that a command that
// opens a modal dialog does not hold the bridge's reply until the dialog
// closes; keys, clicks and QAction::trigger() still run it at once.
void describe(QAction *action, const QString &name, const QString &description);

} // namespace AccessibleAction
