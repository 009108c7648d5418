#include "TestUtils.h"
#include "document/Composite.h"
#include "tools/partsgen/ContactSheet.h"
#include "tools/partsgen/PartsLibrary.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The parts of one category as they were written, in order.
struct Folder
{
    PartsLibrary::Category category;
    QList<QImage> parts;
};

// Where on the composite surface a pixel of a boxed part lands.
QPoint onSurface(const QRect &box, int x, int y)
{
    return box.topLeft() + QPoint(x, y);
}

int alphaAt(const QImage &image, QPoint at)
{
    if (!image.rect().contains(at))
        return 0;
    return qAlpha(image.pixel(at));
}

// The outline's alpha at a surface position.
int skinAt(const QImage &outline, QPoint surface)
{
    return alphaAt(outline, surface - Composite::OutlineOrigin);
}

// The hair's alpha at a surface position.
int hairAt(const QImage &hair, QPoint surface)
{
    return alphaAt(hair, surface - Composite::HairBox.topLeft());
}

// The lowest row of the surface the outline covers on the face's axis.
int chinY(const QImage &outline)
{
    const int x = 120 - Composite::OutlineOrigin.x();
    for (int y = outline.height() - 1; y >= 0; --y) {
        if (qAlpha(outline.pixel(x, y)) > 128)
            return y + Composite::OutlineOrigin.y();
    }
    return -1;
}

// The outermost column the outline covers on row y, to the left or right.
int faceEdge(const QImage &outline, int y, int direction)
{
    int edge = -1;
    for (int x = 120; x >= 0 && x < Composite::SurfaceWidth; x += direction) {
        if (skinAt(outline, {x, y}) > 128)
            edge = x;
    }
    return edge;
}

