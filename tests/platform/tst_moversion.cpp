#include "ModalDialogs.h"
#include "platform/MoVersion.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString colourText(QRgb rgb)
{
    return u"(%1, %2, %3)"_s.arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
}

int distance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QImage grabbed(QWidget &window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestMoVersion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect"); // within its parent
        QTest::addColumn<QString>("text");
        QTest::newRow("strip") << u"Picture1"_s << QRect(0, 0, 49, 131) << QString();
        QTest::newRow("icon") << u"Image1"_s << QRect(8, 16, 32, 32) << QString();
        QTest::newRow("name") << u"Label1"_s << QRect(56, 8, 190, 21) << u"かおぐみ"_s;
        QTest::newRow("version") << u"Label2"_s << QRect(192, 32, 103, 19)
                                 << QStringLiteral("Version " KAOGUMI_VERSION);
        QTest::newRow("rule") << u"Image2"_s << QRect(56, 56, 251, 1) << QString();
        QTest::newRow("notice") << u"Label3"_s << QRect(152, 72, 146, 12)
                                << u"ご自由にお使いください"_s;
        QTest::newRow("OK") << u"Command1"_s << QRect(136, 96, 73, 25) << u"OK"_s;
    }
    void controls()
    {
        QFETCH(QString, name);
        MoVersion window;
        auto *control = window.findChild<QWidget *>(name);
        QVERIFY(control);
        QTEST(control->geometry(), "rect");
        QVERIFY(control->isVisibleTo(&window));
        QString text;
        if (auto *label = qobject_cast<QLabel *>(control))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            text = button->text();
        QTEST(text, "text");
    }

    // Plain regions must be that colour throughout; in a text's region the
    // colour farthest from the white ground is its ink.
    void colours_data()
    {
        QTest::addColumn<QRect>("region");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("ink");
        const QColor white = Qt::white;
        QTest::newRow("ground") << QRect(56, 100, 70, 31) << white << false;
        QTest::newRow("between name and rule") << QRect(56, 30, 130, 26) << white << false;
        QTest::newRow("under the rule") << QRect(56, 57, 96, 15) << white << false;
        QTest::newRow("right of the rule") << QRect(307, 56, 7, 1) << white << false;
        QTest::newRow("strip") << QRect(0, 50, 49, 81) << QColor(128, 128, 255) << false;
        QTest::newRow("name") << QRect(56, 8, 190, 21) << QColor(0, 0, 255) << true;
        QTest::newRow("version") << QRect(192, 32, 103, 19) << QColor(255, 128, 0) << true;
        QTest::newRow("notice") << QRect(152, 72, 146, 12) << QColor(0, 0, 0) << true;
    }
    void colours()
    {
        QFETCH(QRect, region);
        QFETCH(QColor, colour);
        QFETCH(bool, ink);
        MoVersion window;
        const QImage image = grabbed(window);
        QCOMPARE(image.size(), QSize(314, 131));
        QRgb farthest = qRgb(255, 255, 255);
        for (int y = region.top(); y <= region.bottom(); ++y) {
            for (int x = region.left(); x <= region.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (!ink)
                    QVERIFY2(pixel == colour.rgb(),
                             qPrintable(u"%1,%2: %3"_s.arg(x).arg(y).arg(colourText(pixel))));
                else if (distance(pixel, qRgb(255, 255, 255)) >
                         distance(farthest, qRgb(255, 255, 255)))
                    farthest = pixel;
            }
        }
        if (ink)
            QVERIFY2(distance(farthest, colour.rgb()) <= 16, qPrintable(colourText(farthest)));
    }

    void icon()
    {
        MoVersion window;
        QImage expected(32, 32, QImage::Format_RGB32);
        expected.fill(QColor(128, 128, 255));
        QImage plain = expected.copy();
        QPainter(&expected).drawPixmap(0, 0, QIcon(u":/kaogumi.svg"_s).pixmap(32, 32));
        QVERIFY(expected != plain);
        QCOMPARE(grabbed(window).copy(8, 16, 32, 32), expected);
    }

    // Along the rule, from its left end at x = 0 to its right end at x = 250;
    // the joints lie a quarter of the way apart, the first and the last
    // between two pixels.
    void colourRule_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("blue end") << 0 << QColor(0, 15, 255) << 0;
        QTest::newRow("towards cyan") << 31 << QColor(0, 135, 255) << 2;
        QTest::newRow("cyan, before") << 62 << QColor(0, 255, 255) << 3;
        QTest::newRow("cyan, after") << 63 << QColor(0, 255, 255) << 3;
        QTest::newRow("green") << 125 << QColor(0, 255, 0) << 0;
        QTest::newRow("yellow, before") << 187 << QColor(255, 255, 0) << 3;
        QTest::newRow("yellow, after") << 188 << QColor(255, 255, 0) << 3;
        QTest::newRow("towards red") << 219 << QColor(255, 135, 0) << 2;
        QTest::newRow("red end") << 250 << QColor(255, 15, 0) << 0;
    }
    void colourRule()
    {
        QFETCH(int, x);
        QFETCH(QColor, colour);
        QFETCH(int, tolerance);
        MoVersion window;
        const QRgb pixel = grabbed(window).pixel(56 + x, 56);
        QVERIFY2(distance(pixel, colour.rgb()) <= tolerance, qPrintable(colourText(pixel)));
    }

    // Fully saturated everywhere, and changing evenly: no band, no jump.
    void colourRuleSweepsEvenly()
    {
        MoVersion window;
        const QImage image = grabbed(window);
        for (int x = 56; x < 56 + 251; ++x) {
            const QRgb pixel = image.pixel(x, 56);
            const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            QVERIFY2(high == 255 && low == 0, qPrintable(colourText(pixel)));
            if (x > 56)
                QVERIFY2(distance(pixel, image.pixel(x - 1, 56)) <= 5,
                         qPrintable(QString::number(x - 56)));
        }
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("name") << u"Label1"_s << 15.75 << true << false;
        QTest::newRow("version") << u"Label2"_s << 14.25 << true << true;
        QTest::newRow("notice") << u"Label3"_s << 9.0 << false << false;
        QTest::newRow("OK") << u"Command1"_s << 9.0 << false << false;
    }
    void fonts()
    {
        QFETCH(QString, name);
        MoVersion window;
        auto *control = window.findChild<QWidget *>(name);
        QVERIFY(control);
        const QFont font = control->font();
        const QStringList named = {u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s};
        QCOMPARE(font.families().mid(0, 2), named);
        QTEST(font.pointSizeF(), "points");
        QTEST(font.bold(), "bold");
        QTEST(font.italic(), "italic");
        // One of the named faces is the one drawn, and it holds every glyph.
        QVERIFY2(named.contains(QFontInfo(font).family()), qPrintable(QFontInfo(font).family()));
        const QFontMetrics metrics(font);
        const QString text = qobject_cast<QLabel *>(control)
                                 ? qobject_cast<QLabel *>(control)->text()
                                 : qobject_cast<QAbstractButton *>(control)->text();
        for (const char32_t c : text.toUcs4())
            QVERIFY2(metrics.inFontUcs4(c), qPrintable(text));
        // A label's text stands on one line inside it.
        if (qobject_cast<QLabel *>(control))
            QVERIFY2(metrics.horizontalAdvance(text) <= control->width(),
                     qPrintable(QString::number(metrics.horizontalAdvance(text))));
    }

    void window()
    {
        QString title;
        QObject marker;
        QObject *parent = &marker; // anything but null
        Qt::WindowModality modality = Qt::NonModal;
        Qt::WindowFlags flags;
        QSize minimum, maximum;
        QPoint offCentre;
        const auto watch = whenOpen<MoVersion>([&](MoVersion *version) {
            title = version->windowTitle();
            parent = version->parentWidget();
            modality = version->windowModality();
            flags = version->windowFlags();
            minimum = version->minimumSize();
            maximum = version->maximumSize();
            offCentre =
                version->frameGeometry().center() - version->screen()->availableGeometry().center();
            version->findChild<QPushButton *>(u"Command1"_s)->click();
        });
        MoVersion::showModal();
        QVERIFY(watch.fired());
        QCOMPARE(title, u"バージョン情報"_s);
        QCOMPARE(parent, nullptr);
        QCOMPARE(modality, Qt::ApplicationModal);
        QCOMPARE(minimum, QSize(314, 131));
        QCOMPARE(maximum, QSize(314, 131));
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)));
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(u"%1,%2"_s.arg(offCentre.x()).arg(offCentre.y())));
    }

    void closes_data()
    {
        QTest::addColumn<int>("key"); // 0: the close box
        QTest::addColumn<int>("okPresses");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 1;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 1;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 1;
        QTest::newRow("close box") << 0 << 0;
    }
    void closes()
    {
        QFETCH(int, key);
        int presses = 0;
        const auto watch = whenOpen<MoVersion>([&](MoVersion *version) {
            QObject::connect(version->findChild<QPushButton *>(u"Command1"_s),
                             &QPushButton::clicked, [&presses] { ++presses; });
            if (key == 0)
                version->close();
            else
                QTest::keyClick(version->focusWidget() ? version->focusWidget() : version,
                                Qt::Key(key));
        });
        MoVersion::showModal();
        QVERIFY(watch.fired());
        QTEST(presses, "okPresses");
        // The window is gone once it has been closed.
        for (QWidget *top : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<MoVersion *>(top));
    }
};

QTEST_MAIN(TestMoVersion)
#include "tst_moversion.moc"
