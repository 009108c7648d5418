// The shared file dialog object as the commands see it, with a scripted user
// in place of the dialogs, and the path helpers beside it.
#include "platform/FileDlg.h"
#include "platform/FileDlgMod.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FileDlg::Kind)

namespace {

const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;
const QString kPictureFilter = u"ビットマップ|*.bmp|PNG|*.png|JPEG|*.jpg|すべてのファイル |*.*|"_s;

QString show(FileDlg &dlg, FileDlg::Kind kind, const QString &filter = {},
             const QString &defDir = {})
{
    switch (kind) {
    case FileDlg::Kind::Open:
        return dlg.ShowOpen(nullptr, filter, defDir);
    case FileDlg::Kind::Save:
        return dlg.ShowSave(nullptr, filter, defDir);
    case FileDlg::Kind::Folder:
        return dlg.ShowDir(nullptr, defDir);
    }
    return {};
}

} // namespace

class TestFileDlg : public QObject
{
    Q_OBJECT

    // The scripted user: remembers what it was shown and answers m_answer.
    FileDlg::Request m_seen;
    FileDlg::Answer m_answer;
    int m_calls = 0;
    bool m_cancelDuringCall = true;
    FileDlg *m_watched = nullptr;

private Q_SLOTS:
    void init()
    {
        m_seen = {};
        m_answer = {};
        m_calls = 0;
        m_watched = nullptr;
        FileDlg::setHandler([this](const FileDlg::Request &request) {
            m_seen = request;
            ++m_calls;
            if (m_watched)
                m_cancelDuringCall = m_watched->Cancel();
            return m_answer;
        });
    }
    void cleanup() { FileDlg::setHandler({}); }

    void filterListsBecomeNameFilters_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<QStringList>("suffixes");

