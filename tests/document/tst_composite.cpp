#include "TestUtils.h"
#include "document/Composite.h"
#include "document/FaceCode.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FaceParts)

namespace {
enum class Change { None, Replaced, RewrittenInPlace, Removed, Garbage };
}
Q_DECLARE_METATYPE(Change)

namespace {

QImage render(const SandboxAppDir &app, const FaceParts &files)
{
    QImage surface(Composite::SurfaceWidth, Composite::SurfaceHeight, QImage::Format_RGB32);
    surface.fill(Qt::black);
    QPainter painter(&surface);
    Composite::paint(painter, Composite::loadLayers(app.path(), files));
    return surface;
}

const QString red = u"#ff0000"_s, green = u"#00ff00"_s, blue = u"#0000ff"_s, yellow = u"#ffff00"_s,
              white = u"#ffffff"_s;

} // namespace

class TestComposite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paintsTheLayersInOrderAtTheirBoxes()
    {
        SandboxAppDir app;
        FaceParts files;
        files.Outline = app.addPart(u"顔"_s, u"f.png"_s, {210, 250}, Qt::red);
        // Smaller than its box: scaled up. Larger: scaled down.
        files.Eyes = app.addPart(u"目"_s, u"e.png"_s, {40, 40}, Qt::green);
        files.Hair = app.addHalfTransparentPart(u"髪"_s, u"h.png"_s, {100, 100}, Qt::blue);
        files.Mouth = app.addPart(u"口"_s, u"m.png"_s, {300, 300}, Qt::yellow);
        const QImage s = render(app, files);

        QCOMPARE(rgbName(s, 10, 5), white);   // outside every layer
        QCOMPARE(rgbName(s, 19, 200), white); // left of the outline
        QCOMPARE(rgbName(s, 20, 259), red);   // the outline at its own size
        QCOMPARE(rgbName(s, 229, 259), red);
        QCOMPARE(rgbName(s, 230, 259), white);
        QCOMPARE(rgbName(s, 229, 260), white);
        // Eyes fill 80..159 both ways; the hair's opaque half covers them.
        QCOMPARE(rgbName(s, 150, 80), green);
        QCOMPARE(rgbName(s, 150, 79), red);
        QCOMPARE(rgbName(s, 159, 149), green);
        QCOMPARE(rgbName(s, 160, 149), red);
        QCOMPARE(rgbName(s, 150, 155), yellow); // the mouth lies over the eyes' bottom
        QCOMPARE(rgbName(s, 100, 120), blue);
        // Hair fills 25..224 by 0..199: its left half is opaque.
        QCOMPARE(rgbName(s, 25, 0), blue);
        QCOMPARE(rgbName(s, 24, 0), white);
        QCOMPARE(rgbName(s, 30, 199), blue);
        QCOMPARE(rgbName(s, 30, 200), red);
        QCOMPARE(rgbName(s, 200, 50), red);
        // The mouth, 70..169 by 150..249, lies over everything.
        QCOMPARE(rgbName(s, 70, 150), yellow);
        QCOMPARE(rgbName(s, 100, 190), yellow);
        QCOMPARE(rgbName(s, 169, 249), yellow);
        QCOMPARE(rgbName(s, 170, 249), red);
        QCOMPARE(rgbName(s, 169, 250), red);
        QCOMPARE(rgbName(s, 69, 170), blue);
    }

    void showsLowerLayersThroughTransparency_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("PNG alpha") << u"h.png"_s;
        QTest::newRow("GIF transparent colour") << u"h.gif"_s;
        QTest::newRow("icon mask") << u"h.ico"_s;
    }
    void showsLowerLayersThroughTransparency()
    {
        QFETCH(QString, name);
        SandboxAppDir app;
        FaceParts files;
        files.Outline = app.addPart(u"顔"_s, u"f.png"_s, {229, 255}, Qt::red);
        if (name.endsWith(u".gif"))
            QVERIFY(writeTransparentGif(app.filePath(u"髪/"_s + name), {32, 32}, Qt::blue));
        else
            app.addHalfTransparentPart(u"髪"_s, name, {32, 32}, Qt::blue);
        files.Hair = u"髪\\"_s + name;
        const QImage s = render(app, files);
        QCOMPARE(rgbName(s, 60, 100), blue);
        QCOMPARE(rgbName(s, 190, 100), red);
    }

    void blendsHalfTransparentPixels()
    {
        SandboxAppDir app;
        FaceParts files;
        files.Outline = app.addPart(u"顔"_s, u"f.png"_s, {229, 255}, Qt::red);
        files.Hair = app.addPart(u"髪"_s, u"h.png"_s, {20, 20}, QColor(0, 0, 255, 128));
        const QColor c = render(app, files).pixelColor(100, 100);
        QVERIFY2(qAbs(c.red() - 127) <= 2 && c.green() == 0 && qAbs(c.blue() - 128) <= 2,
                 qPrintable(c.name()));
    }

    void leavesOutLayersItCannotRead()
    {
        SandboxAppDir app;
        FaceParts files;
        files.Outline = app.addPart(u"顔"_s, u"f.png"_s, {229, 255}, Qt::red);
        files.Eyes = u"目\\missing.png"_s;
        QVERIFY(app.writeFile(u"髪/h.png"_s, "not a picture"));
        files.Hair = u"髪\\h.png"_s;
        files.Mouth = app.addPart(u"口"_s, u"m.png"_s, {10, 10}, Qt::yellow);
        const QImage s = render(app, files);
        QCOMPARE(rgbName(s, 120, 120), red);
        QCOMPARE(rgbName(s, 30, 30), red);
        QCOMPARE(rgbName(s, 120, 200), yellow);
    }

    void fillsWhatAPartCutShortLacksWithBlack()
    {
        // A BMP whose last rows, the top of the picture, are missing (a copy
        // broken off) still reads. What it lacks is black, not whatever the
        // memory held before: here, most likely, bytes just freed.
        SandboxAppDir app;
        const QString entry = app.addPart(u"顔"_s, u"f.bmp"_s, {40, 40}, Qt::red);
        QVERIFY(app.writeFile(u"顔/f.bmp"_s, app.readFile(u"顔/f.bmp"_s).chopped(20 * 120)));
        QByteArray freed(100'000, '\x55');
        freed = QByteArray();
        const QImage part = Composite::loadPart(app.path(), entry);
        QCOMPARE(part.pixel(0, 39), qRgb(255, 0, 0));
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x)
                QCOMPARE(part.pixel(x, y), qRgb(0, 0, 0));
        }
    }

    void clearsToWhiteFirst()
    {
        SandboxAppDir app;
        QImage surface(Composite::SurfaceWidth, Composite::SurfaceHeight, QImage::Format_RGB32);
        FaceParts files;
        files.Outline = app.addPart(u"顔"_s, u"f.png"_s, {229, 255}, Qt::red);
        QPainter painter(&surface);
        Composite::paint(painter, Composite::loadLayers(app.path(), files));
        Composite::paint(painter, Composite::loadLayers(app.path(), FaceParts{}));
        painter.end();
        QImage allWhite(surface.size(), QImage::Format_RGB32);
        allWhite.fill(Qt::white);
        QCOMPARE(surface, allWhite);
    }

    void cutsOffAnOversizedOutline()
    {
        SandboxAppDir app;
        FaceParts files;
        files.Outline = app.addPart(u"顔"_s, u"f.png"_s, {400, 400}, Qt::red);
        const QImage s = render(app, files);
        QCOMPARE(s.size(), QSize(249, 265));
        QCOMPARE(rgbName(s, 248, 264), red);
        QCOMPARE(rgbName(s, 19, 264), white);
        QCOMPARE(rgbName(s, 248, 9), white);
    }

    // The entry's own file first, then in another letter case; an entry of
    // the PNG library as it was finds the drawing that replaced it.
    void findsThePartAnEntryNames_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("colour");
        QTest::newRow("another letter case")
            << u"顔\\F00.PNG"_s << QStringList{u"f00.png"_s} << red;
        QTest::newRow("a drawing for a missing picture")
            << u"顔\\f00.png"_s << QStringList{u"f00.svg"_s} << green;
        QTest::newRow("the picture before the drawing")
            << u"顔\\f00.png"_s << QStringList{u"f00.svg"_s, u"F00.png"_s} << red;
        QTest::newRow("no drawing for other formats")
            << u"顔\\f00.bmp"_s << QStringList{u"f00.svg"_s} << white;
    }
    void findsThePartAnEntryNames()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, files);
        SandboxAppDir app;
        for (const QString &name : files) {
            if (name.endsWith(u".svg"))
                app.writeFile(u"顔/"_s + name,
                              "<svg xmlns='http://www.w3.org/2000/svg' width='229' height='255'>"
                              "<rect width='229' height='255' fill='#00ff00'/></svg>");
            else
                app.addPart(u"顔"_s, name, {229, 255}, Qt::red);
        }
        FaceParts parts;
        parts.Outline = entry;
        QTEST(rgbName(render(app, parts), 100, 100), "colour");
    }

    // A drawing is drawn at the pixels its box covers on the device, at every
    // density a screen has; a picture of pixels is stretched as it is.
    void drawsDrawingsAtTheDevicesResolution_data()
    {
        QTest::addColumn<qreal>("ratio");
        for (const qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0})
            QTest::addRow("%g", ratio) << ratio;
    }
    void drawsDrawingsAtTheDevicesResolution()
    {
        QFETCH(qreal, ratio);
        SandboxAppDir app;
        FaceParts files;
        files.Outline = app.addDrawing(u"顔"_s, u"f.svg"_s, {200, 240}, Qt::red);
        files.Eyes = app.addDrawing(u"目"_s, u"e.svg"_s, {40, 40}, Qt::green); // stretched
        files.Hair = app.addDrawing(u"髪"_s, u"h.svg"_s, {200, 200}, Qt::blue);
        files.Mouth = app.addHalfTransparentPart(u"口"_s, u"m.png"_s, {20, 20}, Qt::yellow);
        const Composite::Layers layers = Composite::loadLayers(app.path(), files);
        const QSize pixels(qRound(Composite::SurfaceWidth * ratio),
                           qRound(Composite::SurfaceHeight * ratio));
        QImage surface(pixels, QImage::Format_RGB32);
        surface.setDevicePixelRatio(ratio);
        {
            QPainter painter(&surface);
            Composite::paint(painter, layers);
        }
        surface.setDevicePixelRatio(1);

        // What the face is at that density: each drawing rendered straight
        // into its box's pixels, the picture stretched over its box.
        QImage expected(pixels, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const auto scaled = [&](const QRect &box) {
            return QRectF(box.topLeft() * ratio, box.size() * ratio);
        };
        const auto draw = [&](const QByteArray &svg, const QRect &box) {
            QSvgRenderer(svg).render(&painter, scaled(box));
        };
        draw(drawingSvg({200, 240}, Qt::red), QRect(Composite::OutlineOrigin, QSize(200, 240)));
        draw(drawingSvg({40, 40}, Qt::green), Composite::EyesBox);
        draw(drawingSvg({200, 200}, Qt::blue), Composite::HairBox);
        painter.drawImage(scaled(Composite::MouthBox), QImage(app.filePath(u"口/m.png"_s)));
        painter.end();
        const double difference = meanDifference(surface, expected);
        QVERIFY2(difference < 0.1, qPrintable(QString::number(difference)));
        // Not the face at 1x enlarged, whose edges are soft.
        if (ratio > 1) {
            const QImage enlarged = Composite::picture(layers).scaled(pixels, Qt::IgnoreAspectRatio,
                                                                      Qt::SmoothTransformation);
            QVERIFY2(meanDifference(surface, enlarged) > 3 * difference,
                     qPrintable(QString::number(meanDifference(surface, enlarged))));
        }
        // The eyes' edge, at 112.2 of the surface, softens one pixel at most.
        QVERIFY(softPixels(surface, QPointF(107 * ratio, 120 * ratio).toPoint(), int(10 * ratio)) <=
                1);
    }

    // A face file from elsewhere can name anything; parts are read only from
    // regular files inside the application folder, by their real path, and
    // nothing blocks. An SVG part reads no other file.
    void readsPartsOnlyFromRegularFilesInsideTheLibrary_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("a fifo in the part folder") << u"口\\fifo"_s;
        QTest::newRow("a fifo named in another letter case") << u"口\\FIFO"_s;
        QTest::newRow("a link to a fifo") << u"口\\link"_s;
        QTest::newRow("a fifo outside") << u"口\\..\\..\\fifo"_s;
        QTest::newRow("a picture outside") << u"口\\..\\..\\red.png"_s;
        QTest::newRow("a picture outside through a folder that is a link") << u"髪\\..\\red.png"_s;
        QTest::newRow("an SVG drawing a picture outside") << u"口\\image.svg"_s;
    }
    void readsPartsOnlyFromRegularFilesInsideTheLibrary()
    {
        QFETCH(QString, entry);
        QTemporaryDir root;
        const QString app = root.filePath(u"app"_s);
        QVERIFY(QDir().mkpath(app + u"/口"_s));
        for (const QString &fifo : {app + u"/口/fifo"_s, root.filePath(u"fifo"_s)})
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
        QVERIFY(QFile::link(app + u"/口/fifo"_s, app + u"/口/link"_s));
        // 髪 leads to a folder outside, beside red.png.
        QVERIFY(QDir().mkpath(root.filePath(u"elsewhere/hair"_s)));
        QVERIFY(QFile::link(root.filePath(u"elsewhere/hair"_s), app + u"/髪"_s));
        QImage red(10, 10, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(root.filePath(u"red.png"_s)));
        QVERIFY(red.save(root.filePath(u"elsewhere/red.png"_s)));
        QFile svg(app + u"/口/image.svg"_s);
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write("<svg xmlns='http://www.w3.org/2000/svg' "
                  "xmlns:xlink='http://www.w3.org/1999/xlink' width='10' height='10'><image "
                  "width='10' height='10' xlink:href='" +
                  QFile::encodeName(root.filePath(u"red.png"_s)) + "'/></svg>");
        svg.close();
        // The same picture inside is read, so the entry's form is not at fault.
        QVERIFY(red.save(app + u"/口/red.png"_s));
        QVERIFY(!Composite::loadPart(app, u"口\\red.png"_s).isNull());
        // So is a part inside a category folder that is a link, as an
        // installed library's folders are links into /usr/share.
        QVERIFY(red.save(root.filePath(u"elsewhere/hair/red.png"_s)));
        QVERIFY(!Composite::loadPart(app, u"髪\\red.png"_s).isNull());

        QVERIFY(Composite::loadPart(app, entry).isNull());
    }

    // Pictures decoded once are drawn again while their files stay as they
    // were; each change below alters one thing the system says of the file
    // (inode, modification time, size) and leaves the others as they were.
    void redrawsThePartFileAsItIsNow_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("colour");
        QTest::newRow("unchanged") << Change::None << red;
        QTest::newRow("another file of the same size and time renamed over it")
            << Change::Replaced << green;
        QTest::newRow("rewritten in place, a nanosecond later")
            << Change::RewrittenInPlace << green;
        QTest::newRow("removed") << Change::Removed << white;
        QTest::newRow("garbage written in place, the time set back") << Change::Garbage << white;
    }
    void redrawsThePartFileAsItIsNow()
    {
        QFETCH(Change, change);
        SandboxAppDir app;
        const QString path = app.filePath(u"顔/f.bmp"_s);
        const QString other = app.filePath(u"顔/other.bmp"_s);
        // BMP files of one size have one length whatever their colour.
        const auto write = [](const QString &to, QColor colour) {
            QImage image(20, 20, QImage::Format_RGB32);
            image.fill(colour);
            return image.save(to, "BMP");
        };
        // Long ago, so that nothing counts as just written.
        const auto setTime = [](const QString &file, long nanoseconds) {
            const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, nanoseconds}};
            return ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0) == 0;
        };
        QVERIFY(write(path, Qt::red) && setTime(path, 0));
        FaceParts files;
        files.Outline = u"顔\\f.bmp"_s;
        QCOMPARE(rgbName(render(app, files), 25, 15), red);
        struct stat before, after;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);

        switch (change) {
        case Change::None:
            break;
        case Change::Replaced:
            QVERIFY(write(other, Qt::green) && setTime(other, 0));
            QCOMPARE(std::rename(QFile::encodeName(other).constData(),
                                 QFile::encodeName(path).constData()),
                     0);
            break;
        case Change::RewrittenInPlace:
            QVERIFY(write(path, Qt::green) && setTime(path, 1));
            break;
        case Change::Removed:
            QVERIFY(QFile::remove(path));
            break;
        case Change::Garbage:
            QVERIFY(app.writeFile(u"顔/f.bmp"_s, "not a picture") && setTime(path, 0));
            break;
        }
        if (change != Change::Removed) {
            QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
            QCOMPARE(after.st_ino != before.st_ino, change == Change::Replaced);
            QCOMPARE(after.st_mtim.tv_nsec != before.st_mtim.tv_nsec,
                     change == Change::RewrittenInPlace);
            QCOMPARE(after.st_size != before.st_size, change == Change::Garbage);
        }
        QTEST(rgbName(render(app, files), 25, 15), "colour");
    }

    void composesTheFaceCode_data()
    {
        QTest::addColumn<FaceParts>("codes");
        QTest::addColumn<QString>("label");
        // Record order: outline, mouth, hair, eyes; the code takes outline,
        // eyes, hair, mouth.
        QTest::newRow("all four") << FaceParts{u"03"_s, u"01"_s, u"07"_s, u"12"_s}
                                  << u"403120701"_s;
        QTest::newRow("none") << FaceParts{} << u"0004"_s;
        QTest::newRow("outline only") << FaceParts{u"03"_s, {}, {}, {}} << u"0403"_s;
        QTest::newRow("hair only") << FaceParts{{}, {}, u"05"_s, {}} << u"0405"_s;
        QTest::newRow("three-digit code")
            << FaceParts{u"100"_s, u"01"_s, u"07"_s, u"12"_s} << u"4100120701"_s;
        QTest::newRow("codes longer than any number type")
            << FaceParts{QString(40, u'9'), {}, {}, {}} << u'4' + QString(40, u'9');
        QTest::newRow("not digits, shown as they stand")
            << FaceParts{u"x1"_s, {}, u" 2"_s, {}} << u"4x1 2"_s;
    }
    void composesTheFaceCode()
    {
        QFETCH(FaceParts, codes);
        QTEST(FaceCode::compose(codes), "label");
    }
};

QTEST_MAIN(TestComposite)
#include "tst_composite.moc"
