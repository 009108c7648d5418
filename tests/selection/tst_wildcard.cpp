#include "selection/Wildcard.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestWildcard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesAsAWindowsFolderSearch_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QStringList>("left");
        const QStringList all{u"a.b.png"_s, u"foo"_s,    u"foo.bar"_s,  u"h.png"_s,
                              u"h01.png"_s, u"h1.png"_s, u"h12.gif"_s,  u"h123.png"_s,
                              u"H22.PNG"_s, u"noext"_s,  u"x.png.bak"_s};
        QTest::newRow("*.* takes every name") << u"*.*"_s << all << QStringList{};
        QTest::newRow("* takes every name") << u"*"_s << all << QStringList{};
        QTest::newRow("*.png: the last extension, any case")
            << u"*.png"_s << QStringList{u"a.b.png"_s, u"h.png"_s,    u"h01.png"_s,
                                         u"h1.png"_s,  u"h123.png"_s, u"H22.PNG"_s}
            << QStringList{u"x.png.bak"_s, u"h12.gif"_s, u"noext"_s, u"png"_s};
        QTest::newRow("h??.png: ? may take nothing before the dot")
            << u"h??.png"_s << QStringList{u"h.png"_s, u"h01.png"_s, u"h1.png"_s, u"H22.PNG"_s}
            << QStringList{u"h123.png"_s, u"h..png"_s, u"h12.gif"_s};
        QTest::newRow("? in the middle takes exactly one")
            << u"h?1.png"_s << QStringList{u"h01.png"_s} << QStringList{u"h1.png"_s, u"h.1.png"_s};
        QTest::newRow("? at the end may take nothing")
            << u"ab?"_s << QStringList{u"ab"_s, u"abc"_s} << QStringList{u"abcd"_s, u"ab.c"_s};
        QTest::newRow("h*") << u"h*"_s
                            << QStringList{u"h.png"_s, u"h01.png"_s, u"H22.PNG"_s, u"h"_s}
                            << QStringList{u"noext"_s, u"xh"_s};
        QTest::newRow("*. takes names without a dot")
            << u"*."_s << QStringList{u"foo"_s, u"noext"_s}
            << QStringList{u"foo.bar"_s, u"a.b.png"_s};
        QTest::newRow("foo.* takes foo too") << u"foo.*"_s << QStringList{u"foo"_s, u"foo.bar"_s}
                                             << QStringList{u"foobar"_s, u"fo"_s};
        QTest::newRow("*.bak") << u"*.bak"_s << QStringList{u"x.png.bak"_s}
                               << QStringList{u"x.bak.png"_s};
        QTest::newRow("no wildcard: the equal name in any case")
            << u"NOEXT"_s << QStringList{u"noext"_s, u"NoExt"_s}
            << QStringList{u"noext2"_s, u"noex"_s, u"noext."_s};
        QTest::newRow("a dot inside stays a dot")
            << u"a.b"_s << QStringList{u"A.B"_s} << QStringList{u"ab"_s, u"axb"_s};
        // Letters beyond ASCII compare as capitals one unit to one unit, so
        // ß takes neither SS nor its own capital.
        QTest::newRow("capitals beyond ASCII")
            << u"é*ß"_s << QStringList{u"É-ß"_s, u"éß"_s} << QStringList{u"éSS"_s, u"éẞ"_s};
        QTest::newRow("* in the middle reaches past dots")
            << u"a*z.png"_s << QStringList{u"a.b.z.png"_s, u"az.png"_s}
            << QStringList{u"a.z.png.x"_s};
    }
    void matchesAsAWindowsFolderSearch()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, taken);
        QFETCH(QStringList, left);
        const Wildcard wildcard(pattern);
        for (const QString &name : taken)
            QVERIFY2(wildcard.matches(name), qPrintable(name));
        for (const QString &name : left)
            QVERIFY2(!wildcard.matches(name), qPrintable(name));
    }
};

QTEST_APPLESS_MAIN(TestWildcard)
#include "tst_wildcard.moc"
