// The watch list: which headlines it matches, why an expression is refused, what the desktop
// notice of a cycle says, and how the grid marks watched rows.

#include "PresentFakes.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"
#include "present/Watch.h"

#include <QTest>
#include <memory>

using namespace Present;

namespace {
const QDate Today(2024, 3, 15);

Headline At(int hour, int minute, const QString& title, const QString& source = "ロイター",
            const QString& category = "[市況]") {
    Headline h;
    h.posted = OleAt(Today, hour, minute);
    h.title = title;
    h.source = source;
    h.category = category;
    return h;
}
} // namespace

class TestWatch : public QObject {
    Q_OBJECT
    RecordingWindow window;
    FixedClock clock{QDateTime(Today, QTime(10, 0))};
    FakeGridPort port;
    RecordingPrompt prompt;
    std::unique_ptr<Program::Session> session;

    GridModel& grid() { return session->table.Model(); }

private slots:
    void initTestCase() {
        Ports::SetClock(&clock);
        Ports::SetPrompt(&prompt);
        SetGridPort(&port);
    }
    void init() {
        window = RecordingWindow();
        Ports::SetMainWindow(&window);
        session = std::make_unique<Program::Session>();
        session->table.Init();
        prompt.boxes.clear();
    }
    void cleanupTestCase() {
        Ports::SetMainWindow(nullptr);
        Ports::SetClock(nullptr);
        Ports::SetPrompt(nullptr);
        SetGridPort(nullptr);
    }

