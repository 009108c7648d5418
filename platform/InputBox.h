#pragma once

#include <QString>

#include <functional>

class QWidget;

// The one way the program asks for a line of text, with OK and Cancel.
namespace InputBox {

struct Request
{
    QString prompt;
    QString title; // empty: the program's own title
    QString defaultText;
};

// Shows the prompt modally over parent; the typed text, or the empty string
// when the user cancelled.
QString show(QWidget *parent, const Request &request);

using Handler = std::function<QString(const Request &)>;
// Replaces the dialog with handler (an empty one restores the dialog).
void setHandler(Handler handler);

} // namespace InputBox
