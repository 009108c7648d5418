// The picture cache as a batch's drawing threads share it.
#include "platform/PictureCache.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

class TestPictureCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void concurrentReads_data();
    void concurrentReads();
};

void TestPictureCache::concurrentReads_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("two threads") << 2;
    QTest::newRow("eight threads") << 8;
}

void TestPictureCache::concurrentReads()
{
    QFETCH(int, threads);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.png"));
    QImage large(3000, 3000, QImage::Format_ARGB32);
    large.fill(QColor(255, 0, 0, 128));
    QVERIFY(large.save(path, "PNG"));
    // Settled long ago: the first picture decoded is kept for the others.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                             QFileDevice::FileModificationTime));
    file.close();

    // Every thread asks at once, while the first is still decoding: one
    // picture is decoded, and every thread has that very one.
    PictureCache cache;
    std::vector<QImage> read(static_cast<size_t>(threads));
    std::atomic<int> started{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < threads; ++i) {
        readers.emplace_back([&, i] {
            ++started;
            while (started < threads) {
            }
            read[size_t(i)] = cache.read(path);
        });
    }
    for (std::thread &reader : readers)
        reader.join();
    for (const QImage &image : std::as_const(read)) {
        QCOMPARE(image.size(), QSize(3000, 3000));
        QCOMPARE(image.constBits(), read.front().constBits());
    }
}

QTEST_GUILESS_MAIN(TestPictureCache)
#include "tst_picturecache.moc"
