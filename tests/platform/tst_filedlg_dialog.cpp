// The shared file dialog object with Qt's real dialogs, found while they are
// open and filled in the way a user would.
#include "platform/FileDlg.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;
const QString kPictureFilter =
    u"ビットマップ|*.bmp|PNG|*.png|JPEG|*.jpg|すべてのファイル |*.*|"_s;

// Runs act on the modal dialog of type T as soon as it is open.
template <typename T> void whenOpen(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

QLineEdit *nameBox(QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
}

QComboBox *typeBox(QFileDialog *dialog)
{
    return dialog->findChild<QComboBox *>(u"fileTypeCombo"_s);
}

QPushButton *acceptButton(QFileDialog *dialog)
{
    const auto *box = dialog->findChild<QDialogButtonBox *>(u"buttonBox"_s);
    if (!box)
        return nullptr;
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton *>(button);
    }
    return nullptr;
}

// Types text into the name box and presses the dialog's Open or Save button,
// as the user does; the dialog decides itself whether that closes it.
void typeAndAccept(QFileDialog *dialog, const QString &text)
{
    nameBox(dialog)->setText(text);
    if (QPushButton *button = acceptButton(dialog))
        button->click();
}

// Whatever a test did, a dialog still open is closed so the next test runs.
void closeIfOpen(QFileDialog *dialog)
{
    if (dialog->isVisible())
        dialog->reject();
}

QStringList itemTexts(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; box && i < box->count(); ++i)
        texts.append(box->itemText(i));
    return texts;
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("4\n") == 2;
}

} // namespace

class TestFileDlgDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        installJapaneseTranslations(*qApp);
        QVERIFY(m_dir.isValid());
    }

    void theDialogShowsTheFilterList_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("open face") << false << kFaceFilter
                                   << QStringList{u"顔データ (*.kgm)"_s, u"すべてのファイル (*)"_s}
                                   << QStringList{u"顔データ"_s, u"すべてのファイル "_s};
        QTest::newRow("save picture")
            << true << kPictureFilter
            << QStringList{u"ビットマップ (*.bmp)"_s, u"PNG (*.png)"_s, u"JPEG (*.jpg)"_s,
                           u"すべてのファイル (*)"_s}
            << QStringList{u"ビットマップ"_s, u"PNG"_s, u"JPEG"_s, u"すべてのファイル "_s};
    }
    void theDialogShowsTheFilterList()
    {
        QFETCH(bool, save);
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        QStringList seenFilters, seenShown;
        QString seenSelected, seenTitle, seenDirectory, acceptText;
        int seenIndex = -1;
        QFileDialog::FileMode seenMode = QFileDialog::Directory;
        QFileDialog::AcceptMode seenAcceptMode = QFileDialog::AcceptOpen;
        bool native = true, confirmsOverwrite = false;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            seenFilters = dialog->nameFilters();
            seenSelected = dialog->selectedNameFilter();
            seenShown = itemTexts(typeBox(dialog));
            seenIndex = typeBox(dialog) ? typeBox(dialog)->currentIndex() : -1;
            seenTitle = dialog->windowTitle();
            seenDirectory = dialog->directory().absolutePath();
            seenMode = dialog->fileMode();
            seenAcceptMode = dialog->acceptMode();
            native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            acceptText = acceptButton(dialog) ? acceptButton(dialog)->text() : QString();
            dialog->reject();
        });
        FileDlg dlg;
        dlg.setTitle(u"顔の選択"_s);
        dlg.setFilename(u"before.kgm"_s);
        const QString result = save ? dlg.ShowSave(nullptr, filter, m_dir.path())
                                    : dlg.ShowOpen(nullptr, filter, m_dir.path());
        QCOMPARE(result, QString());
        QCOMPARE(dlg.Cancel(), true);
        QCOMPARE(dlg.Filename(), u"before.kgm"_s);

        QCOMPARE(seenFilters, nameFilters);
        QCOMPARE(seenSelected, nameFilters.constFirst());
        QTEST(seenShown, "shown");
        QCOMPARE(seenIndex, 0);
        QCOMPARE(seenTitle, u"顔の選択"_s);
        QCOMPARE(seenDirectory, m_dir.path());
        QCOMPARE(seenMode, save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        QCOMPARE(seenAcceptMode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        QVERIFY(!native);
        QVERIFY(confirmsOverwrite);
        // Qt's own labels speak Japanese like the program.
        QVERIFY2(acceptText.contains(save ? u"保存"_s : u"開く"_s), qPrintable(acceptText));
    }

    void aTypedNameGetsTheSelectedFiltersExtension_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("downs"); // presses of the down key in the file type box
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("face") << kFaceFilter << 0 << u"new1"_s << u"new1.kgm"_s;
        QTest::newRow("all files") << kFaceFilter << 1 << u"new2"_s << u"new2"_s;
        QTest::newRow("own extension") << kFaceFilter << 0 << u"new3.txt"_s << u"new3.txt"_s;
        QTest::newRow("picture PNG") << kPictureFilter << 1 << u"new4"_s << u"new4.png"_s;
        QTest::newRow("picture JPEG") << kPictureFilter << 2 << u"new5"_s << u"new5.jpg"_s;
        QTest::newRow("picture all files") << kPictureFilter << 3 << u"new6"_s << u"new6"_s;
        QTest::newRow("back to face") << kFaceFilter << -1 << u"new7"_s << u"new7.kgm"_s;
    }
    void aTypedNameGetsTheSelectedFiltersExtension()
    {
        QFETCH(QString, filter);
        QFETCH(int, downs);
        QFETCH(QString, typed);
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            QComboBox *types = typeBox(dialog);
            if (types) {
                // Down then up again: the extension must follow back.
                const int presses = downs < 0 ? 1 : downs;
                for (int i = 0; i < presses; ++i)
                    QTest::keyClick(types, Qt::Key_Down);
                if (downs < 0)
                    QTest::keyClick(types, Qt::Key_Up);
            }
            typeAndAccept(dialog, typed);
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        const QString result = dlg.ShowSave(nullptr, filter, m_dir.path());
        QFETCH(QString, result);
        QCOMPARE(dlg.ShowSave(nullptr, filter, m_dir.path()), m_dir.filePath(result));
    }
};

QTEST_MAIN(TestFileDlgDialog)
#include "tst_filedlg_dialog.moc"
