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
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;
const QString kPictureFilter = u"ビットマップ|*.bmp|PNG|*.png|JPEG|*.jpg|すべてのファイル |*.*|"_s;
const QString kAllFilesFilter = u"すべてのファイル |*.*|"_s;
// A folder lists at once; the time CTest gives the whole run is far longer.
constexpr int kListingDeadline = 5000;

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

// The names the file list offers for choosing, once all of awaited have
// appeared in it; the list fills in the background. Nothing when they do not
// appear at once.
QStringList listedWhenLoaded(QFileDialog *dialog, const QStringList &awaited)
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
    const auto loaded = [&] {
        const QStringList names = listed();
        return std::all_of(awaited.begin(), awaited.end(),
                           [&names](const QString &name) { return names.contains(name); });
    };
    if (!QTest::qWaitFor(loaded, kListingDeadline))
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

bool touch(const QString &path, qint64 size = 2)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, '4')) == size;
}

bool setModified(const QString &path, const QDateTime &time)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(time.toSecsSinceEpoch()), 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

// The entries of a folder that anything opened while this lived, told by
// the kernel (inotify), whoever opened them.
class OpenedEntries
{
public:
    explicit OpenedEntries(const QString &folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        m_watching = m_fd >= 0 &&
                     ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN) >= 0;
    }
    ~OpenedEntries()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenedEntries(const OpenedEntries &) = delete;
    OpenedEntries &operator=(const OpenedEntries &) = delete;

    bool isWatching() const { return m_watching; }

    // The names opened so far; the folder's own opening is not one of them.
    QStringList names() const
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        ssize_t length;
        while ((length = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0)
                    names.append(QFile::decodeName(event->name));
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        names.removeDuplicates();
        return names;
    }

private:
    int m_fd;
    bool m_watching = false;
};

// A writer for a FIFO that nobody writes to, from the deadline on: whoever
// opened it to read, and would wait for good, gets the end of the file and
// goes on, so a test fails instead of hanging.
class FifoRelease
{
public:
    FifoRelease(const QString &fifo, std::chrono::milliseconds deadline)
        : m_thread([this, path = QFile::encodeName(fifo), deadline] { run(path, deadline); })
    {
    }
    ~FifoRelease()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    FifoRelease(const FifoRelease &) = delete;
    FifoRelease &operator=(const FifoRelease &) = delete;

    // Whether someone had the FIFO open to read.
    bool released() const { return m_released; }

private:
    void run(const QByteArray &path, std::chrono::milliseconds deadline)
    {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, deadline, [this] { return m_done; });
        while (!m_done) {
            // Opening the write end without waiting works only while a
            // reader has the FIFO open, and lets that reader go on.
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_released = true;
                ::close(fd);
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_done; });
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_released = false;
    std::thread m_thread; // last: starts once the rest is ready
};

