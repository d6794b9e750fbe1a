// The search across stored days: a folder of generated day files, one of them damaged and one
// written by the old program in Shift_JIS, searched in place and on a thread of its own.

#include "FileBytes.h"
#include "news/DayFile.h"
#include "present/DaySearch.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>

using Present::DayHit;
using Present::DaySearchOutcome;

namespace {

double Ole(const QDate& day, int hour, int minute = 0) {
    return QDate(1899, 12, 30).daysTo(day) + (hour * 60 + minute) / 1440.0;
}

News::NewsItem Item(double posted, const QString& source, const QString& category,
                    const QString& title) {
    News::NewsItem item;
    item.Posted = posted;
    item.Source = source;
    item.Category = category;
    item.Title = title;
    item.Url = QStringLiteral("http://127.0.0.1/") + QString::number(posted, 'f', 6);
    return item;
}

// One record with raw text bytes, as the Windows program wrote them.
QByteArray LegacyFile(double posted, const QByteArray& source, const QByteArray& category,
                      const QByteArray& title) {
    QByteArray out;
    auto le = [&](auto value) {
        char buffer[sizeof(value)];
        qToLittleEndian(value, buffer);
        out.append(buffer, sizeof(value));
    };
    auto text = [&](const QByteArray& raw) {
        le(quint16(raw.size()));
        out.append(raw);
    };
    le(qint32(1));
    le(posted);
    text(source);
    text(category);
    text(title);
    text("http://127.0.0.1/legacy");
    le(qint32(0));
    text("");
    text("");
    le(qint16(0));
    le(qint16(0));
    text("");
    le(qint16(-1));
    le(qint16(0));
    return out;
}

QStringList Titles(const QList<DayHit>& hits) {
    QStringList titles;
    for (const DayHit& hit : hits)
        titles << hit.item.Title;
    return titles;
}

} // namespace

