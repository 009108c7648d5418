#include "platform/InputBox.h"

#include "platform/MsgBox.h"

#include <QInputDialog>
#include <QLabel>

namespace InputBox {

namespace {

Handler &handler()
{
    static Handler h;
    return h;
}

} // namespace

void setHandler(Handler h)
{
    handler() = std::move(h);
}

QString show(QWidget *parent, const Request &request)
{
    if (handler())
        return handler()(request);

    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(request.title.isEmpty() ? MsgBox::applicationTitle() : request.title);
    // The input dialog's label would show the lone CR as a blank.
    dialog.setLabelText(MsgBox::sentenceLines(request.prompt));
    if (auto *label = dialog.findChild<QLabel *>())
        MsgBox::keepSentencesWhole(*label);
    dialog.setTextValue(request.defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

} // namespace InputBox