        QTest::newRow("face") << kFaceFilter
                              << QStringList{u"顔データ (*.kgm)"_s, u"すべてのファイル (*)"_s}
                              << QStringList{u"顔データ"_s, u"すべてのファイル "_s}
                              << QStringList{u"kgm"_s, QString()};
        QTest::newRow("picture") << kPictureFilter
                                 << QStringList{u"ビットマップ (*.bmp)"_s, u"PNG (*.png)"_s,
                                                u"JPEG (*.jpg)"_s, u"すべてのファイル (*)"_s}
                                 << QStringList{u"ビットマップ"_s, u"PNG"_s, u"JPEG"_s,
                                                u"すべてのファイル "_s}
                                 << QStringList{u"bmp"_s, u"png"_s, u"jpg"_s, QString()};
        QTest::newRow("no final bar")
            << u"顔データ|*.kgm|すべてのファイル |*.*"_s
            << QStringList{u"顔データ (*.kgm)"_s, u"すべてのファイル (*)"_s}
            << QStringList{u"顔データ"_s, u"すべてのファイル "_s}
            << QStringList{u"kgm"_s, QString()};
        QTest::newRow("several patterns")
            << u"ビットマップ|*.bmp;*.dib; *.rle|"_s
            << QStringList{u"ビットマップ (*.bmp *.dib *.rle)"_s} << QStringList{u"ビットマップ"_s}
            << QStringList{u"bmp"_s};
        QTest::newRow("wildcard extension")
            << u"画像|*.jp*|顔|face?.kgm|"_s << QStringList{u"画像 (*.jp*)"_s, u"顔 (face?.kgm)"_s}
            << QStringList{u"画像"_s, u"顔"_s} << QStringList{QString(), QString()};
        QTest::newRow("description without pattern")
            << u"顔データ|*.kgm|残り|"_s << QStringList{u"顔データ (*.kgm)"_s}
            << QStringList{u"顔データ"_s} << QStringList{u"kgm"_s};
        QTest::newRow("empty") << QString() << QStringList() << QStringList() << QStringList();
    }
    void filterListsBecomeNameFilters()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, nameFilters);
        QFETCH(QStringList, descriptions);
        QFETCH(QStringList, suffixes);

        FileDlg dlg;
        dlg.ShowOpen(nullptr, list);
        QCOMPARE(m_seen.nameFilters, nameFilters);
        QCOMPARE(m_seen.descriptions, descriptions);
        QCOMPARE(m_seen.selectedFilter, nameFilters.isEmpty() ? -1 : 0);

        QStringList parsedSuffixes;
        for (const FileDlg::NameFilter &f : FileDlg::parseFilterList(list))
            parsedSuffixes.append(f.suffix);
        QCOMPARE(parsedSuffixes, suffixes);
    }

    void theFilterPropertyStandsInForAnEmptyArgument_data()
    {
        QTest::addColumn<FileDlg::Kind>("kind");
        QTest::newRow("open") << FileDlg::Kind::Open;
        QTest::newRow("save") << FileDlg::Kind::Save;
    }
    void theFilterPropertyStandsInForAnEmptyArgument()
    {
        QFETCH(FileDlg::Kind, kind);
        FileDlg dlg;
        dlg.setFilter(kFaceFilter);
        show(dlg, kind);
        QCOMPARE(m_seen.descriptions, (QStringList{u"顔データ"_s, u"すべてのファイル "_s}));
        QCOMPARE(m_seen.defaultSuffix, kind == FileDlg::Kind::Save ? u"kgm"_s : QString());

        show(dlg, kind, kPictureFilter);
        QCOMPARE(m_seen.descriptions.size(), 4);
        QCOMPARE(m_seen.defaultSuffix, kind == FileDlg::Kind::Save ? u"bmp"_s : QString());
        QCOMPARE(dlg.Filter(), kFaceFilter);
    }

    void flagsDecideWhetherTheFileMustExist_data()
    {
        QTest::addColumn<FileDlg::Kind>("kind");
        QTest::addColumn<qint32>("flags");
        QTest::addColumn<bool>("mustExist");
        QTest::newRow("open, no flags") << FileDlg::Kind::Open << 0 << true;
        QTest::newRow("open, low bit") << FileDlg::Kind::Open << 0x1 << false;
        QTest::newRow("open, high bit") << FileDlg::Kind::Open << qint32(0x80000000) << false;
        QTest::newRow("save, no flags") << FileDlg::Kind::Save << 0 << false;
        QTest::newRow("save, a bit") << FileDlg::Kind::Save << 0x1000 << false;
    }
    void flagsDecideWhetherTheFileMustExist()
    {
        QFETCH(FileDlg::Kind, kind);
        QFETCH(qint32, flags);
        FileDlg dlg;
        dlg.setFlags(flags);
        show(dlg, kind, kFaceFilter);
        QCOMPARE(m_seen.kind, kind);
        QTEST(m_seen.mustExist, "mustExist");
    }

    void cancelStartsFalseAndKeepsTheFilename_data()
    {
        QTest::addColumn<FileDlg::Kind>("kind");
        QTest::newRow("open") << FileDlg::Kind::Open;
        QTest::newRow("save") << FileDlg::Kind::Save;
        QTest::newRow("folder") << FileDlg::Kind::Folder;
    }
    void cancelStartsFalseAndKeepsTheFilename()
    {
        QFETCH(FileDlg::Kind, kind);
        FileDlg dlg;
        m_watched = &dlg;
        dlg.setFilename(u"/kao/face.kgm"_s);
        dlg.setCancel(true);

        m_answer = {false, u"/kao/other.kgm"_s, 0};
        QCOMPARE(show(dlg, kind, kFaceFilter, u"/kao"_s), QString());
        QCOMPARE(m_cancelDuringCall, false);
        QCOMPARE(dlg.Cancel(), true);
        QCOMPARE(dlg.Filename(), u"/kao/face.kgm"_s);

        m_answer = {true, u"/kao/other.kgm"_s, 0};
        QVERIFY(!show(dlg, kind, kFaceFilter, u"/kao"_s).isEmpty());
        QCOMPARE(m_cancelDuringCall, false);
        QCOMPARE(dlg.Cancel(), false);
        QCOMPARE(m_calls, 2);
    }

    void theDialogStartsWhereTheNameOrFolderSays_data()
    {
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QString>("defDir");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("fileName");
        const QString here = QDir::currentPath();
        QTest::newRow("nothing given") << QString() << QString() << here << QString();
        QTest::newRow("bare name") << u"face.kgm"_s << QString() << here << u"face.kgm"_s;
        QTest::newRow("bare name, folder")
            << u"face.kgm"_s << u"/kao/faces"_s << u"/kao/faces"_s << u"face.kgm"_s;
        QTest::newRow("folder with slash")
            << QString() << u"/kao/faces/"_s << u"/kao/faces"_s << QString();
        QTest::newRow("relative folder")
            << QString() << u"faces"_s << here + u"/faces"_s << QString();
        QTest::newRow("full path wins")
            << u"/home/a/face.kgm"_s << u"/kao/faces"_s << u"/home/a"_s << u"face.kgm"_s;
        QTest::newRow("full path, no folder")
            << u"/home/a/face.kgm"_s << QString() << u"/home/a"_s << u"face.kgm"_s;
    }
    void theDialogStartsWhereTheNameOrFolderSays()
    {
        QFETCH(QString, filename);
        QFETCH(QString, defDir);
        for (const FileDlg::Kind kind : {FileDlg::Kind::Open, FileDlg::Kind::Save}) {
            FileDlg dlg;
            dlg.setFilename(filename);
            show(dlg, kind, kFaceFilter, defDir);
            QTEST(m_seen.directory, "directory");
            QTEST(m_seen.fileName, "fileName");
        }
    }

    void theTitleIsTheCaption()
    {
        FileDlg dlg;
        dlg.setTitle(u"顔を開く"_s);
        dlg.ShowOpen(nullptr, kFaceFilter);
        QCOMPARE(m_seen.title, u"顔を開く"_s);
        dlg.ShowSave(nullptr, kFaceFilter);
        QCOMPARE(m_seen.title, u"顔を開く"_s);
        // Without one, the caption says what the dialog is for.
        dlg.setTitle({});
        dlg.ShowOpen(nullptr, kFaceFilter);
        QCOMPARE(m_seen.title, u"開く"_s);
        dlg.ShowSave(nullptr, kFaceFilter);
        QCOMPARE(m_seen.title, u"名前を付けて保存"_s);
    }

    void theChosenPathIsKeptWhole_data()
    {
        QTest::addColumn<FileDlg::Kind>("kind");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("selectedFilter");
        QTest::addColumn<QString>("result");
        const QString dir = u"/kao/faces/"_s;
        QTest::newRow("save, face filter")
            << FileDlg::Kind::Save << kFaceFilter << u"face"_s << 0 << dir + u"face.kgm"_s;
        QTest::newRow("save, all files")
            << FileDlg::Kind::Save << kFaceFilter << u"face"_s << 1 << dir + u"face"_s;
        QTest::newRow("save, own extension")
            << FileDlg::Kind::Save << kFaceFilter << u"face.txt"_s << 0 << dir + u"face.txt"_s;
        QTest::newRow("save, picture PNG")
            << FileDlg::Kind::Save << kPictureFilter << u"face"_s << 1 << dir + u"face.png"_s;
        QTest::newRow("save, full path")
            << FileDlg::Kind::Save << kFaceFilter << u"/tmp/x/face"_s << 0 << u"/tmp/x/face.kgm"_s;
        QTest::newRow("open, no extension added")
            << FileDlg::Kind::Open << kFaceFilter << u"face"_s << 0 << dir + u"face"_s;
    }
    void theChosenPathIsKeptWhole()
    {
        QFETCH(FileDlg::Kind, kind);
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(int, selectedFilter);
        QFETCH(QString, result);
        FileDlg dlg;
        m_answer = {true, typed, selectedFilter};
        QCOMPARE(show(dlg, kind, filter, u"/kao/faces"_s), result);
        QCOMPARE(dlg.Filename(), result);
        QCOMPARE(dlg.Cancel(), false);
    }

    void saveAsOffersTheFileJustOpened()
    {
        FileDlg dlg;
        m_answer = {true, u"/kao/faces/face.kgm"_s, 0};
        dlg.ShowOpen(nullptr, kFaceFilter, u"/elsewhere"_s);
        m_answer = {false, {}, 0};
        dlg.ShowSave(nullptr, kFaceFilter, u"/elsewhere"_s);
        QCOMPARE(m_seen.kind, FileDlg::Kind::Save);
        QCOMPARE(m_seen.directory, u"/kao/faces"_s);
        QCOMPARE(m_seen.fileName, u"face.kgm"_s);
    }

    void theFolderDialogSelectsItsFolder_data()
    {
        QTest::addColumn<QString>("defDir");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("none") << QString() << QDir::currentPath() << QString();
        QTest::newRow("folder") << u"/home/a"_s << u"/home"_s << u"a"_s;
        QTest::newRow("folder with slash") << u"/home/a/"_s << u"/home"_s << u"a"_s;
        QTest::newRow("root") << u"/"_s << u"/"_s << QString();
    }
    void theFolderDialogSelectsItsFolder()
    {
        QFETCH(QString, defDir);
        FileDlg dlg;
        dlg.setFilename(u"face.kgm"_s);
        FileDlgMod::setBrowseDefDir(u"/left/over"_s);
        m_answer = {false, {}, 0};
        QCOMPARE(dlg.ShowDir(nullptr, defDir, 0x41), QString());
        QCOMPARE(m_seen.kind, FileDlg::Kind::Folder);
        QCOMPARE(m_seen.title, u"フォルダを選択してください。"_s);
        QTEST(m_seen.directory, "directory");
        QTEST(m_seen.fileName, "fileName");
        QVERIFY(m_seen.nameFilters.isEmpty());
        QCOMPARE(FileDlgMod::BrowseDefDir(), defDir);
        QCOMPARE(dlg.Filename(), u"face.kgm"_s);
    }

    void theChosenFolderEndsInOneSlash_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("result");
        QTest::newRow("root") << u"/"_s << u"/"_s;
        QTest::newRow("folder") << u"/home/a"_s << u"/home/a/"_s;
        QTest::newRow("folder with slash") << u"/home/a/"_s << u"/home/a/"_s;
        QTest::newRow("doubled slashes") << u"/home//a//"_s << u"/home/a/"_s;
        QTest::newRow("relative") << u"b"_s << u"/home/b/"_s;
    }
    void theChosenFolderEndsInOneSlash()
    {
        FileDlg dlg;
        dlg.setFilename(u"face.kgm"_s);
        QFETCH(QString, chosen);
        m_answer = {true, chosen, 0};
        QTEST(dlg.ShowDir(nullptr, u"/home/a"_s), "result");
        QCOMPARE(dlg.Cancel(), false);
        QCOMPARE(dlg.Filename(), u"face.kgm"_s);
    }

    void cutAtNull_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("no NUL") << u"abc"_s << u"abc"_s;
        QTest::newRow("NUL inside") << QString(u"ab\0c"_s) << u"ab"_s;
        QTest::newRow("NUL first") << QString(u"\0abc"_s) << QString();
        QTest::newRow("two NULs") << QString(u"顔\0a\0"_s) << u"顔"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void cutAtNull()
    {
        QFETCH(QString, text);
        QTEST(FileDlgMod::CutAtNull(text), "result");
    }

    void addBackslash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("result");
        QTest::newRow("empty") << QString() << u"/"_s;
        QTest::newRow("root") << u"/"_s << u"/"_s;
        QTest::newRow("folder") << u"/home/a"_s << u"/home/a/"_s;
        QTest::newRow("folder with slash") << u"/home/a/"_s << u"/home/a/"_s;
        QTest::newRow("backslash is a character") << u"/home/a\\"_s << u"/home/a\\/"_s;
        QTest::newRow("relative") << u"顔"_s << u"顔/"_s;
    }
    void addBackslash()
    {
        QFETCH(QString, path);
        QTEST(FileDlgMod::AddBackslash(path), "result");
    }
};

QTEST_GUILESS_MAIN(TestFileDlg)
#include "tst_filedlg.moc"
