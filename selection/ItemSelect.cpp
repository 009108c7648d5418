#include "selection/ItemSelect.h"

#include "platform/MsgBox.h"
#include "platform/PictureCache.h"
#include "platform/ToolbarWindow.h"
#include "selection/FileListing.h"
#include "selection/SampleView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFocusFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

// The window's layout, in pixels (its design is in twips, 15 to the pixel).
constexpr QSize kClientSize{214, 91};
constexpr QRect kImageRect{0, 0, 113, 89};
constexpr QRect kScrollRect{112, 0, 25, 89};
constexpr QRect kButtonRect{144, 24, 67, 25};

} // namespace

ItemSelect::ItemSelect(const QString &appDir)
    : QWidget(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_appDir(appDir)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A picker has no task bar entry: minimised, it would be out of reach. As
    // a toolbar window it gets no minimise button; the fixed size keeps it
    // from being maximised.
    ToolbarWindow::mark(this);
    setWindowIcon(MsgBox::applicationIcon());
    setFixedSize(kClientSize);

    Image1 = new SampleView(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setGeometry(kImageRect);
    Image1->setToolTip(u"サンプルです"_s);

    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(u"VScroll1"_s);
    VScroll1->setGeometry(kScrollRect);
    VScroll1->setRange(0, 0);
    VScroll1->setSingleStep(1);
    VScroll1->setPageStep(1);
    // While the thumb is dragged the picture waits for its release.
    VScroll1->setTracking(false);
    VScroll1->setFocusPolicy(Qt::StrongFocus);
    connect(VScroll1, &QScrollBar::valueChanged, this, &ItemSelect::VScroll1_Change);

    Command1 = new QPushButton(u"きめる"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setGeometry(kButtonRect);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &ItemSelect::decidePressed);

    // The scroll bar comes first, so it has the focus when the window opens.
    setTabOrder(VScroll1, Command1);
    setFocusProxy(VScroll1);

    // Fusion draws no focus mark on a scroll bar, and the default button looks
    // the same with the focus as without: a frame in the highlight colour
    // around the focused control of the active picker shows where Space and
    // the arrow keys go.
    auto *focusMark = new QFocusFrame(this);
    focusMark->setAccessibleName(u"フォーカスの枠"_s);
    QPalette markColour = focusMark->palette();
    markColour.setColor(QPalette::WindowText, markColour.color(QPalette::Highlight));
    focusMark->setPalette(markColour);
    connect(qApp, &QApplication::focusChanged, focusMark,
            [this, focusMark](QWidget *, QWidget *now) {
                focusMark->setWidget(now && now->window() == this ? now : nullptr);
            });
}

void ItemSelect::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    setWindowTitle(m_typeName);
    // A screen reader tells the four pickers apart by the category in each
    // name; the captions stay as they are.
    setAccessibleName(u"%1の部品選び"_s.arg(m_typeName));
    setAccessibleDescription(u"%1の部品を選んで顔に使うウィンドウ"_s.arg(m_typeName));
    VScroll1->setAccessibleName(u"%1の部品の番号"_s.arg(m_typeName));
    VScroll1->setAccessibleDescription(u"%1の部品を一つずつ切り替えます"_s.arg(m_typeName));
    Command1->setAccessibleName(u"%1をきめる"_s.arg(m_typeName));
    Command1->setAccessibleDescription(u"表示している%1の部品を顔に使います"_s.arg(m_typeName));
    m_partFolder = m_appDir + u'/' + m_typeName + u'/';
    m_partList = FileListing::ListFiles(u"*.*"_s, m_partFolder);
    VScroll1->setRange(0, qMax(0, highest()));
    VScroll1_Change();
}

int ItemSelect::position() const
{
    return VScroll1->value();
}

void ItemSelect::setPosition(int position)
{
    // A change of value shows the part through VScroll1_Change.
    VScroll1->setValue(position);
}

void ItemSelect::VScroll1_Change()
{
    const int p = position();
    updateAccessibleName();
    if (p < 0 || p >= m_partList.size())
        return;
    // Through the cache the main window draws from: stepping back shows a
    // part without decoding it again, and the part decided on is drawn into
    // the face as it was decoded here.
    const QString path = m_partFolder + m_partList.at(p);
    const PictureFile::Picture picture = PictureCache::shared().load(path);
    // A picture that cannot be read leaves the previous one in place.
    if (!picture.isNull())
        Image1->setPicture(path, picture);
}

bool ItemSelect::Command1_Click()
{
    const int p = position();
    if (p < 0 || p >= m_partList.size())
        return false;
    if (const std::optional<Category> category = Categories::fromWord(m_typeName)) {
        Q_EMIT decided(*category, Categories::partEntry(*category, m_partList.at(p)),
                       Categories::partCode(p));
    }
    return true;
}

void ItemSelect::decidePressed()
{
    if (Command1_Click())
        return;
    MsgBox::show(
        this, {u"「%1」には部品がありません。\rこのフォルダに画像ファイルを入れてください。"_s.arg(
                   QDir::toNativeSeparators(m_partFolder)),
               MsgBox::Buttons::Ok,
               MsgBox::Icon::Exclamation,
               {},
               MsgBox::Answer::Ok});
}

void ItemSelect::updateAccessibleName()
{
    const int p = position();
    const bool shown = p >= 0 && p < m_partList.size();
    Image1->setAccessibleName(
        shown ? u"%1の部品 %2 / %3"_s.arg(m_typeName).arg(p + 1).arg(m_partList.size())
              : u"%1の部品がありません"_s.arg(m_typeName));
    Image1->setAccessibleDescription(shown
                                         ? u"%1の部品の見本: %2"_s.arg(m_typeName, m_partList.at(p))
                                         : u"%1の部品の見本"_s.arg(m_typeName));
}

void ItemSelect::keyPressEvent(QKeyEvent *event)
{
    // Enter anywhere in the window decides, as the default button of a dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Command1->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ItemSelect::closeEvent(QCloseEvent *event)
{
    event->accept();
    Q_EMIT closed(this);
}