class TestDaySearch : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    const QDate d1{2024, 3, 4}, d2{2024, 3, 5}, d3{2024, 3, 6}, d4{2024, 3, 7}, d5{2024, 3, 8};

    QString PathOf(const QDate& day) const {
        return dir_.path() + u'/' + day.toString(QStringLiteral("yyyyMMdd")) +
               QStringLiteral(".DAT");
    }
    void Write(const QDate& day, const QList<News::NewsItem>& newestFirst) {
        WriteBytes(PathOf(day), News::EncodeDayFile(newestFirst));
    }
    QList<QDate> AllDays() const { return {d1, d2, d3, d4, d5}; }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write(d1, {Item(Ole(d1, 15), "ロイター", "[為替]", "日銀、円安を注視"),
                   Item(Ole(d1, 9), "ロイター", "[株式]", "日経平均は続伸")});
        // The evening before carried over midnight: the same headline is in both files.
        Write(d2, {Item(Ole(d2, 10), "適時開示情報", "トヨタ(72030)", "決算短信"),
                   Item(Ole(d1, 15), "ロイター", "[為替]", "日銀、円安を注視")});
        // Cut short: skipped with a note.
        WriteBytes(
            PathOf(d3),
            News::EncodeDayFile({Item(Ole(d3, 11), "ロイター", "", "日銀総裁会見")}).chopped(5));
        // 日銀が利上げ / ソニー in Shift_JIS; the second byte of "ソ" is a backslash.
        WriteBytes(PathOf(d4), LegacyFile(Ole(d4, 13), "\x83\x8d\x83\x43\x83\x5e\x81\x5b",
                                          "\x83\x5c\x83\x6a\x81\x5b",
                                          "\x93\xfa\x8b\xe2\x82\xaa\x97\x98\x8f\xe3\x82\xb0"));
        Write(d5, {Item(Ole(d5, 16), "ブルームバーグ", "[為替]", "円、ドルに対し反発"),
                   Item(Ole(d5, 8), "時事", "[政治]", "日銀人事案を提示")});
    }

    void hitsAcrossDays_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("a word, newest first, once each")
            << "日銀" << QStringList{"日銀人事案を提示", "日銀が利上げ", "日銀、円安を注視"};
        QTest::newRow("and") << "日銀 & 為替" << QStringList{"日銀、円安を注視"};
        QTest::newRow("or with brackets")
            << "(円|ドル) & ブルームバーグ" << QStringList{"円、ドルに対し反発"};
        QTest::newRow("category of the old encoding") << "ソニー" << QStringList{"日銀が利上げ"};
        QTest::newRow("source") << "適時開示" << QStringList{"決算短信"};
        QTest::newRow("category") << "トヨタ" << QStringList{"決算短信"};
        QTest::newRow("nothing") << "任天堂" << QStringList{};
        QTest::newRow("unbalanced bracket finds nothing") << "(日銀" << QStringList{};
    }
    void hitsAcrossDays() {
        QFETCH(QString, expression);
        QFETCH(QStringList, titles);
        const DaySearchOutcome outcome = Present::SearchDays(dir_.path(), AllDays(), expression);
        QCOMPARE(Titles(outcome.hits), titles);
        QCOMPARE(outcome.daysSearched, 4);
        QCOMPARE(outcome.headlinesSearched, qint64(7));
        QCOMPARE(outcome.notes.size(), 1);
        QVERIFY2(outcome.notes[0].startsWith(QStringLiteral("20240306.DAT")),
                 qPrintable(outcome.notes[0]));
        QVERIFY(!outcome.cancelled);
    }

    void hitKeepsItsDayAndFields() {
        const DaySearchOutcome outcome = Present::SearchDays(dir_.path(), AllDays(), "円安");
        QCOMPARE(outcome.hits.size(), 1);
        // Found first in the newer file, where it carried over to.
        QCOMPARE(outcome.hits[0].day, d2);
        QCOMPARE(outcome.hits[0].item.Posted, Ole(d1, 15));
        QCOMPARE(outcome.hits[0].item.Category, QStringLiteral("[為替]"));
        QCOMPARE(outcome.hits[0].item.Url, Item(Ole(d1, 15), "", "", "").Url);
    }

    void rangeAndMissingFiles() {
        const DaySearchOutcome outcome =
            Present::SearchDays(dir_.path(), {d4, d5, QDate(2024, 3, 9)}, "日銀");
        QCOMPARE(Titles(outcome.hits), (QStringList{"日銀人事案を提示", "日銀が利上げ"}));
        QCOMPARE(outcome.daysSearched, 2);
        QCOMPARE(outcome.notes.size(), 1);
        QVERIFY(outcome.notes[0].startsWith(QStringLiteral("20240309.DAT")));
    }

    void cancelStopsAfterTheFileInHand() {
        QList<int> seen;
        const DaySearchOutcome outcome =
            Present::SearchDays(dir_.path(), AllDays(), "日銀", [&](int done) {
                seen << done;
                return done < 2;
            });
        QVERIFY(outcome.cancelled);
        QCOMPARE(seen, (QList<int>{1, 2}));
        // Newest days first: d5 and the old-encoding d4 only.
        QCOMPARE(Titles(outcome.hits), (QStringList{"日銀人事案を提示", "日銀が利上げ"}));
    }

    void jobRunsOnItsOwnThread() {
        Present::DaySearchJob job(dir_.path(), AllDays(), "日銀");
        QSignalSpy progress(&job, &Present::DaySearchJob::Progress);
        QSignalSpy finished(&job, &Present::DaySearchJob::Finished);
        QThread* const mine = QThread::currentThread();
        QThread* reportedOn = nullptr;
        connect(&job, &Present::DaySearchJob::Finished, this,
                [&] { reportedOn = QThread::currentThread(); });
        job.Start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        QCOMPARE(reportedOn, mine);
        QCOMPARE(progress.size(), 5);
        QCOMPARE(progress.last().at(0).toInt(), 5);
        const auto outcome = finished[0][0].value<DaySearchOutcome>();
        QCOMPARE(outcome.hits.size(), 3);
        QTRY_VERIFY(!job.Running());
    }

    void jobCancelledEarlyEndsAndReports() {
        QList<QDate> many;
        for (int i = 0; i < 200; ++i)
            many << d1 << d2 << d5;
        Present::DaySearchJob job(dir_.path(), many, "日銀");
        QSignalSpy finished(&job, &Present::DaySearchJob::Finished);
        job.Cancel();
        job.Start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
        const auto outcome = finished[0][0].value<DaySearchOutcome>();
        QVERIFY(outcome.cancelled);
        QCOMPARE(outcome.daysSearched, 1);
    }

    void csvOfTheHits() {
        const QString path = dir_.path() + QStringLiteral("/hits.csv");
        QVERIFY(!Present::ExportHitsCsv({}, path));
        QVERIFY(!QFile::exists(path));
        const DaySearchOutcome outcome = Present::SearchDays(dir_.path(), AllDays(), "為替");
        QVERIFY(Present::ExportHitsCsv(outcome.hits, path));
        QCOMPARE(ReadBytes(path),
                 QStringLiteral(
                     "0,2024/03/08 16:00:00,ブルームバーグ,[為替],,\"円、ドルに対し反発\",\r\n"
                     "1,2024/03/04 15:00:00,ロイター,[為替],,\"日銀、円安を注視\",\r\n")
                     .toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestDaySearch)
#include "tst_daysearch.moc"
