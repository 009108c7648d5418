#include "TestUtils.h"
#include "tools/partsgen/SvgDrawing.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Painting = std::function<void(QPainter &)>;

constexpr QSize Size(60, 40);

// The painting on a white picture `scale` times the drawing's size.
QImage onPicture(const Painting &paint, int scale)
{
    QImage image(Size * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    paint(p);
    return image;
}

// The document drawn back by Qt SVG on a white picture of the same size.
QImage drawnBack(const QByteArray &document, int scale)
{
    QImage image(Size * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QSvgRenderer renderer(document);
    QPainter p(&image);
    renderer.render(&p);
    return image;
}

} // namespace

class TestSvgDrawing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawsBackAsPaintedAtAnySize_data()
    {
        QTest::addColumn<Painting>("paint");
        QTest::addColumn<bool>("writable");
        QTest::newRow("clipped gradient, clip restored") << Painting([](QPainter &p) {
            QPainterPath oval;
            oval.addEllipse(QRectF(5, 5, 30, 25));
            p.save();
            p.setClipPath(oval);
            QRadialGradient g(QPointF(20, 15), 15);
            g.setColorAt(0, Qt::yellow);
            g.setColorAt(1, Qt::darkGreen);
            p.fillRect(QRectF(0, 0, 60, 40), g);
            p.setPen(QPen(Qt::blue, 3));
            p.drawLine(QPointF(0, 0), QPointF(40, 40));
            p.restore();
            p.setPen(QPen(Qt::red, 2));
            p.drawLine(QPointF(40, 5), QPointF(58, 35));
        }) << true;
        QTest::newRow("dashes under a shear") << Painting([](QPainter &p) {
            p.setTransform(QTransform().shear(0.5, 0.1), true);
            QPen pen(Qt::black, 3, Qt::DashLine, Qt::FlatCap);
            p.setPen(pen);
            QPainterPath curve(QPointF(2, 5));
            curve.cubicTo(20, 40, 30, -10, 40, 30);
            p.drawPath(curve);
        }) << true;
        QTest::newRow("turned, mirrored and translucent") << Painting([](QPainter &p) {
            p.translate(30, 20);
            p.rotate(30);
            p.scale(-1.5, 1.5);
            p.setOpacity(0.6);
            p.setPen(QPen(QColor(0, 0, 255, 160), 2, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
            p.setBrush(QColor(255, 0, 0, 128));
            p.drawRoundedRect(QRectF(-12, -8, 24, 16), 4, 4);
            const QPointF zigzag[] = {{-15, 10}, {-5, 4}, {5, 10}, {15, 4}};
            p.drawPolyline(zigzag, 4);
        }) << true;
        QTest::newRow("a picture") << Painting([](QPainter &p) {
            QImage dot(4, 4, QImage::Format_RGB32);
            dot.fill(Qt::red);
            p.drawImage(QPointF(10, 10), dot);
        }) << false;
    }

    void drawsBackAsPaintedAtAnySize()
    {
        QFETCH(Painting, paint);
        QFETCH(bool, writable);
        SvgDrawing drawing(Size);
        {
            QPainter p(&drawing);
            p.setRenderHint(QPainter::Antialiasing);
            paint(p);
        }
        const QByteArray document = drawing.document();
        QCOMPARE(!document.isEmpty(), writable);
        if (!writable)
            return;
        QCOMPARE(QSvgRenderer(document).defaultSize(), Size);
        // At three times its size it is drawn anew, not enlarged.
        for (const int scale : {1, 3}) {
            const QImage painted = onPicture(paint, scale);
            const QImage back = drawnBack(document, scale);
            const double mean = meanDifference(painted, back);
            const int apart = pixelsApart(painted, back, 64);
            QVERIFY2(mean < 1.5 && apart <= 16 * scale,
                     qPrintable(u"at %1x: mean difference %2, %3 pixels apart\n%4"_s.arg(scale)
                                    .arg(mean)
                                    .arg(apart)
                                    .arg(QString::fromUtf8(document))));
        }
    }
};

QTEST_MAIN(TestSvgDrawing)
#include "tst_svgdrawing.moc"