    void matches_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("match");
        auto row = [](const char* name, const char* e, const char* t, const char* s, const char* c,
                      bool m) {
            QTest::newRow(name) << QString(e) << QString(t) << QString(s) << QString(c) << m;
        };
        const char* codes = "7203|トヨタ|(決算&上方修正)";
        row("code in title", codes, "＜7203＞ 新型車を発表", "ロイター", "[企業]", true);
        row("name in title", codes, "トヨタ、北米で増産", "時事通信社", "[企業]", true);
        row("both words of the bracket", codes, "ソニー、決算で上方修正", "ロイター", "", true);
        row("one word of the bracket", codes, "ソニー、決算を発表", "ロイター", "", false);
        row("nothing", codes, "日経平均は続伸", "ロイター", "[市況]", false);
        row("word in the source", "時事", "日経平均は続伸", "時事通信社", "", true);
        row("word in the category", "市況", "日経平均は続伸", "ロイター", "[市況]", true);
        row("and across fields", "続伸&時事", "日経平均は続伸", "時事通信社", "", true);
        row("and binds tighter", "A|B&C", "B だけ", "ロイター", "", false);
        // A watch the search could not evaluate watches nothing.
        row("unbalanced", "(トヨタ", "トヨタ、北米で増産", "ロイター", "", false);
        row("operator at the end", "トヨタ|", "トヨタ、北米で増産", "ロイター", "", false);
        row("blank", "  ", "トヨタ", "ロイター", "", false);
        row("operators only", "&", "トヨタ", "ロイター", "", false);
    }
    void matches() {
        QFETCH(QString, expression);
        QFETCH(QString, title);
        QFETCH(QString, source);
        QFETCH(QString, category);
        FillStore(session->store, {At(9, 0, title, source, category)});
        QTEST(WatchList(expression).Matches(session->store.Item(0)), "match");
    }

    // The options dialog refuses with the words the search box shows.
    void problems_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("problem");
        QTest::newRow("fine") << "7203|(決算&上方修正)"
                              << "";
        QTest::newRow("blank is no watch") << ""
                                           << "";
        QTest::newRow("brackets") << "(7203|トヨタ"
                                  << "左右の括弧数が合っていないので計算不能です。\r\n(T|T";
        QTest::newRow("ends") << "&7203"
                              << "式の両端に論理演算子があるので計算不能です。\r\n&T";
    }
    void problems() {
        QFETCH(QString, expression);
        QTEST(WatchProblem(expression), "problem");
        // Only checking: no message box of its own.
        QVERIFY(prompt.boxes.isEmpty());
    }

    void notice_data() {
        QTest::addColumn<int>("hits");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("last");
        QTest::newRow("none") << 0 << false << "" << 0 << "";
        QTest::newRow("five fill the body") << 5 << false << "注目ニュース 5 件" << 5 << "";
        // Every new headline, watched or not: 7 hits and 3 others.
        QTest::newRow("all news") << 7 << true << "新着ニュース 10 件" << 6 << "ほか 5 件";
    }
    void notice() {
        QFETCH(int, hits);
        QFETCH(bool, all);
        // New headlines out of time order in the store, watched ones say "注目".
        QList<Headline> list;
        for (int k = 0; k < 10; ++k) {
            const bool hit = k < hits;
            list << At(9 + (k * 7) % 10, k,
                       (hit ? QStringLiteral("注目 ") : QStringLiteral("他 ")) +
                           QString::number(k));
        }
        FillStore(session->store, list);
        QList<int> indexes;
        for (int i = 0; i < session->store.Count(); ++i)
            indexes << i;
        session->settings.WatchWord = QStringLiteral("注目");
        session->settings.NotifyAllNews = all;
        const auto notice = NoticeForCycle(session->store, indexes, session->settings);
        QFETCH(QString, summary);
        if (summary.isEmpty()) {
            QVERIFY(!notice);
            return;
        }
        QVERIFY(notice);
        QCOMPARE(notice->summary, summary);
        QTEST(int(notice->lines.size()), "lines");
        QFETCH(QString, last);
        if (!last.isEmpty())
            QCOMPARE(notice->lines.last(), last);
        // Newest first, each "HH:MM 出所 見出し", and the first one is the one "開く" opens.
        double previous = 1e9;
        for (int index : notice->items) {
            const News::NewsItem& item = session->store.Item(index);
            QVERIFY(item.Posted <= previous);
            previous = item.Posted;
            if (!all)
                QVERIFY(item.Title.startsWith(QStringLiteral("注目")));
        }
        const News::NewsItem& newest = session->store.Item(notice->items.first());
        const OleParts when = SplitOle(newest.Posted);
        QCOMPARE(notice->lines.first(), QStringLiteral("%1:%2 ロイター %3")
                                            .arg(when.Hour, 2, 10, QLatin1Char('0'))
                                            .arg(when.Minute, 2, 10, QLatin1Char('0'))
                                            .arg(newest.Title));
        QCOMPARE(notice->watch, !all);
    }

    void noticeLineStaysOneLine() {
        FillStore(session->store, {At(8, 5, QStringLiteral("注目\r\n改行"))});
        session->settings.WatchWord = QStringLiteral("注目");
        const auto notice = NoticeForCycle(session->store, {0}, session->settings);
        QVERIFY(notice);
        QCOMPARE(notice->lines, QStringList{QStringLiteral("08:05 ロイター 注目  改行")});
    }

    // Watched rows get a picture and a colour of their own, recomputed at every build; the day
    // file's fields are not touched.
    void gridMarksWatchedRows() {
        Headline vip = At(11, 0, QStringLiteral("トヨタ VIP"));
        vip.vip = true;
        FillStore(session->store, {At(12, 0, QStringLiteral("トヨタ、増産")),
                                   At(11, 30, QStringLiteral("日経平均")), vip});
        session->settings.WatchWord = QStringLiteral("トヨタ");
        session->table.Fill();
        // Row 1 is the oldest (the VIP one), row 3 the newest.
        QCOMPARE(grid().Picture(GridRow{3}, GridCol{4}), WatchPicture);
        QCOMPARE(grid().BackColor(GridRow{3}, GridCol{7}), WatchColor);
        QCOMPARE(grid().Picture(GridRow{2}, GridCol{4}), QString());
        QVERIFY(grid().BackColor(GridRow{2}, GridCol{7}) != WatchColor);
        QCOMPARE(grid().Picture(GridRow{1}, GridCol{4}), QStringLiteral("VIP"));
        QCOMPARE(grid().BackColor(GridRow{1}, GridCol{7}), WatchColor);

        session->settings.WatchWord = QStringLiteral("日経");
        session->table.Fill();
        QCOMPARE(grid().Picture(GridRow{3}, GridCol{4}), QString());
        QVERIFY(grid().BackColor(GridRow{3}, GridCol{7}) != WatchColor);
        QCOMPARE(grid().Picture(GridRow{2}, GridCol{4}), WatchPicture);
        QCOMPARE(session->store.Item(0).Title, QStringLiteral("トヨタ、増産"));
    }
};

QTEST_MAIN(TestWatch)
#include "tst_watch.moc"
