#include "ModalDialogs.h"
#include "platform/InputBox.h"
#include "platform/MsgBox.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MsgBox::Answer)

class TestMsgBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { installJapaneseTranslations(*qApp); }

    void showsTheRealMessageBox_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("press");
        QTest::addColumn<MsgBox::Answer>("answer");
        QTest::newRow("yes") << QMessageBox::Yes << MsgBox::Answer::Yes;
        QTest::newRow("no") << QMessageBox::No << MsgBox::Answer::No;
        QTest::newRow("cancel") << QMessageBox::Cancel << MsgBox::Answer::Cancel;
    }
    void showsTheRealMessageBox()
    {
        QFETCH(QMessageBox::StandardButton, press);
        const QString prompt = u"かおぐみを終了します。\r顔を保存しますか？"_s;
        QString seenText, seenTitle, yesText;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        QAbstractButton *seenDefault = nullptr, *yes = nullptr;
        const auto watch = whenOpen<QMessageBox>([&](QMessageBox *box) {
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = box->icon();
            seenDefault = box->defaultButton();
            yes = box->button(QMessageBox::Yes);
            yesText = yes ? yes->text() : QString();
            box->button(press)->click();
        });
        const MsgBox::Answer answer =
            MsgBox::show(nullptr, {prompt, MsgBox::Buttons::YesNoCancel, MsgBox::Icon::Question,
                                   u"かおぐみの終了"_s, MsgBox::Answer::Yes});
        QVERIFY(watch.fired());
        QTEST(answer, "answer");
        // The lone CR reaches the dialog as it stands.
        QCOMPARE(seenText, prompt);
        QCOMPARE(seenTitle, u"かおぐみの終了"_s);
        QCOMPARE(seenIcon, QMessageBox::Question);
        QVERIFY(yes);
        QCOMPARE(seenDefault, yes);
        // Qt's own buttons speak Japanese like the program.
        QVERIFY2(yesText.startsWith(u"はい"), qPrintable(yesText));
    }

    void aMessageWithoutTitleShowsTheProgramsTitle()
    {
        QString seenTitle;
        int buttons = 0;
        const auto watch = whenOpen<QMessageBox>([&](QMessageBox *box) {
            seenTitle = box->windowTitle();
            buttons = int(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        QCOMPARE(MsgBox::show(
                     nullptr,
                     {u"x"_s, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok}),
                 MsgBox::Answer::Ok);
        QVERIFY(watch.fired());
        QCOMPARE(seenTitle, u"かおぐみ"_s);
        QCOMPARE(buttons, 1);
    }

    void inputBoxGivesTheTextOrNothing_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("result");
        QTest::newRow("ok") << true << u"403120004"_s;
        QTest::newRow("cancel") << false << QString();
    }
    void inputBoxGivesTheTextOrNothing()
    {
        QFETCH(bool, accept);
        QString seenDefault, seenLabel, seenTitle;
        const auto watch = whenOpen<QInputDialog>([&](QInputDialog *dialog) {
            seenDefault = dialog->textValue();
            seenLabel = dialog->labelText();
            seenTitle = dialog->windowTitle();
            dialog->findChild<QLineEdit *>()->setText(u"403120004"_s);
            accept ? dialog->accept() : dialog->reject();
        });
        const QString text = InputBox::show(nullptr, {u"どうぞ"_s, {}, u"0004"_s});
        QVERIFY(watch.fired());
        QTEST(text, "result");
        QCOMPARE(seenDefault, u"0004"_s);
        QCOMPARE(seenLabel, u"どうぞ"_s);
        QCOMPARE(seenTitle, u"かおぐみ"_s);
    }

    // Two sentences show as two lines, each whole: the lone CR breaks the
    // line in the input box too, and no sentence breaks inside a word.
    void eachSentenceStaysWholeOnALineOfItsOwn_data()
    {
        QTest::addColumn<bool>("inputBox");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("message box") << false
                                     << u"「/home/someone/写真/2026年12月/かおぐみのカード.png」"
                                        u"からは顔を開けません。\r開けるのは顔ファイル、かおぐみ"
                                        u"で書き出した画像、印刷したカードの写真です。"_s;
        QTest::newRow("input box") << true << u"圧縮率を入力してください。\r0～100(%)"_s;
    }
    void eachSentenceStaysWholeOnALineOfItsOwn()
    {
        QFETCH(bool, inputBox);
        QFETCH(QString, prompt);
        int lines = 0;
        const auto count = [&](QDialog *dialog) {
            const QLabel *label = nullptr;
            for (const QLabel *candidate : dialog->findChildren<QLabel *>()) {
                if (candidate->text().contains(u"。"))
                    label = candidate;
            }
            if (label)
                lines = qRound(double(label->height()) / label->fontMetrics().lineSpacing());
            dialog->reject();
        };
        if (inputBox) {
            const auto watch = whenOpen<QInputDialog>([&](QInputDialog *d) { count(d); });
            InputBox::show(nullptr, {prompt, {}, u"50"_s});
            QVERIFY(watch.fired());
        } else {
            const auto watch = whenOpen<QMessageBox>([&](QMessageBox *d) { count(d); });
            MsgBox::show(
                nullptr,
                {prompt, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok});
            QVERIFY(watch.fired());
        }
        QCOMPARE(lines, 2);
    }

    void scriptedHandlersTakeThePlaceOfTheDialogs()
    {
        MsgBox::setHandler([](const MsgBox::Request &r) {
            return r.prompt == u"q" ? MsgBox::Answer::No : MsgBox::Answer::Yes;
        });
        InputBox::setHandler([](const InputBox::Request &r) { return r.defaultText + u'!'; });
        QCOMPARE(MsgBox::show(
                     nullptr,
                     {u"q"_s, MsgBox::Buttons::YesNo, MsgBox::Icon::None, {}, MsgBox::Answer::Yes}),
                 MsgBox::Answer::No);
        QCOMPARE(InputBox::show(nullptr, {u"p"_s, {}, u"a"_s}), u"a!"_s);
        MsgBox::setHandler({});
        InputBox::setHandler({});
    }
};

QTEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
