#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/Main.h"
#include "document/PictureBox.h"
#include "platform/InputBox.h"
#include "platform/MoVersion.h"
#include "platform/MsgBox.h"
#include "selection/ItemSelect.h"
#include "selection/SampleView.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A colour for each position, so a picture tells which part it is.
QColor colourOf(int i)
{
    return QColor(QColor::fromHsv((i * 37) % 360, 255, 255 - (i % 5) * 20).rgb());
}

void fill(SandboxAppDir &app, const QString &category, int count, const QString &prefix)
{
    for (int i = 0; i < count; ++i)
        app.addPart(category, prefix + QString::number(i).rightJustified(2, u'0') + u".png"_s,
                    {4, 4}, colourOf(i));
}

// What the picker shows on screen, as the colour in the middle of its sample;
// an invalid colour while the sample shows only the window's background.
QColor shown(const ItemSelect &picker)
{
    const QImage screen = picker.Image1->grab().toImage();
    const QColor colour = screen.pixelColor(screen.rect().center()).toRgb();
    return colour == picker.palette().color(QPalette::Window).toRgb() ? QColor() : colour;
}

// A picker whose decisions go to main, as the pickers main opens itself.
std::unique_ptr<ItemSelect> picker(Main &main, const QString &category)
{
    auto p = std::make_unique<ItemSelect>(main.appDir());
    QObject::connect(p.get(), &ItemSelect::decided, &main, &Main::takePart);
    p->setAttribute(Qt::WA_DeleteOnClose, false);
    p->setTypeName(category);
    p->Form_Load();
    return p;
}

// The accessible names below window, every control's; a control without a
// name is listed as "?" and its class.
QStringList accessibleNames(QObject *window)
{
    QStringList names;
    QList<QAccessibleInterface *> pending{QAccessible::queryAccessibleInterface(window)};
    while (!pending.isEmpty()) {
        QAccessibleInterface *at = pending.takeFirst();
        if (at->role() == QAccessible::Separator)
            continue;
        const QString name = at->text(QAccessible::Name);
        names << (name.isEmpty() || name.contains(u'&')
                      ? u"?"_s + QString::fromLatin1(at->object()->metaObject()->className())
                      : name);
        for (int i = 0; i < at->childCount(); ++i)
            pending << at->child(i);
    }
    return names;
}

