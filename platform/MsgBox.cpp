#include "platform/MsgBox.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace MsgBox {

namespace {

Handler &handler()
{
    static Handler h;
    return h;
}

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

QMessageBox::StandardButtons toQt(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// A message shown before its owner window (a face file named on the command
// line that cannot be read) stands where that window is about to appear. Qt
// would centre it there too, but guesses frames that no shown window tells it
// yet. Both positions are of the frames' corners, so the title bars cancel out.
void placeOverHiddenOwner(QMessageBox &box, QWidget *parent)
{
    QWidget *owner = parent ? parent->window() : nullptr;
    if (!owner || owner->isVisible() || !owner->testAttribute(Qt::WA_Moved))
        return;
    box.adjustSize();
    const QRect area = owner->geometry();
    box.move(area.topLeft() +
             QPoint((area.width() - box.width()) / 2, (area.height() - box.height()) / 2));
}

} // namespace

QString sentenceLines(const QString &prompt)
{
    QString lines = prompt;
    return lines.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
}

void keepSentencesWhole(QLabel &label)
{
    const QFontMetrics metrics(label.font());
    int widest = 0;
    for (const QString &line : sentenceLines(label.text()).split(u'\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QScreen *screen = label.screen() ? label.screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() * 3 / 4 : widest;
    // A sentence wider than that still wraps, as it must.
    label.setMinimumWidth(std::min(widest + metrics.averageCharWidth(), room));
}

QString applicationTitle()
{
    return u"かおぐみ"_s;
}

QIcon applicationIcon()
{
    // Read once: every window carries the icon, and each reading parses the
    // picture again (at start-up six times), while copies share one engine
    // and the sizes it has drawn.
    static const QIcon icon(u":/kaogumi.svg"_s);
    return icon;
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

Answer show(QWidget *parent, const Request &request)
{
    if (handler())
        return handler()(request);

    QMessageBox box(toQt(request.icon),
                    request.title.isEmpty() ? applicationTitle() : request.title, request.prompt,
                    toQt(request.buttons), parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(toQt(request.defaultAnswer));
    box.setInformativeText(request.detail);
    // The box's text stays the message as the program wrote it: the message
    // box shows its lone CR as a line break already.
    if (auto *label = box.findChild<QLabel *>(u"qt_msgbox_label"_s))
        keepSentencesWhole(*label);
    placeOverHiddenOwner(box, parent);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return request.buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

} // namespace MsgBox
