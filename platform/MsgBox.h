#pragma once

#include <QString>

#include <functional>

class QIcon;
class QWidget;

// The one way the program shows a message. Windows never create a message box
// themselves; tests install a handler that answers in place of the user.
namespace MsgBox {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct Request
{
    QString prompt; // two sentences are joined by a lone CR
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QString title;                     // empty: the program's own title
    Answer defaultAnswer = Answer::Ok; // the button Enter presses
};

// Shows the message modally over parent and returns the button pressed; the
// close box and Esc count as Cancel where there is one, otherwise as the
// default answer.
Answer show(QWidget *parent, const Request &request);

// The program's title, shown by message boxes that have none of their own.
QString applicationTitle();
// The program's icon, which every window of it carries.
QIcon applicationIcon();

using Handler = std::function<Answer(const Request &)>;
// Replaces the dialog with handler (an empty one restores the dialog).
void setHandler(Handler handler);

} // namespace MsgBox
