// The folder of day files: which days it holds, how it is kept short, and an earlier day read
// beside today's store.

#include "FileBytes.h"
#include "app/AppData.h"
#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/DayArchive.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"
#include "support_news.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

News::NewsItem Item(double posted, const QString& title) {
    News::NewsItem item;
    item.Posted = posted;
    item.Source = QStringLiteral("ロイター");
    item.Title = title;
    item.Url = QStringLiteral("http://127.0.0.1/") + title;
    return item;
}

QString NameOf(const QDate& day) {
    return day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".DAT");
}

} // namespace

class TestDayArchive : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    FixedClock clock_{QDateTime(QDate(2024, 3, 10), QTime(9, 0))};
    Program::SettingsState settings_;

    QString Data() const { return dir_.path() + QStringLiteral("/Data"); }
    void WriteDay(const QDate& day, const QList<News::NewsItem>& items) {
        WriteBytes(Data() + u'/' + NameOf(day), News::EncodeDayFile(items));
    }

private slots:
    void init() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
        QDir(Data()).removeRecursively();
        QVERIFY(QDir().mkpath(Data()));
    }
    void cleanup() { Ports::SetClock(nullptr); }

    void fileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDate>("day");
        QTest::newRow("a day") << "20240105.DAT" << QDate(2024, 1, 5);
        QTest::newRow("leap day") << "20240229.DAT" << QDate(2024, 2, 29);
        QTest::newRow("no such day") << "20230229.DAT" << QDate();
        QTest::newRow("month 13") << "20241301.DAT" << QDate();
        QTest::newRow("lower-case ending") << "20240105.dat" << QDate();
        QTest::newRow("put aside") << "20240105.DAT.bad" << QDate();
        QTest::newRow("short") << "2024015.DAT" << QDate();
        QTest::newRow("full-width digit") << "２0240105.DAT" << QDate();
        QTest::newRow("history") << "検索.INI" << QDate();
    }
    void fileNames() {
        QFETCH(QString, name);
        QFETCH(QDate, day);
        QCOMPARE(News::DayOfFileName(name), day);
    }

    void storedDaysAreTheDayFilesOldestFirst() {
        const QList<News::NewsItem> one{Item(OleOf(QDate(2024, 3, 1)), "a")};
        WriteDay(QDate(2024, 3, 9), one);
        WriteDay(QDate(2023, 12, 31), one);
        WriteDay(QDate(2024, 3, 1), one);
        WriteBytes(Data() + "/20240302.DAT.bad", "x");
        WriteBytes(Data() + "/検索.INI", "x");
        WriteBytes(Data() + "/20240303.txt", "x");
        QVERIFY(QDir(Data()).mkdir(QStringLiteral("20240304.DAT"))); // a folder, not a file
        QCOMPARE(News::StoredDays(Data()),
                 (QList<QDate>{QDate(2023, 12, 31), QDate(2024, 3, 1), QDate(2024, 3, 9)}));
        QVERIFY(News::StoredDays(dir_.path() + "/nowhere").isEmpty());
    }

    void oldFilesGo_data() {
        QTest::addColumn<int>("keepDays");
        QTest::addColumn<QList<int>>("left"); // days before today still on disk
        // Files of today, yesterday, 2, 3, 7 and 30 days ago, and one of tomorrow (-1).
        QTest::newRow("0 keeps all") << 0 << QList<int>{-1, 0, 1, 2, 3, 7, 30};
        QTest::newRow("1 still keeps yesterday") << 1 << QList<int>{-1, 0, 1};
        QTest::newRow("2") << 2 << QList<int>{-1, 0, 1};
        QTest::newRow("3") << 3 << QList<int>{-1, 0, 1, 2};
        QTest::newRow("7") << 7 << QList<int>{-1, 0, 1, 2, 3};
        QTest::newRow("more than there are") << 365 << QList<int>{-1, 0, 1, 2, 3, 7, 30};
    }
    void oldFilesGo() {
        QFETCH(int, keepDays);
        QFETCH(QList<int>, left);
        const QDate today = clock_.Today();
        for (int ago : {-1, 0, 1, 2, 3, 7, 30})
            WriteDay(today.addDays(-ago), {Item(OleOf(today.addDays(-ago)), "x")});
        WriteBytes(Data() + "/20000101.DAT.bad", "kept");
        const int removed = News::RemoveOldDayFiles(Data(), today, keepDays);
        QList<QDate> expected;
        for (int ago : left)
            expected.prepend(today.addDays(-ago));
        std::sort(expected.begin(), expected.end());
        QCOMPARE(News::StoredDays(Data()), expected);
        QCOMPARE(removed, 7 - int(left.size()));
        QVERIFY(QFile::exists(Data() + "/20000101.DAT.bad"));
    }

    void aDayThatCannotBeReadChangesNothing() {
        const QDate good(2024, 3, 7), bad(2024, 3, 6);
        WriteDay(good, {Item(OleOf(good), "kept")});
        const QByteArray damaged = News::EncodeDayFile({Item(OleOf(bad), "cut")}).chopped(3);
        WriteBytes(Data() + u'/' + NameOf(bad), damaged);
        News::EarlierDay earlier(settings_);
        QCOMPARE(earlier.Open(good), News::DayFileResult::Loaded);
        QCOMPARE(earlier.Open(bad), News::DayFileResult::Corrupt);
        QCOMPARE(earlier.Open(QDate(2024, 3, 5)), News::DayFileResult::Missing);
        // Still the day read last, and the damaged file left where it was for the user.
        QCOMPARE(earlier.Day(), good);
        QCOMPARE(earlier.Store().Item(0).Title, QStringLiteral("kept"));
        QCOMPARE(ReadBytes(Data() + u'/' + NameOf(bad)), damaged);
        QVERIFY(!QFile::exists(Data() + u'/' + NameOf(bad) + ".bad"));
    }
};

QTEST_GUILESS_MAIN(TestDayArchive)
#include "tst_dayarchive.moc"