ItemSelect *pickerOf(Main &main, const QString &category, int nth = 0)
{
    for (ItemSelect *p : main.openPickers()) {
        if (p->TypeName() == category && nth-- == 0)
            return p;
    }
    return nullptr;
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensAtTheFirstPartAndTakesTheOneShown()
    {
        SandboxAppDir app;
        fill(app, u"髪"_s, 3, u"h"_s);
        Main main(app.path());
        auto p = picker(main, u"髪"_s);
        QCOMPARE(p->windowTitle(), u"髪"_s);
        QCOMPARE(p->position(), 0);
        QCOMPARE(p->highest(), 2);
        QCOMPARE(p->VScroll1->minimum(), 0);
        QCOMPARE(p->VScroll1->maximum(), 2);
        QCOMPARE(shown(*p), colourOf(0));
        p->setPosition(2);
        QCOMPARE(shown(*p), colourOf(2));
        QVERIFY(!main.document().Modified);
        p->Command1->click();
        QCOMPARE(main.document().PartFiles.Hair, u"髪\\h02.png"_s);
        QCOMPARE(main.document().PartCodes.Hair, u"02"_s);
        QVERIFY(main.document().Modified);
        // The main window was redrawn: the hair lies on its surface and the
        // code shows in its label.
        QCOMPARE(main.Label1->text(), u"0402"_s);
        QCOMPARE(main.Picture1->image().pixelColor(100, 100).toRgb(), colourOf(2));
        // Taking the part the face already has changes nothing to save.
        main.history().markSaved({});
        QVERIFY(p->Command1_Click());
        QVERIFY(!main.document().Modified);
    }

    void storesEachCategoryInItsOwnField_data()
    {
        QTest::addColumn<QString>("category");
        QTest::newRow("hair") << u"髪"_s;
        QTest::newRow("eyes") << u"目"_s;
        QTest::newRow("outline") << u"顔"_s;
        QTest::newRow("mouth") << u"口"_s;
    }
    void storesEachCategoryInItsOwnField()
    {
        QFETCH(QString, category);
        SandboxAppDir app;
        fill(app, category, 2, u"p"_s);
        Main main(app.path());
        auto p = picker(main, category);
        p->setPosition(1);
        QVERIFY(p->Command1_Click());
        const FaceDocument &doc = main.document();
        const QString file = category + u"\\p01.png"_s;
        QCOMPARE(doc.PartFiles.Hair, category == u"髪" ? file : QString());
        QCOMPARE(doc.PartFiles.Eyes, category == u"目" ? file : QString());
        QCOMPARE(doc.PartFiles.Outline, category == u"顔" ? file : QString());
        QCOMPARE(doc.PartFiles.Mouth, category == u"口" ? file : QString());
        QCOMPARE(doc.PartCodes.Hair + doc.PartCodes.Eyes + doc.PartCodes.Outline +
                     doc.PartCodes.Mouth,
                 u"01"_s);
    }

    void positionsBeyondNinetyNineGiveLongerCodes()
    {
        SandboxAppDir app;
        for (int i = 0; i <= 100; ++i)
            QVERIFY(app.writeFile(u"口/m%1.txt"_s.arg(i, 3, 10, QChar(u'0')), "x"));
        Main main(app.path());
        auto p = picker(main, u"口"_s);
        QCOMPARE(p->highest(), 100);
        p->setPosition(100);
        QVERIFY(p->Command1_Click());
        QCOMPARE(main.document().PartCodes.Mouth, u"100"_s);
        QCOMPARE(main.document().PartFiles.Mouth, u"口\\m100.txt"_s);
        QCOMPARE(main.Label1->text(), u"4100"_s);
    }

    void keyboardAloneComposes()
    {
        SandboxAppDir app;
        fill(app, u"目"_s, 5, u"e"_s);
        Main main(app.path());
        auto p = picker(main, u"目"_s);
        p->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.get()));
        QCOMPARE(QApplication::focusWidget(), p->VScroll1);
        const struct
        {
            Qt::Key key;
            int position;
        } steps[] = {{Qt::Key_Down, 1},   {Qt::Key_PageDown, 2}, {Qt::Key_End, 4}, {Qt::Key_Up, 3},
                     {Qt::Key_PageUp, 2}, {Qt::Key_Home, 0},     {Qt::Key_Down, 1}};
        for (const auto &step : steps) {
            QTest::keyClick(p->VScroll1, step.key);
            QCOMPARE(p->position(), step.position);
            QCOMPARE(shown(*p), colourOf(step.position));
        }
        // Enter with the scroll bar focused decides.
        QTest::keyClick(p->VScroll1, Qt::Key_Return);
        QCOMPARE(main.document().PartFiles.Eyes, u"目\\e01.png"_s);
        QTest::keyClick(p->VScroll1, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), p->Command1);
        QTest::keyClick(p->VScroll1, Qt::Key_Up);
        QTest::keyClick(p->Command1, Qt::Key_Enter);
        QCOMPARE(main.document().PartFiles.Eyes, u"目\\e00.png"_s);
        // The main window's shortcuts work from a picker: Ctrl+S saves.
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        p->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.get()));
        main.history().start(main.document().PartFiles, main.document().PartCodes,
                             app.filePath(u"face.kgm"_s), false);
        QTest::keyClick(p->VScroll1, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(app.filePath(u"face.kgm"_s)));
        QVERIFY(!main.document().Modified);
    }

    void showsThePictureOnlyWhenTheThumbIsReleased()
    {
        SandboxAppDir app;
        fill(app, u"髪"_s, 4, u"h"_s);
        Main main(app.path());
        auto p = picker(main, u"髪"_s);
        p->VScroll1->setSliderDown(true);
        p->VScroll1->setSliderPosition(3);
        QCOMPARE(shown(*p), colourOf(0));
        p->VScroll1->setSliderDown(false);
        QCOMPARE(p->position(), 3);
        QCOMPARE(shown(*p), colourOf(3));
    }

    void worksThroughFortyThousandParts()
    {
        // In memory where the system has a memory file system: a disk takes
        // seconds to make forty thousand entries.
        QTemporaryDir app(QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/kaogumi-XXXXXX"_s : QString());
        QVERIFY(QDir(app.path()).mkdir(u"口"_s));
        QVERIFY(createEmptyFiles(app.filePath(u"口"_s), "m", 40000));
        Main main(app.path());
        auto p = picker(main, u"口"_s);
        QCOMPARE(p->highest(), 39999);
        p->setPosition(39999);
        QCOMPARE(p->position(), 39999);
        QVERIFY(p->Command1_Click());
        QCOMPARE(main.document().PartFiles.Mouth, u"口\\m39999"_s);
        QCOMPARE(main.document().PartCodes.Mouth, u"39999"_s);
    }

    void tellsScreenReadersWhatItShows()
    {
        SandboxAppDir app;
        fill(app, u"髪"_s, 16, u"h"_s);
        Main main(app.path());
        auto p = picker(main, u"髪"_s);
        p->setPosition(7);
        QCOMPARE(p->Image1->accessibleName(), u"髪の部品 8 / 16"_s);
        QVERIFY(p->Image1->accessibleDescription().contains(u"h07.png"_s));
        QCOMPARE(p->Image1->toolTip(), u"サンプルです"_s);
        QVERIFY(!p->VScroll1->accessibleName().isEmpty());
        QCOMPARE(p->Command1->text(), u"きめる"_s);
        QVERIFY(p->Command1->isDefault());
    }

    // Every control of the program's windows has a name without mnemonic
    // marks, and the four pickers' controls are named apart.
    void everyControlIsNamedForScreenReaders()
    {
        SandboxAppDir app;
        fill(app, u"髪"_s, 2, u"h"_s);
        Main main(app.path());
        main.E_llWindow_Click();
        MoVersion version;
        QStringList names = accessibleNames(&main) + accessibleNames(&version);
        QStringList pickerNames;
        for (ItemSelect *p : main.openPickers())
            pickerNames += accessibleNames(p);
        QCOMPARE(pickerNames.size(), 4 * accessibleNames(main.openPickers().at(0)).size());
        names += pickerNames;
        QCOMPARE(names.filter(QRegularExpression(u"^\\?"_s)).join(u' '), QString());
        pickerNames.removeDuplicates();
        QCOMPARE(pickerNames.size(), 4 * accessibleNames(main.openPickers().at(0)).size());
    }

    void hasTheToolWindowLayout()
    {
        SandboxAppDir app;
        Main main(app.path());
        auto p = picker(main, u"顔"_s);
        QCOMPARE(p->size(), QSize(214, 91));
        QCOMPARE(p->minimumSize(), p->maximumSize());
        QCOMPARE(p->Image1->geometry(), QRect(0, 0, 113, 89));
        QCOMPARE(p->VScroll1->geometry(), QRect(112, 0, 25, 89));
        QCOMPARE(p->Command1->geometry(), QRect(144, 24, 67, 25));
        QCOMPARE(p->windowType(), Qt::Tool);
        QVERIFY(!(p->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(p->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(p->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!p->parentWidget());
    }

    void twoPickersOfOneCategoryShareTheFaceButNotTheirPositions()
    {
        SandboxAppDir app;
        fill(app, u"髪"_s, 4, u"h"_s);
        Main main(app.path());
        auto a = picker(main, u"髪"_s);
        auto b = picker(main, u"髪"_s);
        a->setPosition(3);
        b->setPosition(1);
        QVERIFY(a->Command1_Click());
        QCOMPARE(main.document().PartFiles.Hair, u"髪\\h03.png"_s);
        QVERIFY(b->Command1_Click());
        QCOMPARE(main.document().PartFiles.Hair, u"髪\\h01.png"_s);
        QCOMPARE(main.document().PartCodes.Hair, u"01"_s);
        QCOMPARE(a->position(), 3);
        QCOMPARE(shown(*a), colourOf(3));
    }

    void keepsThePreviousPictureForFilesItCannotShow()
    {
        SandboxAppDir app;
        fill(app, u"目"_s, 1, u"e"_s);                            // e00.png
        QVERIFY(app.writeFile(u"目/.hidden"_s, "not a picture")); // sorts first
        QVERIFY(app.writeFile(u"目/f.txt"_s, "neither"));
        Main main(app.path());
        auto p = picker(main, u"目"_s);
        QCOMPARE(p->highest(), 2);
        // Position 0 is the hidden file: nothing to show yet.
        QVERIFY(!shown(*p).isValid());
        p->setPosition(1);
        QCOMPARE(shown(*p), colourOf(0));
        p->setPosition(2);
        QCOMPARE(shown(*p), colourOf(0));
        QVERIFY(p->Command1_Click());
        QCOMPARE(main.document().PartFiles.Eyes, u"目\\f.txt"_s);
        QCOMPARE(main.document().PartCodes.Eyes, u"02"_s);
    }

    void anEmptyFolderTakesNothing()
    {
        SandboxAppDir app;
        Main main(app.path());
        ScriptedMessages messages;
        for (const QString &category : {u"口"_s, u"ない"_s}) { // empty, and missing
            auto p = picker(main, category);
            QCOMPARE(p->highest(), -1);
            QVERIFY(!shown(*p).isValid());
            QVERIFY(!p->Command1_Click());
            QCOMPARE(main.document().PartFiles, FaceParts{});
            QVERIFY(!main.document().Modified);
            QVERIFY(main.Label1->text().isEmpty()); // not redrawn
            // Pressing the button tells the user where the parts belong.
            p->Command1->click();
            QCOMPARE(messages.asked.size(), 1);
            QVERIFY(messages.asked.takeFirst().prompt.contains(category));
        }
    }

    void opensFourPickersInAColumnBesideTheMainWindow()
    {
        SandboxAppDir app;
        fill(app, u"髪"_s, 2, u"h"_s);
        Main main(app.path());
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.move(140, 90);
        QTRY_COMPARE(main.frameGeometry().topLeft(), QPoint(140, 90));
        main.E_llWindow_Click();
        const QList<ItemSelect *> pickers = main.openPickers();
        QCOMPARE(pickers.size(), 4);
        const QStringList order{u"髪"_s, u"目"_s, u"顔"_s, u"口"_s};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(pickers[k]->TypeName(), order[k]);
            QVERIFY(pickers[k]->isVisible());
        }
        const QRect m = main.frameGeometry();
        for (int k = 0; k < 4; ++k) {
            QTRY_COMPARE(
                pickers[k]->frameGeometry().topLeft(),
                QPoint(m.left() + m.width(), m.top() + k * pickers[0]->frameGeometry().height()));
        }
        // Moving the main window later leaves the pickers where they are.
        const QPoint first = pickers[0]->pos();
        main.move(300, 200);
        QTRY_COMPARE(main.frameGeometry().topLeft(), QPoint(300, 200));
        QTest::qWait(50);
        QCOMPARE(pickers[0]->pos(), first);

        // A second run adds four more; closing one takes it off the list.
        main.E_llWindow_Click();
        QCOMPARE(main.openPickers().size(), 8);
        QTRY_COMPARE(main.openPickers().at(4)->frameGeometry().left(),
                     main.frameGeometry().left() + main.frameGeometry().width());
        ItemSelect *eyes = main.openPickers().at(1);
        QVERIFY(eyes->close());
        QCOMPARE(main.openPickers().size(), 7);
        QCOMPARE(main.openPickers().at(1)->TypeName(), u"顔"_s);
        // The pickers end with the main window.
        QPointer<ItemSelect> hair = main.openPickers().at(0);
        QVERIFY(main.close());
        QVERIFY(main.openPickers().isEmpty());
        QVERIFY(hair.isNull());
    }

    void reCreatesAFaceFromItsCode_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QList<int>>("positions"); // outline, eyes, hair, mouth
        QTest::addColumn<QString>("label");
        // Folders of 21, 30, 8 and 5 parts; the face starts at 3, 12, 0, 4.
        QTest::newRow("the code of the face itself")
            << u"403120004"_s << QList<int>{3, 12, 0, 4} << u"403120004"_s;
        QTest::newRow("numbers above the highest part")
            << u"499999999"_s << QList<int>{4, 3, 0, 4} << u"404030004"_s;
        QTest::newRow("a short code takes the first parts")
            << u"4051"_s << QList<int>{5, 1, 0, 0} << u"405010000"_s;
        QTest::newRow("a field without digits counts as 0")
            << u"4xx07x101"_s << QList<int>{0, 7, 0, 1} << u"400070001"_s;
        QTest::newRow("a negative field keeps the position")
            << u"4-1-2-3-4"_s << QList<int>{3, 12, 0, 4} << u"403120004"_s;
        QTest::newRow("characters after the ninth are ignored")
            << u"401020304999"_s << QList<int>{1, 2, 3, 4} << u"401020304"_s;
    }
    void reCreatesAFaceFromItsCode()
    {
        QFETCH(QString, answer);
        QFETCH(QList<int>, positions);
        SandboxAppDir app;
        fill(app, u"顔"_s, 21, u"f"_s);
        fill(app, u"目"_s, 30, u"e"_s);
        fill(app, u"髪"_s, 8, u"h"_s);
        fill(app, u"口"_s, 5, u"m"_s);
        Main main(app.path());
        main.E_llWindow_Click();
        const int start[] = {3, 12, 0, 4};
        const QStringList categories{u"顔"_s, u"目"_s, u"髪"_s, u"口"_s};
        for (int i = 0; i < 4; ++i) {
            ItemSelect *p = pickerOf(main, categories[i]);
            p->setPosition(start[i]);
            QVERIFY(p->Command1_Click());
        }
        QCOMPARE(main.Label1->text(), u"403120004"_s);
        main.history().markSaved({});

        ScriptedInput input(answer);
        main.findChild<QAction *>(u"E_VercodeLoading"_s)->trigger();
        QCOMPARE(input.asked.size(), 1);
        QCOMPARE(input.asked[0].prompt,
                 u"バーコードのしたにあるバーコードコードをいれてください。"_s);
        QVERIFY(input.asked[0].title.isEmpty());
        QCOMPARE(input.asked[0].defaultText, u"403120004"_s);
        for (int i = 0; i < 4; ++i) {
            ItemSelect *p = pickerOf(main, categories[i]);
            QCOMPARE(p->position(), positions[i]);
            QCOMPARE(shown(*p), colourOf(positions[i]));
        }
        QTEST(main.Label1->text(), "label");
        // Entering the face's own code leaves nothing to save.
        QCOMPARE(main.document().Modified, main.Label1->text() != u"403120004"_s);
    }

    void faceCodeEntryEdgeCases()
    {
        SandboxAppDir app;
        fill(app, u"顔"_s, 1, u"f"_s); // one part: any number takes it
        fill(app, u"髪"_s, 3, u"h"_s);
        // 目 and 口 stay empty
        Main main(app.path());
        {
            // Cancel changes nothing and redraws nothing.
            ScriptedInput input(QString{});
            main.E_VercodeLoading_Click();
            QCOMPARE(input.asked.size(), 1);
            // The answer offered is the label's caption, empty before any face.
            QCOMPARE(input.asked[0].defaultText, QString());
            QVERIFY(main.Label1->text().isEmpty());
            QVERIFY(!main.document().Modified);
        }
        {
            // Without a picker open the command only redraws.
            ScriptedInput input(u"401020304"_s);
            main.E_VercodeLoading_Click();
            QCOMPARE(main.Label1->text(), u"0004"_s);
            QVERIFY(!main.document().Modified);
        }
        main.E_llWindow_Click();
        {
            ScriptedInput input(u"499020199"_s);
            main.E_VercodeLoading_Click();
            QCOMPARE(main.document().PartFiles.Outline, u"顔\\f00.png"_s);
            QCOMPARE(main.document().PartFiles.Hair, u"髪\\h01.png"_s);
            QCOMPARE(main.document().PartFiles.Eyes, QString());
            QCOMPARE(main.document().PartFiles.Mouth, QString());
            QCOMPARE(main.Label1->text(), u"40001"_s);
            QVERIFY(main.document().Modified);
        }
    }

    // A drawing is drawn at the pixels the sample covers on its screen, so
    // its edge stays one pixel wide, where a picture drawn smaller and
    // stretched blurs it over several. The suite runs this at 1x and, as
    // tst_pickers_2x, on a screen of twice the density.
    void sampleOfADrawingIsDrawnAtItsPixels()
    {
        SandboxAppDir app;
        app.addDrawing(u"髪"_s, u"h00.svg"_s, {40, 40}, Qt::blue);
        Main main(app.path());
        const auto p = picker(main, u"髪"_s);
        const QImage sample = p->Image1->grab().toImage();
        const qreal ratio = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? 2 : 1;
        QCOMPARE(sample.size(), p->Image1->size() * ratio);
        const int soft = softPixels(sample, {0, sample.height() / 2}, sample.width());
        QVERIFY2(soft <= 1, qPrintable(u"the edge is %1 pixels wide"_s.arg(soft)));
    }
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
