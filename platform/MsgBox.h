#pragma once

#include <QString>

#include <functional>
#include <utility>

class QIcon;
class QLabel;
class QWidget;

// The one way the program shows a message. Windows never create a message box
// themselves; tests install a handler that answers in place of the user.
namespace MsgBox {

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct Request
{
    Request() = default;
    Request(QString prompt_, Buttons buttons_, Icon icon_, QString title_, Answer defaultAnswer_,
            QString detail_ = {})
        : prompt(std::move(prompt_)), buttons(buttons_), icon(icon_), title(std::move(title_)),
          defaultAnswer(defaultAnswer_), detail(std::move(detail_))
    {
    }

    QString prompt; // two sentences are joined by a lone CR
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QString title;                     // empty: the program's own title
    Answer defaultAnswer = Answer::Ok; // the button Enter presses
    // Shown under the message, apart from it: what the message is about (the
    // file), where the message itself is a fixed text.
    QString detail;
};

// Shows the message modally over parent and returns the button pressed; the
// close box and Esc count as Cancel where there is one, otherwise as the
// default answer.
Answer show(QWidget *parent, const Request &request);

// A prompt's sentences, each on a line of its own: the lone CR between them
// becomes a line feed, which every label shows as a line break.
QString sentenceLines(const QString &prompt);
// Keeps each line of a dialog's label whole, as wide as the screen allows:
// Japanese has no blanks between words, and a label left to wrap breaks a
// sentence anywhere (開けませ／ん).
void keepSentencesWhole(QLabel &label);

// The program's title, shown by message boxes that have none of their own.
QString applicationTitle();
// The program's icon, which every window of it carries.
QIcon applicationIcon();

using Handler = std::function<Answer(const Request &)>;
// Replaces the dialog with handler (an empty one restores the dialog).
void setHandler(Handler handler);

} // namespace MsgBox
