#include "platform/MoVersion.h"

#include "platform/MsgBox.h"
#include "platform/ToolbarWindow.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The window's layout, in pixels (its design is in twips, 15 to the pixel).
constexpr QSize kClientSize{314, 131};
constexpr QRect kStripRect{0, 0, 49, 131};
constexpr QRect kIconRect{8, 16, 32, 32}; // inside the strip
constexpr QRect kNameRect{56, 8, 190, 21};
constexpr QRect kVersionRect{192, 32, 103, 19};
constexpr QRect kRuleRect{56, 56, 251, 1};
constexpr QRect kNoticeRect{152, 72, 146, 12};
constexpr QRect kButtonRect{136, 96, 73, 25};

const QColor kStripColour{128, 128, 255};
const QColor kNameColour{0, 0, 255};
const QColor kVersionColour{255, 128, 0};

// The sweep's five colours, from the left end to the right: the two ends keep
// a little green, so the rule starts and stops a shade off the pure colours.
constexpr std::array<std::array<int, 3>, 5> kRuleStops{{
    {0, 15, 255},  // blue
    {0, 255, 255}, // cyan
    {0, 255, 0},   // green
    {255, 255, 0}, // yellow
    {255, 15, 0},  // red
}};

// The design's proportional gothic face first; outside Japanese Windows it is
// rarely installed and fontconfig knows no stand-in for it (it would pick a
// face without Japanese glyphs), so the IPA proportional gothic comes next.
QFont gothic(qreal points, bool bold = false, bool italic = false)
{
    QFont font;
    font.setFamilies({u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s});
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel *label(QWidget *parent, const QString &name, const QRect &rect)
{
    auto *control = new QLabel(parent);
    control->setObjectName(name);
    control->setGeometry(rect);
    control->setTextFormat(Qt::PlainText);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return control;
}

void setTextColour(QWidget *control, const QColor &colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
}

// The frame a window manager puts round a window is known only once the window
// is on the screen: until then the frame of the window the user works in
// stands for it.
QMargins frameOfWindowInUse(const QWidget *except)
{
    const QWidget *inUse = QApplication::activeWindow();
    if (!inUse || inUse == except)
        return {};
    const QRect frame = inUse->frameGeometry();
    const QRect client = inUse->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

} // namespace

MoVersion::MoVersion(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(u"MoVersion"_s);
    // Minimised, a window that holds up the whole program would be out of
    // reach: as a toolbar window it gets no minimise button.
    ToolbarWindow::mark(this);
    setWindowTitle(u"バージョン情報"_s);
    setFixedSize(kClientSize);
    setFont(gothic(9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setGeometry(kStripRect);
    QPalette strip = Picture1->palette();
    strip.setColor(QPalette::Window, kStripColour);
    Picture1->setPalette(strip);
    Picture1->setAutoFillBackground(true);
    Picture1->setAccessibleName(u"飾りの帯"_s);
    Picture1->setAccessibleDescription(u"アイコンを載せた青紫の帯"_s);

    Image1 = label(Picture1, u"Image1"_s, kIconRect);
    Image1->setPixmap(MsgBox::applicationIcon().pixmap(kIconRect.size()));
    Image1->setAccessibleName(u"かおぐみのアイコン"_s);
    Image1->setAccessibleDescription(u"プログラムのアイコン"_s);

    Label1 = label(this, u"Label1"_s, kNameRect);
    Label1->setText(MsgBox::applicationTitle());
    Label1->setFont(gothic(15.75, true));
    setTextColour(Label1, kNameColour);

    Label2 = label(this, u"Label2"_s, kVersionRect);
    Label2->setText(u"Version "_s + QStringLiteral(KAOGUMI_VERSION));
    Label2->setFont(gothic(14.25, true, true));
    setTextColour(Label2, kVersionColour);

    Image2 = label(this, u"Image2"_s, kRuleRect);
    Image2->setPixmap(QPixmap::fromImage(colourRule()));
    Image2->setAccessibleName(u"色の線"_s);
    Image2->setAccessibleDescription(u"青から赤へ変わる飾りの線"_s);

    Label3 = label(this, u"Label3"_s, kNoticeRect);
    Label3->setText(u"ご自由にお使いください"_s);

    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setGeometry(kButtonRect);
    Command1->setDefault(true);
    Command1->setAccessibleDescription(u"バージョン情報を閉じます"_s);
    connect(Command1, &QPushButton::clicked, this, &MoVersion::Command1_Click);
}

void MoVersion::showModal()
{
    MoVersion window;
    window.exec();
}

QImage MoVersion::colourRule()
{
    const int width = kRuleRect.width();
    const int stretches = int(kRuleStops.size()) - 1;
    QImage rule(width, 1, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        // Where the pixel lies along the sweep, in stretches: the ends are
        // exactly the end colours, the joints fall a quarter of the way apart.
        const double along = double(x) * stretches / (width - 1);
        const int stretch = std::min(int(along), stretches - 1);
        const double part = along - stretch;
        const auto &from = kRuleStops[size_t(stretch)];
        const auto &to = kRuleStops[size_t(stretch) + 1];
        std::array<int, 3> rgb{};
        for (size_t c = 0; c < rgb.size(); ++c)
            rgb[c] = int(std::lround(from[c] + (to[c] - from[c]) * part));
        rule.setPixel(x, 0, qRgb(rgb[0], rgb[1], rgb[2]));
    }
    return rule;
}

void MoVersion::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // Centred frame and all, on the screen of the window the user works in.
    // Qt's own placement of a dialog without an owner leaves it a frame's
    // height above the middle under X11.
    const QWidget *inUse = QApplication::activeWindow();
    const QScreen *screen = inUse ? inUse->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QMargins frame = frameOfWindowInUse(this);
    const QSize outer = size().grownBy(frame);
    const QPoint corner = screen->availableGeometry().center() -
                          QPoint(outer.width() / 2, outer.height() / 2) +
                          QPoint(frame.left(), frame.top());
    setGeometry(QRect(corner, size()));
}

void MoVersion::keyPressEvent(QKeyEvent *event)
{
    // OK is the cancel button too: Esc presses it rather than just dismissing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Command1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MoVersion::Command1_Click()
{
    accept();
}
