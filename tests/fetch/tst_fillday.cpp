// Filling a missed day from the disclosure service's list of that day, against the loopback
// simulator: which days qualify, every page read, the merge into that day's own file.

#include "FileBytes.h"
#include "app/AppData.h"
#include "app/Ports.h"
#include "news/DayArchive.h"
#include "news/DayFile.h"
#include "news/FetchCycle.h"
#include "parsers/Yahoo.h"
#include "present/Session.h"
#include "support_feedsim.h"
#include "support_ports.h"
#include "text/Common.h"
#include "text/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QList<int> g_pauses;
void RecordPause(int ms, bool, bool) {
    g_pauses << ms;
}

const QDate kToday(2024, 1, 5);    // a Friday
const QDate kThursday(2024, 1, 4); // the day filled

} // namespace

class TestFillDay : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    FeedsimProcess sim_;
    FixedClock clock_{QDateTime(kToday, QTime(10, 0, 3))};
    FixedRandom random_;
    std::unique_ptr<Program::Session> session_;

    QString Data() const { return News::DataFolder(); }
    // How many disclosures the day's list says it holds, from its first page.
    int ListedOn(const QDate& day) {
        const QByteArray page = FeedsimProcess::Fetch(News::TdnetAddress(session_->settings, day));
        // The service writes Shift_JIS.
        const QString text = Common::Cp932Decoder().Decode(page.constData(), page.size());
        const auto m = QRegularExpression(QStringLiteral("全(\\d+)件")).match(text);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    News::FillResult Fill(const QDate& day) {
        return News::FillMissedDay(session_->settings, session_->pageWeb, session_->words, day);
    }
    QList<News::NewsItem> Saved(const QDate& day) {
        const auto items = News::DecodeDayFile(ReadBytes(News::DayFilePathOf(day)));
        return items ? *items : QList<News::NewsItem>();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        InstallFetchPorts(dir_, clock_, random_, &RecordPause);
        QVERIFY(sim_.Start(
            QStringLiteral("--start 2024-01-05T10:00:00 --frozen --seed 7").split(u' ')));
    }
    void init() {
        QDir(Data()).removeRecursively();
        QVERIFY(QDir().mkpath(Data()));
        session_ = std::make_unique<Program::Session>();
        session_->settings.NewsHost = sim_.Portal();
        session_->settings.TdnetHost = sim_.Tdnet();
        g_pauses.clear();
        sim_.Control(QStringLiteral("/_feedsim/stats?reset=1"));
    }
    void cleanupTestCase() {
        session_.reset();
        ReleaseFetchPorts();
    }

    void whichDaysQualify_data() {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<QString>("file"); // "none", "during" the day, "after" it ended
        QTest::addColumn<bool>("can");
        QTest::newRow("yesterday, no file") << 1 << "none" << true;
        QTest::newRow("yesterday, written during the day") << 1 << "during" << true;
        QTest::newRow("yesterday, written after it ended") << 1 << "after" << false;
        QTest::newRow("a month ago") << News::DisclosureListDays << "none" << true;
        QTest::newRow("past the service's month")
            << News::DisclosureListDays + 1 << "none" << false;
        QTest::newRow("today") << 0 << "none" << false;
        QTest::newRow("tomorrow") << -1 << "none" << false;
    }
    void whichDaysQualify() {
        QFETCH(int, daysAgo);
        QFETCH(QString, file);
        QFETCH(bool, can);
        const QDate day = kToday.addDays(-daysAgo);
        if (file != "none") {
            const QString path = News::DayFilePathOf(day);
            WriteBytes(path, News::EncodeDayFile({}));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const QDateTime when = file == "during" ? QDateTime(day, QTime(23, 59, 30))
                                                    : QDateTime(day.addDays(1), QTime(0, 0, 1));
            QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        }
        QCOMPARE(News::CanFillDay(Data(), day, kToday), can);
    }

    void missingDayIsFetchedWhole() {
        const int listed = ListedOn(kThursday);
        qDebug() << listed;
        QVERIFY(listed > 100); // more than one page
        sim_.Control(QStringLiteral("/_feedsim/stats?reset=1"));
        const News::FillResult result = Fill(kThursday);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QCOMPARE(result.added, listed);

        const QList<News::NewsItem> saved = Saved(kThursday);
        QCOMPARE(saved.size(), listed);
        for (const News::NewsItem& item : saved) {
            QCOMPARE(item.Source, News::TdnetSourceName);
            QCOMPARE(QDate(1899, 12, 30).addDays(qint64(item.Posted)), kThursday);
            QVERIFY(!item.IsNew);
        }
        // Every page of that day and nothing else; one pause after the list, as in a cycle.
        const QStringList requests = sim_.RequestedPaths();
        QVERIFY(requests.size() > 1);
        for (const QString& path : requests)
            QVERIFY2(path.contains(QStringLiteral("_20240104.html")), qPrintable(path));
        QVERIFY(requests.contains(QStringLiteral("/inbs/I_list_002_20240104.html")));
        QCOMPARE(g_pauses.size(), 1);
        QVERIFY(g_pauses[0] >= 1500 && g_pauses[0] <= 4000);
        // Today's store and file are not touched.
        QCOMPARE(session_->store.Count(), 0);
        QVERIFY(!QFile::exists(News::DayFilePath()));
        QVERIFY(!News::CanFillDay(Data(), kThursday, kToday));
    }

    void partlyKeptDayGetsTheRest() {
        QVERIFY(Fill(kThursday).ok);
        QList<News::NewsItem> whole = Saved(kThursday);
        // The file as a patrol left it at 15:00: only the afternoon's earlier part, one opened.
        QList<News::NewsItem> early;
        for (const News::NewsItem& item : whole) {
            if (item.Posted - qint64(item.Posted) < 15.0 / 24)
                early << item;
        }
        QVERIFY(!early.isEmpty() && early.size() < whole.size());
        early[0].IsOpened = true;
        WriteBytes(News::DayFilePathOf(kThursday), News::EncodeDayFile(early));
        QFile f(News::DayFilePathOf(kThursday));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(
            f.setFileTime(QDateTime(kThursday, QTime(15, 0)), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(News::CanFillDay(Data(), kThursday, kToday));

        const News::FillResult result = Fill(kThursday);
        QVERIFY(result.ok);
        QCOMPARE(result.added, whole.size() - early.size());
        const QList<News::NewsItem> saved = Saved(kThursday);
        QCOMPARE(saved.size(), whole.size());
        QSet<QString> urls;
        for (const News::NewsItem& item : saved)
            urls.insert(item.Url + QString::number(item.Posted));
        QCOMPARE(urls.size(), whole.size());
        // What the file held keeps its opened mark.
        int opened = 0;
        for (const News::NewsItem& item : saved)
            opened += item.IsOpened ? 1 : 0;
        QCOMPARE(opened, 1);
    }

    void damagedDayIsLeftAlone() {
        const QByteArray damaged = News::EncodeDayFile({News::NewsItem()}).chopped(2);
        WriteBytes(News::DayFilePathOf(kThursday), damaged);
        const News::FillResult result = Fill(kThursday);
        QVERIFY(!result.ok);
        QVERIFY(result.reason.contains(QStringLiteral("20240104.DAT")));
        QCOMPARE(ReadBytes(News::DayFilePathOf(kThursday)), damaged);
        QVERIFY(sim_.RequestedPaths().isEmpty());
    }

    void unreachableServiceSaysWhy() {
        session_->settings.TdnetHost = QStringLiteral("http://127.0.0.1:9");
        const News::FillResult result = Fill(kThursday);
        QVERIFY(!result.ok);
        QVERIFY(!result.reason.isEmpty());
        QVERIFY(!QFile::exists(News::DayFilePathOf(kThursday)));
    }
};

QTEST_GUILESS_MAIN(TestFillDay)
#include "tst_fillday.moc"
