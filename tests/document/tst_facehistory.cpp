#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/FaceCode.h"
#include "document/FaceFile.h"
#include "document/Main.h"
#include "selection/FileListing.h"
#include "selection/ItemSelect.h"

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A main window over three parts a category, showing the face 401010101
// read from a file of that name, its four pickers open; 402000200 is
// another face file.
struct Fixture
{
    Fixture() : w(app.path())
    {
        for (const QString &word : {u"顔"_s, u"目"_s, u"髪"_s, u"口"_s}) {
            for (int i = 0; i < 3; ++i)
                app.addPart(word, u"0%1.png"_s.arg(i), {8, 8}, QColor::fromHsv(i * 100, 255, 255));
        }
        for (const QString &code : {u"401010101"_s, u"402000200"_s}) {
            const auto face = FaceCode::faceFromCode(code, FileListing::listLibrary(app.path()));
            app.writeFile(code + u".kgm"_s, FaceFile::write(face.PartFiles, face.PartCodes).bytes);
        }
        w.Form_Load(app.filePath(u"401010101.kgm"_s));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QString code() const { return w.Label1->text(); }
    // Whether every open picker shows the face's part of its category.
    bool pickersShowTheFace() const
    {
        for (ItemSelect *p : w.openPickers()) {
            const auto category = Categories::fromWord(p->TypeName());
            if (p->position() != Categories::field(w.document().PartCodes, *category).toInt())
                return false;
        }
        return w.openPickers().size() == 4;
    }
    // A change of the kind given, or the keys given.
    void step(const QString &kind, int i = 0)
    {
        ItemSelect *hair = w.openPickers().first();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(app.filePath(u"402000200.kgm"_s))});
        if (kind == u"decision") {
            hair->setPosition(i % 2 == 0 ? 2 : 0);
            hair->Command1->click();
        } else if (kind == u"face code entry") {
            ScriptedInput input(u"402020202"_s);
            w.findChild<QAction *>(u"E_VercodeLoading"_s)->trigger();
        } else if (kind == u"drop") {
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&w, &enter);
            QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&w, &drop);
            QTRY_COMPARE(code(), u"402000200"_s);
        } else {
            if (kind == u"paste")
                QGuiApplication::clipboard()->setText(u"402020202"_s);
            files.choose(app.filePath(u"402000200.kgm"_s));
            QTest::keySequence(&w, QKeySequence::fromString(kind == u"paste" ? u"Ctrl+V"_s : kind));
        }
    }

    SandboxAppDir app;
    ScriptedMessages messages;
    ScriptedFiles files;
    Main w;
};

} // namespace

class TestFaceHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each step is undone and redone, the pickers showing the face and the
    // title naming its file all along.
    void undoAndRedoEachKindOfStep_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("count");
        // After the steps: whether the face is in its file, and the file.
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("file");
        const QString read = u"401010101.kgm"_s;
        const QString other = u"402000200.kgm"_s;
        QTest::newRow("decisions") << u"decision"_s << 100 << false << read;
        QTest::newRow("entry") << u"face code entry"_s << 1 << false << read;
        QTest::newRow("New") << u"Ctrl+N"_s << 1 << true << u"無題"_s;
        QTest::newRow("Open") << u"Ctrl+O"_s << 1 << true << other;
        QTest::newRow("drop") << u"drop"_s << 1 << true << other;
        QTest::newRow("おまかせ") << u"Ctrl+R"_s << 1 << false << read;
        QTest::newRow("paste") << u"paste"_s << 1 << false << read;
    }
    void undoAndRedoEachKindOfStep()
    {
        QFETCH(QString, kind);
        QFETCH(int, count);
        QFETCH(bool, saved);
        QFETCH(QString, file);
        Fixture f;
        QVERIFY(f.pickersShowTheFace()); // after start-up with a face file
        QStringList codes{f.code()};
        for (int i = 0; i < count; ++i) {
            f.step(kind, i);
            codes.append(f.code());
        }
        QVERIFY(codes.last() != codes.first());
        QVERIFY(f.w.document().Modified != saved && f.w.isWindowModified() != saved);
        QCOMPARE(f.w.windowTitle(), file + u"[*] - かおぐみ"_s);
        QAction *undo = f.w.findChild<QAction *>(u"E_Undo"_s);
        QAction *redo = f.w.findChild<QAction *>(u"E_Redo"_s);
        for (int i = count; i > 0; --i) {
            QVERIFY(undo->isEnabled() && f.pickersShowTheFace() && f.code() == codes[i]);
            QTest::keyClick(&f.w, Qt::Key_Z, Qt::ControlModifier);
        }
        QVERIFY(!undo->isEnabled() && f.pickersShowTheFace() && f.code() == codes[0]);
        // The history has one saved point: the face read, or the one a step
        // read or emptied.
        QCOMPARE(f.w.isWindowModified(), saved);
        QCOMPARE(f.w.windowTitle(), u"401010101.kgm[*] - かおぐみ"_s);
        for (int i = 1; i <= count; ++i) {
            QTest::keySequence(&f.w, i % 2 ? QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                                           : QKeySequence(Qt::CTRL | Qt::Key_Y));
            QVERIFY(f.pickersShowTheFace() && f.code() == codes[i]);
        }
        QVERIFY(!redo->isEnabled() && f.w.document().Modified != saved);
        // きめる on pickers that nobody moved keeps the face as it is (an
        // empty one takes the parts).
        for (ItemSelect *p : f.w.openPickers())
            p->Command1->click();
        QCOMPARE(f.code(), kind == u"Ctrl+N" ? u"400000000"_s : codes.last());
        // Undone back to the face read, closing asks only about changes to
        // save (and is cancelled).
        for (int i = 0; i < (kind == u"Ctrl+N" ? 5 : count); ++i)
            QTest::keyClick(&f.w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.w.close(), !saved);
        QCOMPARE(f.messages.asked.size(), saved ? 1 : 0);
    }

    void randomFacesKeepWhatIsLocked_data()
    {
        QTest::addColumn<QString>("kept"); // the words of the categories kept
        for (const QString &kept : {u""_s, u"顔"_s, u"目"_s, u"髪"_s, u"口"_s, u"顔目髪口"_s})
            QTest::newRow(qPrintable(kept.isEmpty() ? u"none"_s : kept)) << kept;
    }
    void randomFacesKeepWhatIsLocked()
    {
        QFETCH(QString, kept);
        Fixture f;
        // The lock items are the checkable ones, each captioned with its word.
        for (QAction *lock : f.w.findChildren<QAction *>())
            lock->setChecked(lock->isCheckable() && kept.contains(lock->text().front()));
        QHash<Category, QSet<QString>> seen;
        for (int i = 0; i < 60; ++i) {
            const QString before = f.code();
            QTest::keyClick(&f.w, Qt::Key_R, Qt::ControlModifier);
            QCOMPARE(f.code() == before, kept.size() == 4);
            for (Category category : Categories::Drawing)
                seen[category].insert(Categories::field(f.w.document().PartCodes, category));
        }
        // A kept part stays; of the others, each part came up, and no gap.
        const QSet<QString> all{u"00"_s, u"01"_s, u"02"_s};
        for (Category category : Categories::Drawing) {
            const bool keeps = kept.contains(Categories::word(category));
            QCOMPARE(seen[category], keeps ? QSet<QString>{u"01"_s} : all);
        }
    }

    // Copy puts the exported picture and the code on the clipboard; paste
    // takes that, what a drop takes, and a face code.
    void copyAndPaste_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("code"); // of the face afterwards
        QTest::addColumn<bool>("named");
        QTest::newRow("what Copy put there") << u"copy"_s << u"401010101"_s << false;
        QTest::newRow("face file") << u"file"_s << u"402000200"_s << true;
        QTest::newRow("exported picture") << u"export"_s << u"401010101"_s << false;
        QTest::newRow("picture of a card") << u"card"_s << u"402000200"_s << false;
        QTest::newRow("face code") << u" 402000200\n"_s << u"402000200"_s << false;
        QTest::newRow("other text") << u"402000200 and more"_s << u"0004"_s << false;
        QTest::newRow("picture without a face") << u"plain"_s << u"0004"_s << false;
    }
    void copyAndPaste()
    {
        QFETCH(QString, kind);
        QFETCH(QString, code);
        Fixture f;
        f.files.choose(f.app.filePath(u"export.png"_s));
        f.w.F_SavePic_Click();
        const QImage exported = QImage(f.app.filePath(u"export.png"_s));
        QTest::keyClick(&f.w, Qt::Key_C, Qt::ControlModifier);
        const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
        const QImage image = qvariant_cast<QImage>(copied->imageData());
        QCOMPARE(image.convertToFormat(exported.format()), exported);
        QCOMPARE(QImage::fromData(copied->data(u"image/png"_s)), image);
        QCOMPARE(image.size(), QSize(249, 265));
        QCOMPARE(copied->text(), u"401010101"_s);

        f.step(u"Ctrl+N"_s);
        if (kind != u"copy") {
            auto *data = new QMimeData;
            if (kind == u"file")
                data->setUrls({QUrl::fromLocalFile(f.app.filePath(u"402000200.kgm"_s))});
            else if (kind == u"export")
                data->setData(u"image/png"_s, f.app.readFile(u"export.png"_s));
            else if (kind == u"card" || kind == u"plain")
                data->setImageData(cardPicture(f.app.path(),
                                               kind == u"card" ? u"402000200"_s : u""_s,
                                               f.w.document().PartFiles));
            else
                data->setText(kind);
            QGuiApplication::clipboard()->setMimeData(data);
        }
        QTest::keyClick(&f.w, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.code(), code);
        QVERIFY(f.pickersShowTheFace());
        QTEST(!f.w.document().FaceFileName.isEmpty(), "named");
        QCOMPARE(f.messages.asked.size(), code == u"0004" ? 1 : 0);
    }
};

QTEST_MAIN(TestFaceHistory)
#include "tst_facehistory.moc"