// The leftmost and rightmost surface columns a boxed part paints.
std::pair<int, int> inkColumns(const QImage &part, const QRect &box)
{
    int left = part.width(), right = -1;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            if (qAlpha(part.pixel(x, y)) > 64) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    }
    return {box.left() + left, box.left() + right};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPartsLibrary : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_app;
    QList<Folder> m_folders;

    const Folder &folder(QChar prefix) const
    {
        for (const Folder &f : m_folders) {
            if (f.category.prefix == prefix)
                return f;
        }
        qFatal("no such category");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_app.isValid());
        QString error;
        QVERIFY2(PartsLibrary::write(m_app.path(), &error), qPrintable(error));
        for (const PartsLibrary::Category &c : PartsLibrary::categories()) {
            Folder f{c, {}};
            for (int i = 0; i < c.count(); ++i) {
                const QImage part = Composite::loadPart(m_app.path(), PartsLibrary::entry(c, i));
                QVERIFY2(!part.isNull(), qPrintable(PartsLibrary::entry(c, i)));
                f.parts.append(part.convertToFormat(QImage::Format_ARGB32));
            }
            m_folders.append(f);
        }
    }

    void foldersHoldOnlyTheirPartsInListingOrder()
    {
        QStringList folders;
        for (const Folder &f : std::as_const(m_folders))
            folders << f.category.folder;
        QCOMPARE(folders, (QStringList{u"顔"_s, u"目"_s, u"髪"_s, u"口"_s}));

        for (const Folder &f : std::as_const(m_folders)) {
            QVERIFY2(f.parts.size() >= 16, qPrintable(f.category.folder));
            const QDir dir(m_app.filePath(f.category.folder));
            const QStringList present = dir.entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
            QStringList expected;
            for (int i = 0; i < f.parts.size(); ++i)
                expected << PartsLibrary::fileName(f.category, i);
            QCOMPARE(present.size(), expected.size());
            // The program lists a folder by its upper-cased names; that order
            // has to be the order the parts were designed in.
            QStringList listed = present;
            std::sort(listed.begin(), listed.end(),
                      [](const QString &a, const QString &b) { return a.toUpper() < b.toUpper(); });
            QCOMPARE(listed, expected);
        }
    }

    void partsAreDistinctAndSizedForTheirBoxes()
    {
        const QList<std::pair<QChar, QRect>> boxed = {
            {u'e', Composite::EyesBox}, {u'h', Composite::HairBox}, {u'm', Composite::MouthBox}};
        for (const auto &[prefix, box] : boxed) {
            for (const QImage &part : folder(prefix).parts) {
                QCOMPARE(part.size(), box.size());
                QVERIFY(part.hasAlphaChannel());
                QCOMPARE(qAlpha(part.pixel(0, 0)), 0);
                QCOMPARE(qAlpha(part.pixel(part.width() - 1, part.height() - 1)), 0);
            }
        }
        const QRect surface(0, 0, Composite::SurfaceWidth, Composite::SurfaceHeight);
        for (const QImage &outline : folder(u'f').parts)
            QVERIFY(surface.contains(QRect(Composite::OutlineOrigin, outline.size())));

        for (const Folder &f : std::as_const(m_folders)) {
            for (int i = 0; i < f.parts.size(); ++i) {
                for (int j = i + 1; j < f.parts.size(); ++j)
                    QVERIFY2(f.parts[i] != f.parts[j],
                             qPrintable(u"%1 %2 %3"_s.arg(f.category.folder).arg(i).arg(j)));
            }
        }
    }

    void eyesAndMouthsLieWellInsideEveryOutline()
    {
        const QList<std::pair<QChar, QRect>> features = {{u'e', Composite::EyesBox},
                                                         {u'm', Composite::MouthBox}};
        const QList<QImage> &outlines = folder(u'f').parts;
        for (const auto &[prefix, box] : features) {
            const QList<QImage> &parts = folder(prefix).parts;
            for (int o = 0; o < outlines.size(); ++o) {
                for (int i = 0; i < parts.size(); ++i) {
                    const QImage &part = parts[i];
                    for (int y = 0; y < part.height(); ++y) {
                        for (int x = 0; x < part.width(); ++x) {
                            if (qAlpha(part.pixel(x, y)) == 0)
                                continue;
                            // Some skin must show beyond the feature on either side.
                            const QPoint at = onSurface(box, x, y);
                            const bool inside = skinAt(outlines[o], at + QPoint(-6, 0)) == 255 &&
                                                skinAt(outlines[o], at + QPoint(6, 0)) == 255 &&
                                                skinAt(outlines[o], at + QPoint(0, 6)) == 255;
                            QVERIFY2(inside,
                                     qPrintable(u"%1%2 sticks out of f%3 at %4,%5"_s.arg(prefix)
                                                    .arg(i)
                                                    .arg(o)
                                                    .arg(at.x())
                                                    .arg(at.y())));
                        }
                    }
                }
            }
        }
    }

    void everyChinIsWellBelowEveryMouth()
    {
        int lowestMouth = 0;
        for (const QImage &mouth : folder(u'm').parts) {
            for (int y = 0; y < mouth.height(); ++y) {
                for (int x = 0; x < mouth.width(); ++x) {
                    if (qAlpha(mouth.pixel(x, y)) > 0)
                        lowestMouth = qMax(lowestMouth, onSurface(Composite::MouthBox, x, y).y());
                }
            }
        }
        QVERIFY(lowestMouth > Composite::MouthBox.top());
        for (const QImage &outline : folder(u'f').parts)
            QVERIFY2(chinY(outline) >= lowestMouth + 15,
                     qPrintable(u"chin %1, mouth %2"_s.arg(chinY(outline)).arg(lowestMouth)));
    }

    void eyesAndMouthsAreCentredOnTheFace()
    {
        // The outlines are symmetric about column 120, so must the features be,
        // or every face looks askew.
        const QList<std::pair<QChar, QRect>> features = {{u'e', Composite::EyesBox},
                                                         {u'm', Composite::MouthBox}};
        for (const auto &[prefix, box] : features) {
            const QList<QImage> &parts = folder(prefix).parts;
            for (int i = 0; i < parts.size(); ++i) {
                const auto [left, right] = inkColumns(parts[i], box);
                QVERIFY2(left < 120 && right > 120, qPrintable(u"%1%2"_s.arg(prefix).arg(i)));
                QVERIFY2(
                    qAbs((120 - left) - (right - 120)) <= 4,
                    qPrintable(u"%1%2 spans %3..%4"_s.arg(prefix).arg(i).arg(left).arg(right)));
            }
        }
    }

    void hairNeverCoversTheEyesOrTheLowerFace()
    {
        // The eyes box and the whole column below it down to the hair's edge.
        const QRect bare(Composite::EyesBox.left(), Composite::EyesBox.top(),
                         Composite::EyesBox.width(),
                         Composite::HairBox.bottom() - Composite::EyesBox.top() + 1);
        const QList<QImage> &hairs = folder(u'h').parts;
        for (int h = 0; h < hairs.size(); ++h) {
            for (int y = bare.top(); y <= bare.bottom(); ++y) {
                for (int x = bare.left(); x <= bare.right(); ++x)
                    QVERIFY2(hairAt(hairs[h], {x, y}) == 0,
                             qPrintable(u"h%1 at %2,%3"_s.arg(h).arg(x).arg(y)));
            }
        }
    }

    void hairThatCoversACrownCoversEveryCrown()
    {
        const QList<QImage> &hairs = folder(u'h').parts;
        const QList<QImage> &outlines = folder(u'f').parts;
        QStringList bare;
        int capped = 0;
        for (int h = 0; h < hairs.size(); ++h) {
            // Hair that leaves the top of the head bare has nothing to cover.
            if (hairAt(hairs[h], {120, 40}) < 255)
                continue;
            ++capped;
            for (int o = 0; o < outlines.size(); ++o) {
                int showing = 0;
                for (int y = 0; y < 60; ++y) {
                    for (int x = 0; x < Composite::SurfaceWidth; ++x) {
                        // A parting may bare the middle of the forehead, never
                        // the top of the head or the temples.
                        const bool mustCover = y < 38 || qAbs(x - 120) >= 40;
                        if (mustCover && skinAt(outlines[o], {x, y}) > 0 &&
                            hairAt(hairs[h], {x, y}) < 200)
                            ++showing;
                    }
                }
                if (showing > 0)
                    bare << u"f%1 shows %2 pixels under h%3"_s.arg(o).arg(showing).arg(h);
            }
        }
        QVERIFY2(bare.isEmpty(), qPrintable(bare.join(u"; "_s)));
        QVERIFY(capped >= hairs.size() - 2);
    }

    void hairMeetsTheSideOfEveryHead()
    {
        // At the temples, above the ears, each face's edge is under the hair,
        // so no head shows a strip of white between its hair and its skin.
        const QList<QImage> &hairs = folder(u'h').parts;
        const QList<QImage> &outlines = folder(u'f').parts;
        QStringList gaps;
        for (int h = 0; h < hairs.size(); ++h) {
            for (int o = 0; o < outlines.size(); ++o) {
                for (int y = 70; y <= 92; y += 2) {
                    for (const int direction : {-1, 1}) {
                        const int edge = faceEdge(outlines[o], y, direction);
                        QVERIFY(edge >= 0);
                        if (hairAt(hairs[h], {edge, y}) <= 200)
                            gaps << u"f%1 at %2,%3 under h%4"_s.arg(o).arg(edge).arg(y).arg(h);
                    }
                }
            }
        }
        QVERIFY2(gaps.isEmpty(), qPrintable(gaps.join(u"; "_s)));
    }

    void vectorPartsLookAsTheirPicturesDid_data()
    {
        QTest::addColumn<QList<int>>("face"); // outline, eyes, hair, mouth
        // Each design once, with the clipped shading of the hair, irises,
        // teeth and tongues, and the curls made by joining shapes.
        QTest::newRow("f00 e00 h00 m00") << QList<int>{0, 0, 0, 0};
        QTest::newRow("f02 e01 h08 m07") << QList<int>{2, 1, 8, 7};
        QTest::newRow("f06 e05 h11 m10") << QList<int>{6, 5, 11, 10};
        QTest::newRow("f09 e12 h10 m01") << QList<int>{9, 12, 10, 1};
        QTest::newRow("f13 e13 h03 m05") << QList<int>{13, 13, 3, 5};
        QTest::newRow("f14 e09 h13 m13") << QList<int>{14, 9, 13, 13};
        QTest::newRow("f15 e15 h15 m15") << QList<int>{15, 15, 15, 15};
    }

    void vectorPartsLookAsTheirPicturesDid()
    {
        // The face the program draws from the library at its own size,
        // against the same face from pictures drawn by the same art at the
        // size of each box: the library as it was before it held vectors.
        QFETCH(QList<int>, face);
        const QList<PartsLibrary::Category> &c = PartsLibrary::categories();
        FaceParts parts;
        parts.Outline = PartsLibrary::entry(c[0], face[0]);
        parts.Eyes = PartsLibrary::entry(c[1], face[1]);
        parts.Hair = PartsLibrary::entry(c[2], face[2]);
        parts.Mouth = PartsLibrary::entry(c[3], face[3]);
        const QImage vectors = Composite::picture(Composite::loadLayers(m_app.path(), parts));
        const QImage pictures = Composite::picture(
            {PartsLibrary::raster(c[0], face[0]), PartsLibrary::raster(c[1], face[1]),
             PartsLibrary::raster(c[2], face[2]), PartsLibrary::raster(c[3], face[3])});

        // Antialiasing differs along the edges only; a part misplaced by a
        // pixel or a shading lost differs over whole areas.
        const double mean = meanDifference(vectors, pictures);
        const int stray = pixelsApart(vectors, pictures, 48);
        qInfo("mean difference %.3f, %d pixels far apart", mean, stray);
        // Both faces are left in the temporary folder to be looked at when
        // they differ.
        QString kept;
        if (mean > 0.5 || stray > 20) {
            kept = QDir::temp().filePath(QString::fromLatin1(QTest::currentDataTag()));
            vectors.save(kept + u" vectors.png"_s);
            pictures.save(kept + u" pictures.png"_s);
        }
        QVERIFY2(mean <= 0.5, qPrintable(u"mean difference %1, see %2"_s.arg(mean).arg(kept)));
        QVERIFY2(stray <= 20, qPrintable(u"%1 pixels far apart, see %2"_s.arg(stray).arg(kept)));
    }

    void contactSheetIsTheSameOnEveryRun()
    {
        const QImage first = ContactSheet::draw(m_app.path());
        QVERIFY(!first.isNull());
        QCOMPARE(ContactSheet::draw(m_app.path()), first);
    }

    void writingAgainGivesTheSameFilesAndDropsStaleParts()
    {
        QTemporaryDir again;
        QVERIFY(again.isValid());
        QVERIFY(QDir(again.path()).mkpath(u"顔"_s));
        // A part an earlier library had, one as the library held its parts
        // before they were vectors, and a file that is not one of ours.
        QFile stale(again.filePath(u"顔/f99.svg"_s));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("old");
        stale.close();
        QFile picture(again.filePath(u"顔/f03.png"_s));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write("old");
        picture.close();
        QFile mine(again.filePath(u"顔/mine.png"_s));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("kept");
        mine.close();

        QString error;
        QVERIFY2(PartsLibrary::write(again.path(), &error), qPrintable(error));
        QVERIFY(!QFile::exists(stale.fileName()));
        QVERIFY(!QFile::exists(picture.fileName()));
        QVERIFY(QFile::exists(mine.fileName()));

        for (const Folder &f : std::as_const(m_folders)) {
            for (int i = 0; i < f.parts.size(); ++i) {
                const QString relative =
                    f.category.folder + u'/' + PartsLibrary::fileName(f.category, i);
                const QByteArray first = readAll(m_app.filePath(relative));
                QVERIFY(!first.isEmpty());
                QVERIFY2(first == readAll(again.filePath(relative)), qPrintable(relative));
            }
        }
    }
};

QTEST_MAIN(TestPartsLibrary)
#include "tst_partslibrary.moc"
