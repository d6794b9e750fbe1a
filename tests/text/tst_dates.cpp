#include "text/Dates.h"

#include <QtTest>
#include <limits>

namespace {

QDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

} // namespace

class TestDates : public QObject {
    Q_OBJECT
private slots:
    void parseLenient_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: not a date
        const struct {
            const char* text;
            QDateTime expected;
        } rows[] = {
            {"2024/1/5", At(2024, 1, 5)},
            {"2024/01/05 9:05", At(2024, 1, 5, 9, 5)},
            {"1/5 9:05", At(2024, 1, 5, 9, 5)},
            {"1/5\t9:05:07", At(2024, 1, 5, 9, 5, 7)},
            {"9:05", At(2024, 3, 10, 9, 5)},
            {"2024/2/29", At(2024, 2, 29)},
            {"", {}},
            {"25:00", {}},
            {"2024/2/30", {}},
            {"1/59:05", {}},
            {"1/5 9:05 頃", {}},
        };
        for (const auto& r : rows)
            QTest::newRow(r.text) << QString::fromUtf8(r.text) << r.expected;
    }
    void parseLenient() {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const std::optional<QDateTime> got = Dates::ParseLenient(text, QDate(2024, 3, 10));
        QCOMPARE(got.value_or(QDateTime()), expected);
        QCOMPARE(got.has_value(), expected.isValid());
    }

    void oleKnownValues() {
        const std::pair<QDateTime, double> known[] = {
            {At(1899, 12, 30), 0.0},       {At(1900, 1, 1), 2.0},
            {At(2024, 1, 5, 12), 45296.5}, {At(2000, 2, 29, 6), 36585.25},
            {At(1899, 12, 29, 6), -1.25}, // before the epoch the time still counts up
        };
        for (const auto& [when, ole] : known) {
            QCOMPARE(Dates::ToOle(when), ole);
            QCOMPARE(Dates::FromOle(ole), when);
        }
        QCOMPARE(Dates::ToOle(QDate(2024, 1, 5)), 45296.0);
        QVERIFY(!Dates::FromOle(std::numeric_limits<double>::quiet_NaN()).isValid());
        QVERIFY(!Dates::FromOle(-1e300).isValid());
        QCOMPARE(Dates::DateTimeText(1e300), QString());
        QCOMPARE(Dates::DateTimeText(45296), QStringLiteral("2024/01/05"));
        QCOMPARE(Dates::DateTimeText(45296 + 32703 / 86400.0),
                 QStringLiteral("2024/01/05 9:05:03"));
        QCOMPARE(Dates::DateTimeText(45296 + 1 / 86400.0), QStringLiteral("2024/01/05 0:00:01"));
    }

    // The store compares Posted values for equality, so a time must survive the trip exactly.
    void oleRoundTripWholeSeconds() {
        for (const QDate day : {QDate(2024, 1, 5), QDate(1999, 12, 31), QDate(2038, 1, 19)}) {
            for (int s = 0; s < 86400; s += 7) {
                const QDateTime when(day, QTime(0, 0).addSecs(s), Qt::LocalTime);
                if (Dates::FromOle(Dates::ToOle(when)) != when)
                    QFAIL(qPrintable(when.toString(Qt::ISODate)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestDates)
#include "tst_dates.moc"
