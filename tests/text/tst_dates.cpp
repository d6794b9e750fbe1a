#include "text/Dates.h"

#include <QtTest>
#include <cmath>
#include <limits>

class TestDates : public QObject {
    Q_OBJECT
private slots:
    void parseLenient_data();
    void parseLenient();
    void oleKnownValues_data();
    void oleKnownValues();
    void oleRoundTripWholeSeconds();
    void oleOutOfRange();
    void dateTimeText_data();
    void dateTimeText();
};

void TestDates::parseLenient_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // invalid: not a date

    const QDate today(2024, 3, 10);
    auto at = [](int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
    };
    QTest::newRow("y/m/d") << "2024/1/5" << at(2024, 1, 5);
    QTest::newRow("padded") << "2024/01/05" << at(2024, 1, 5);
    QTest::newRow("y/m/d time") << "2024/01/05 9:05" << at(2024, 1, 5, 9, 5);
    QTest::newRow("y/m/d time seconds") << "2024/1/5 23:59:58" << at(2024, 1, 5, 23, 59, 58);
    QTest::newRow("midnight spelled short") << "2024/1/5 0:0:0" << at(2024, 1, 5);
    QTest::newRow("m/d time") << "1/5 9:05" << at(2024, 1, 5, 9, 5);
    QTest::newRow("m/d many blanks") << "1/5     9:05" << at(2024, 1, 5, 9, 5);
    QTest::newRow("m/d tab") << "1/5\t9:05:07" << at(2024, 1, 5, 9, 5, 7);
    QTest::newRow("m/d alone") << "12/31" << at(2024, 12, 31);
    QTest::newRow("surrounding blanks") << "  1/5 9:05  " << at(2024, 1, 5, 9, 5);
    QTest::newRow("time alone") << "9:05" << at(2024, 3, 10, 9, 5);
    QTest::newRow("time alone seconds") << "15:30:01" << at(2024, 3, 10, 15, 30, 1);
    QTest::newRow("leap day") << "2024/2/29" << at(2024, 2, 29);

    QTest::newRow("empty") << "" << QDateTime();
    QTest::newRow("blanks") << "   " << QDateTime();
    QTest::newRow("letters") << "abc" << QDateTime();
    QTest::newRow("bad month and day") << "13/40" << QDateTime();
    QTest::newRow("bad hour") << "25:00" << QDateTime();
    QTest::newRow("bad minute") << "9:60" << QDateTime();
    QTest::newRow("no such day") << "2024/2/30" << QDateTime();
    QTest::newRow("no leap day") << "2023/2/29" << QDateTime();
    QTest::newRow("date glued to time") << "1/59:05" << QDateTime();
    QTest::newRow("trailing text") << "1/5 9:05 頃" << QDateTime();
    QTest::newRow("number alone") << "2024" << QDateTime();
}

void TestDates::parseLenient() {
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> got = Dates::ParseLenient(text, QDate(2024, 3, 10));
    if (!expected.isValid()) {
        QVERIFY2(!got, qPrintable(got ? got->toString(Qt::ISODate) : QString()));
        return;
    }
    QVERIFY(got);
    QCOMPARE(*got, expected);
}

void TestDates::oleKnownValues_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<double>("ole");
    auto at = [](int y, int mo, int d, int h = 0, int mi = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::LocalTime);
    };
    QTest::newRow("epoch") << at(1899, 12, 30) << 0.0;
    QTest::newRow("1900-01-01") << at(1900, 1, 1) << 2.0;
    QTest::newRow("noon") << at(2024, 1, 5, 12) << 45296.5;
    QTest::newRow("6 in the morning") << at(2000, 2, 29, 6) << 36585.25;
    QTest::newRow("before the epoch") << at(1899, 12, 29, 6) << -1.25;
}

void TestDates::oleKnownValues() {
    QFETCH(QDateTime, when);
    QFETCH(double, ole);
    QCOMPARE(Dates::ToOle(when), ole);
    QCOMPARE(Dates::FromOle(ole), when);
    if (when.time() == QTime(0, 0))
        QCOMPARE(Dates::ToOle(when.date()), ole);
}

// The store compares Posted values for equality, so a time must survive the trip exactly.
void TestDates::oleRoundTripWholeSeconds() {
    for (const QDate day : {QDate(2024, 1, 5), QDate(1999, 12, 31), QDate(2038, 1, 19)}) {
        for (int s = 0; s < 86400; s += 7) {
            const QDateTime when(day, QTime(0, 0).addSecs(s), Qt::LocalTime);
            const QDateTime back = Dates::FromOle(Dates::ToOle(when));
            if (back != when)
                QFAIL(qPrintable(when.toString(Qt::ISODate) + " came back as " +
                                 back.toString(Qt::ISODateWithMs)));
        }
    }
}

void TestDates::oleOutOfRange() {
    QVERIFY(!Dates::FromOle(std::numeric_limits<double>::quiet_NaN()).isValid());
    QVERIFY(!Dates::FromOle(std::numeric_limits<double>::infinity()).isValid());
    QVERIFY(!Dates::FromOle(1e300).isValid());
    QVERIFY(!Dates::FromOle(-1e300).isValid());
    QCOMPARE(Dates::DateTimeText(1e300), QString());
    QCOMPARE(Dates::ToOle(QDateTime()), 0.0);
}

void TestDates::dateTimeText_data() {
    QTest::addColumn<double>("ole");
    QTest::addColumn<QString>("expected");
    const double day = 45296; // 2024-01-05
    QTest::newRow("midnight") << day << "2024/01/05";
    QTest::newRow("noon") << day + 0.5 << "2024/01/05 12:00:00";
    QTest::newRow("single-digit hour")
        << day + (9 * 3600 + 5 * 60 + 3) / 86400.0 << "2024/01/05 9:05:03";
    QTest::newRow("one second past midnight") << day + 1 / 86400.0 << "2024/01/05 0:00:01";
    QTest::newRow("last second") << day + 86399 / 86400.0 << "2024/01/05 23:59:59";
}

void TestDates::dateTimeText() {
    QFETCH(double, ole);
    QFETCH(QString, expected);
    QCOMPARE(Dates::DateTimeText(ole), expected);
    QCOMPARE(Dates::ShortDate(Dates::FromOle(ole).date()), expected.left(10));
}

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
