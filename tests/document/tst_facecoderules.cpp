#include "document/FaceCodeRules.h"

#include <QList>
#include <QTest>

#include <climits>

using namespace Qt::StringLiterals;

namespace {
// Stands for "the picker keeps its position" in the tables below.
constexpr int Keeps = -1;

int orKeeps(std::optional<int> position)
{
    return position.value_or(Keeps);
}
} // namespace

class TestFaceCodeRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsTheFourFields_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("full code")
            << u"403120004"_s << QStringList{u"03"_s, u"12"_s, u"00"_s, u"04"_s};
        QTest::newRow("first character not read")
            << u"x0a1b2c3d"_s << QStringList{u"0a"_s, u"1b"_s, u"2c"_s, u"3d"_s};
        QTest::newRow("past the ninth ignored")
            << u"40102030499"_s << QStringList{u"01"_s, u"02"_s, u"03"_s, u"04"_s};
        QTest::newRow("short") << u"4031"_s << QStringList{u"03"_s, u"1"_s, u""_s, u""_s};
        QTest::newRow("empty") << QString() << QStringList{u""_s, u""_s, u""_s, u""_s};
    }
    void splitsTheFourFields()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, fields);
        const FaceParts split = FaceCodeRules::splitFields(answer);
        QCOMPARE((QStringList{split.Outline, split.Eyes, split.Hair, split.Mouth}), fields);
    }

    void readsAFieldAsANumber_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("number");
        const auto row = [](const QString &field, int number) {
            QTest::addRow("\"%s\"", qUtf8Printable(field)) << field << number;
        };
        row(u"07"_s, 7);
        row(u" 7"_s, 7);
        row(u"\t 12"_s, 12);
        row(u"7x"_s, 7);
        row(u"x7"_s, 0);
        row(u""_s, 0);
        row(u"-3"_s, -3);
        row(u"+4"_s, 4);
        row(u"- 4"_s, 0);
        row(u"--1"_s, 0);
        row(u"+"_s, 0);
        row(u"."_s, 0);
        row(u"7."_s, 7);
        row(u"1.2.3"_s, 1);
        row(u"1,5"_s, 1);
        row(u"1e3"_s, 1);
        row(u".9"_s, 1);
        row(u".5"_s, 0);
        row(u"2.5"_s, 2);
        row(u"3.5"_s, 4);
        row(u"-2.5"_s, -2);
        row(u"-3.5"_s, -4);
        row(u"-.6"_s, -1);
        row(u"2.50"_s, 2);
        row(u"2.501"_s, 3);
        row(u"2.49"_s, 2);
        row(u"１２"_s, 0);
        row(u"　7"_s, 0);
        row(u"2147483647"_s, INT_MAX);
        row(u"2147483646.5"_s, 2147483646);
        row(u"2147483647.9"_s, INT_MAX);
        row(u"99999999999999999999999"_s, INT_MAX);
        row(u"-2147483648"_s, -INT_MAX);
        row(u"-99999999999999999999999.5"_s, -INT_MAX);
    }
    void readsAFieldAsANumber()
    {
        QFETCH(QString, field);
        QFETCH(int, number);
        QCOMPARE(FaceCodeRules::fieldNumber(field), number);
    }

    void findsThePickerPosition_data()
    {
        QTest::addColumn<int>("v");
        QTest::addColumn<int>("highest");
        QTest::addColumn<int>("position");
        QTest::newRow("in range") << 3 << 20 << 3;
        QTest::newRow("highest itself") << 20 << 20 << 20;
        QTest::newRow("one past: quotient 1") << 21 << 20 << 1;
        QTest::newRow("57 / 20 is 2, not the remainder") << 57 << 20 << 2;
        QTest::newRow("99 / 20") << 99 << 20 << 4;
        QTest::newRow("quotient still too big") << 99 << 7 << Keeps;
        QTest::newRow("divided once only") << 99 << 4 << Keeps;
        QTest::newRow("negative") << -1 << 20 << Keeps;
        QTest::newRow("one part, 0") << 0 << 0 << 0;
        QTest::newRow("one part, other number") << 5 << 0 << Keeps;
        QTest::newRow("two parts, 2 / 1 too big") << 2 << 1 << Keeps;
        QTest::newRow("empty, 0") << 0 << -1 << Keeps;
        QTest::newRow("empty, positive") << 5 << -1 << Keeps;
        QTest::newRow("empty, most negative") << -INT_MAX << -1 << Keeps;
        QTest::newRow("largest number") << INT_MAX << 29 << Keeps;
    }
    void findsThePickerPosition()
    {
        QFETCH(int, v);
        QFETCH(int, highest);
        QFETCH(int, position);
        QCOMPARE(orKeeps(FaceCodeRules::targetPosition(v, highest)), position);
    }

    // Pickers of 21, 30, 8 and 5 parts.
    void entersAWholeCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QList<int>>("positions");
        QTest::newRow("all nines") << u"499999999"_s << QList<int>{4, 3, Keeps, Keeps};
        QTest::newRow("in range") << u"403120004"_s << QList<int>{3, 12, 0, 4};
        QTest::newRow("short code") << u"40512"_s << QList<int>{5, 12, 0, 0};
    }
    void entersAWholeCode()
    {
        QFETCH(QString, code);
        QFETCH(QList<int>, positions);
        const FaceParts fields = FaceCodeRules::splitFields(code);
        const QStringList texts{fields.Outline, fields.Eyes, fields.Hair, fields.Mouth};
        const QList<int> highest{20, 29, 7, 4};
        QList<int> got;
        for (int i = 0; i < 4; ++i) {
            got << orKeeps(
                FaceCodeRules::targetPosition(FaceCodeRules::fieldNumber(texts[i]), highest[i]));
        }
        QCOMPARE(got, positions);
    }
};

QTEST_APPLESS_MAIN(TestFaceCodeRules)
#include "tst_facecoderules.moc"
