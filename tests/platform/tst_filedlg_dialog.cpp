// The shared file dialog object with Qt's real dialogs, found while they are
// open and filled in the way a user would.
#include "ModalDialogs.h"
#include "platform/FileDlg.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;
const QString kPictureFilter = u"ビットマップ|*.bmp|PNG|*.png|JPEG|*.jpg|すべてのファイル |*.*|"_s;

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

// The names the file list offers for choosing, once awaited has appeared in
// it; the list fills in the background.
QStringList listedWhenLoaded(QFileDialog *dialog, const QString &awaited)
{
    const auto *view = dialog->findChild<QListView *>(u"listView"_s);
    if (!view)
        return {};
    const auto listed = [view] {
        QStringList names;
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
            const QModelIndex index = model->index(row, 0, view->rootIndex());
            if (index.flags() & Qt::ItemIsEnabled)
                names.append(index.data().toString());
        }
        names.sort();
        return names;
    };
    if (!QTest::qWaitFor([&] { return listed().contains(awaited); }, 5000))
        return {};
    return listed();
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
        QTest::newRow("open face")
            << false << kFaceFilter << QStringList{u"顔データ (*.kgm)"_s, u"すべてのファイル (*)"_s}
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
        QString seenTitle, seenDirectory, seenName, acceptText;
        int seenIndex = -1;
        QFileDialog::FileMode seenMode = QFileDialog::Directory;
        QFileDialog::AcceptMode seenAcceptMode = QFileDialog::AcceptOpen;
        bool native = true, confirmsOverwrite = false;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            seenFilters = dialog->nameFilters();
            seenShown = itemTexts(typeBox(dialog));
            seenIndex = typeBox(dialog) ? typeBox(dialog)->currentIndex() : -1;
            seenTitle = dialog->windowTitle();
            seenDirectory = dialog->directory().absolutePath();
            seenName = nameBox(dialog)->text();
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
        QTEST(seenShown, "shown");
        QCOMPARE(seenIndex, 0);
        QCOMPARE(seenTitle, u"顔の選択"_s);
        QCOMPARE(seenDirectory, m_dir.path());
        QCOMPARE(seenName, u"before.kgm"_s);
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
        const QString chosen = dlg.ShowSave(nullptr, filter, m_dir.path());
        QFETCH(QString, result);
        QCOMPARE(chosen, m_dir.filePath(result));
        QCOMPARE(dlg.Filename(), m_dir.filePath(result));
        QCOMPARE(dlg.Cancel(), false);
    }

    void allFilesListsNamesWithoutADot()
    {
        const QString folder = m_dir.filePath(u"listing"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(touch(folder + u"/face.kgm"_s));
        QVERIFY(touch(folder + u"/plain"_s));
        QStringList faceListed, allListed;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            faceListed = listedWhenLoaded(dialog, u"face.kgm"_s);
            if (QComboBox *types = typeBox(dialog))
                QTest::keyClick(types, Qt::Key_Down);
            allListed = listedWhenLoaded(dialog, u"plain"_s);
            dialog->reject();
        });
        FileDlg dlg;
        dlg.ShowOpen(nullptr, kFaceFilter, folder);
        QCOMPARE(faceListed, QStringList{u"face.kgm"_s});
        QCOMPARE(allListed, (QStringList{u"face.kgm"_s, u"plain"_s}));
    }

    void replacingAFileIsAskedFirst_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("replace") << QMessageBox::Yes;
        QTest::newRow("keep") << QMessageBox::No;
    }
    void replacingAFileIsAskedFirst()
    {
        QFETCH(QMessageBox::StandardButton, answer);
        const QString existing = m_dir.filePath(u"kept.kgm"_s);
        QVERIFY(touch(existing));
        QString question;
        bool stillOpen = false;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            whenOpen<QMessageBox>([&](QMessageBox *box) {
                question = box->text();
                box->button(answer)->click();
            });
            // Typed without its extension: the question is about kept.kgm.
            typeAndAccept(dialog, u"kept"_s);
            stillOpen = dialog->isVisible();
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        const QString chosen = dlg.ShowSave(nullptr, kFaceFilter, m_dir.path());
        QVERIFY2(question.contains(u"kept.kgm"_s), qPrintable(question));
        QVERIFY2(!question.contains(u"already exists"_s), qPrintable(question));
        if (answer == QMessageBox::Yes) {
            QCOMPARE(chosen, existing);
            QCOMPARE(dlg.Cancel(), false);
        } else {
            QVERIFY(stillOpen);
            QCOMPARE(chosen, QString());
            QCOMPARE(dlg.Cancel(), true);
        }
    }

    void openTakesOnlyExistingFilesUnlessAFlagIsSet_data()
    {
        QTest::addColumn<qint32>("flags");
        QTest::addColumn<bool>("refused");
        QTest::newRow("no flags") << 0 << true;
        QTest::newRow("a flag") << 0x1000 << false;
    }
    void openTakesOnlyExistingFilesUnlessAFlagIsSet()
    {
        QFETCH(qint32, flags);
        QFETCH(bool, refused);
        const QString existing = m_dir.filePath(u"there.kgm"_s);
        QVERIFY(touch(existing));
        bool buttonEnabled = false, stillOpen = false, warned = false;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            nameBox(dialog)->setText(u"missing.kgm"_s);
            buttonEnabled = acceptButton(dialog) && acceptButton(dialog)->isEnabled();
            const QPointer<QTimer> warning = whenOpen<QMessageBox>([&](QMessageBox *box) {
                warned = true;
                box->accept();
            });
            // Made to accept all the same, the dialog refuses the name and
            // says so.
            static_cast<QDialog *>(dialog)->accept();
            stillOpen = dialog->isVisible();
            if (stillOpen)
                typeAndAccept(dialog, u"there.kgm"_s);
            closeIfOpen(dialog);
            delete warning.data();
        });
        FileDlg dlg;
        dlg.setFlags(flags);
        const QString chosen = dlg.ShowOpen(nullptr, kFaceFilter, m_dir.path());
        QCOMPARE(buttonEnabled, !refused);
        QCOMPARE(stillOpen, refused);
        QCOMPARE(warned, refused);
        QCOMPARE(chosen, refused ? existing : m_dir.filePath(u"missing.kgm"_s));
    }

    void pathsLongerThan256CharactersWork_data()
    {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void pathsLongerThan256CharactersWork()
    {
        QFETCH(bool, save);
        const QString part = u"顔"_s + QString(99, u'a');
        const QString folder = m_dir.filePath(part + u'/' + part + u'/' + part);
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + u"/long.kgm"_s;
        QVERIFY2(file.size() > 256, qPrintable(QString::number(file.size())));
        QVERIFY(touch(file));
        QString shownFolder, shownName;
        bool asked = false;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            shownFolder = dialog->directory().absolutePath();
            shownName = nameBox(dialog)->text();
            // Saving over the file asks first, long name or not.
            if (save) {
                whenOpen<QMessageBox>([&](QMessageBox *box) {
                    asked = true;
                    box->button(QMessageBox::Yes)->click();
                });
            }
            if (QPushButton *button = acceptButton(dialog))
                button->click();
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        dlg.setFilename(file);
        const QString chosen =
            save ? dlg.ShowSave(nullptr, kFaceFilter) : dlg.ShowOpen(nullptr, kFaceFilter);
        QCOMPARE(shownFolder, folder);
        QCOMPARE(shownName, u"long.kgm"_s);
        QCOMPARE(asked, save);
        QCOMPARE(chosen, file);
        QCOMPARE(dlg.Filename(), file);
    }

    void theFolderDialogGivesTheFolderWithASlash_data()
    {
        QTest::addColumn<bool>("root");
        QTest::newRow("folder") << false;
        QTest::newRow("root") << true;
    }
    void theFolderDialogGivesTheFolderWithASlash()
    {
        QFETCH(bool, root);
        QVERIFY(QDir(m_dir.path()).mkpath(u"parts"_s));
        const QString folder = root ? u"/"_s : m_dir.filePath(u"parts"_s);
        QString title, shownFolder, shownName;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        bool dirsOnly = false;
        whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            mode = dialog->fileMode();
            dirsOnly = dialog->testOption(QFileDialog::ShowDirsOnly);
            shownFolder = dialog->directory().absolutePath();
            shownName = nameBox(dialog)->text();
            if (QPushButton *button = acceptButton(dialog))
                button->click();
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        dlg.setFilename(u"face.kgm"_s);
        const QString chosen = dlg.ShowDir(nullptr, folder);
        QCOMPARE(title, u"フォルダを選択してください。"_s);
        QCOMPARE(mode, QFileDialog::Directory);
        QVERIFY(dirsOnly);
        QCOMPARE(shownFolder, root ? u"/"_s : m_dir.path());
        QCOMPARE(shownName, root ? QString() : u"parts"_s);
        QCOMPARE(chosen, root ? u"/"_s : folder + u'/');
        QCOMPARE(dlg.Cancel(), false);
        QCOMPARE(dlg.Filename(), u"face.kgm"_s);
    }
};

QTEST_MAIN(TestFileDlgDialog)
#include "tst_filedlg_dialog.moc"