// The texts of the detail view's row for name: size, type and date.
QStringList detailsOf(QFileDialog *dialog, const QString &name)
{
    const auto *view = dialog->findChild<QTreeView *>(u"treeView"_s);
    if (!view)
        return {};
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(view->rootIndex()); ++row) {
        if (model->index(row, 0, view->rootIndex()).data().toString() != name)
            continue;
        QStringList texts;
        for (int column = 1; column < model->columnCount(view->rootIndex()); ++column)
            texts.append(model->index(row, column, view->rootIndex()).data().toString());
        return texts;
    }
    return {};
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
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
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
        QVERIFY(watch.fired());
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
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
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
        QVERIFY(watch.fired());
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
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            faceListed = listedWhenLoaded(dialog, {u"face.kgm"_s});
            if (QComboBox *types = typeBox(dialog))
                QTest::keyClick(types, Qt::Key_Down);
            allListed = listedWhenLoaded(dialog, {u"plain"_s});
            dialog->reject();
        });
        FileDlg dlg;
        dlg.ShowOpen(nullptr, kFaceFilter, folder);
        QVERIFY(watch.fired());
        QCOMPARE(faceListed, QStringList{u"face.kgm"_s});
        QCOMPARE(allListed, (QStringList{u"face.kgm"_s, u"plain"_s}));
    }

    // Listing a folder looks at no file's content: Qt's own dialog guessed
    // types by reading files, and a FIFO or /proc/kmsg blocked it for good.
    void specialFilesAreListedAtOnceAndNeverOpened()
    {
        const QTemporaryDir folder;
        QVERIFY(folder.isValid());
        // Without an extension only its content could tell this file's type.
        QStringList names{u"face"_s, u"pipe"_s};
        QVERIFY(touch(folder.filePath(u"face"_s)));
        const QString pipe = folder.filePath(u"pipe"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        // A device node needs root; the rest of the test runs without one.
        struct stat null;
        if (::stat("/dev/null", &null) == 0 &&
            ::mknod(QFile::encodeName(folder.filePath(u"device"_s)).constData(), S_IFCHR | 0600,
                    null.st_rdev) == 0)
            names.append(u"device"_s);
        names.sort();

        const OpenedEntries opened(folder.path());
        QVERIFY(opened.isWatching());
        const FifoRelease release(pipe, std::chrono::milliseconds(kListingDeadline));
        QStringList listed;
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            listed = listedWhenLoaded(dialog, names);
            // The name box offers the names too.
            QTest::keyClicks(nameBox(dialog), u"p"_s);
            QTest::keyClick(dialog, Qt::Key_Escape);
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        QCOMPARE(dlg.ShowSave(nullptr, kAllFilesFilter, folder.path()), QString());
        QVERIFY(watch.fired());
        QCOMPARE(dlg.Cancel(), true);
        QCOMPARE(listed, names);
        QCOMPARE(opened.names(), QStringList());
        QVERIFY(!release.released());
    }

    // Sizes, types and dates speak the program's language, not the
    // desktop's: the test runs under LC_ALL=C.UTF-8.
    void theDetailsSpeakJapanese_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size"); // -1: a folder
        QTest::addColumn<QStringList>("details");
        const QString date = u"2001/02/03 4:05"_s;
        QTest::newRow("face file")
            << u"face.kgm"_s << 80 << QStringList{u"80 バイト"_s, u"KGM ファイル"_s, date};
        QTest::newRow("no extension")
            << u"notes"_s << 2 << QStringList{u"2 バイト"_s, u"ファイル"_s, date};
        QTest::newRow("picture") << u"pic.png"_s << 5000
                                 << QStringList{u"4.88 KiB"_s, u"PNG 画像"_s, date};
        QTest::newRow("folder") << u"sub"_s << -1 << QStringList{QString(), u"フォルダー"_s, date};
    }
    void theDetailsSpeakJapanese()
    {
        if (QLocale::system().language() == QLocale::Japanese)
            QSKIP("The desktop speaks Japanese itself");
        QFETCH(QString, name);
        QFETCH(int, size);
        const QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(name);
        QVERIFY(size < 0 ? QDir().mkdir(path) : touch(path, size));
        QVERIFY(setModified(path, QDateTime(QDate(2001, 2, 3), QTime(4, 5))));

        QStringList details;
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            dialog->setViewMode(QFileDialog::Detail);
            if (!listedWhenLoaded(dialog, {name}).isEmpty())
                details = detailsOf(dialog, name);
            dialog->reject();
        });
        FileDlg dlg;
        dlg.ShowOpen(nullptr, kAllFilesFilter, folder.path());
        QVERIFY(watch.fired());
        QTEST(details, "details");
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
        bool asked = false, stillOpen = false;
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            const auto questionWatch = whenOpen<QMessageBox>([&](QMessageBox *box) {
                question = box->text();
                box->button(answer)->click();
            });
            // Typed without its extension: the question is about kept.kgm.
            typeAndAccept(dialog, u"kept"_s);
            asked = questionWatch.fired();
            stillOpen = dialog->isVisible();
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        const QString chosen = dlg.ShowSave(nullptr, kFaceFilter, m_dir.path());
        QVERIFY(watch.fired());
        QVERIFY(asked);
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
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            nameBox(dialog)->setText(u"missing.kgm"_s);
            buttonEnabled = acceptButton(dialog) && acceptButton(dialog)->isEnabled();
            const auto warning = whenOpen<QMessageBox>([](QMessageBox *box) { box->accept(); });
            // Made to accept all the same, the dialog refuses the name and
            // says so.
            static_cast<QDialog *>(dialog)->accept();
            warned = warning.fired();
            stillOpen = dialog->isVisible();
            if (stillOpen)
                typeAndAccept(dialog, u"there.kgm"_s);
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        dlg.setFlags(flags);
        const QString chosen = dlg.ShowOpen(nullptr, kFaceFilter, m_dir.path());
        QVERIFY(watch.fired());
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
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
            shownFolder = dialog->directory().absolutePath();
            shownName = nameBox(dialog)->text();
            // Saving over the file asks first, long name or not.
            const auto question = whenOpen<QMessageBox>(
                [](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
            if (QPushButton *button = acceptButton(dialog))
                button->click();
            asked = question.fired();
            closeIfOpen(dialog);
        });
        FileDlg dlg;
        dlg.setFilename(file);
        const QString chosen =
            save ? dlg.ShowSave(nullptr, kFaceFilter) : dlg.ShowOpen(nullptr, kFaceFilter);
        QVERIFY(watch.fired());
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
        const auto watch = whenOpen<QFileDialog>([&](QFileDialog *dialog) {
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
        QVERIFY(watch.fired());
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
