#include "PresentFakes.h"
#include "news/Sources.h"
#include "present/HeadlineSearch.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"
#include "text/Dates.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Present;

namespace {
const QDate Today(2024, 3, 15);

Headline At(int hour, int minute, const QString& title, const QDate& date = Today) {
    Headline h;
    h.posted = OleAt(date, hour, minute);
    h.title = title;
    h.category = QStringLiteral("[市況]");
    return h;
}
} // namespace

class TestHeadlineTable : public QObject {
    Q_OBJECT
    RecordingWindow window;
    FixedClock clock{QDateTime(QDate(2024, 3, 15), QTime(10, 0))};
    FakeGridPort port;
    RecordingPrompt prompt;

    std::unique_ptr<Program::Session> session;

    GridModel& grid() { return session->table.Model(); }
    HeadlineTable& table() { return session->table; }

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
        table().Init();
    }
    void cleanupTestCase() {
        Ports::SetMainWindow(nullptr);
        Ports::SetClock(nullptr);
        Ports::SetPrompt(nullptr);
        SetGridPort(nullptr);
    }

    void emptyStore() {
        QCOMPARE(grid().Rows(), 1);
        QVERIFY(!grid().ColResizable(5));
        QVERIFY(grid().ColResizable(6));
        // The padded header is wider than the bare one.
        QVERIFY(grid().ColWidth(9) > port.TextWidth(QStringLiteral("見出し"), {}) + 8);
        QVERIFY(!window.GridVisible());
        table().Fill();
        QCOMPARE(grid().Rows(), 2);
        QCOMPARE(grid().GetClipH(GridRow{0}, GridCol{0}),
                 QStringLiteral("\t日\t時\t分\t\t\t\t分類\t付\t見出し"));
        QCOMPARE(grid().GetClipH(GridRow{1}, GridCol{0}), QString(9, u'\t'));
        QCOMPARE(grid().RowHeight(1), 13 + 4);
        QVERIFY(window.GridVisible());
        // Nothing to search: no message, no hiding.
        window.SetSearchText(QStringLiteral("日銀"));
        window.hides = 0;
        QCOMPARE(table().Search(0, 1, true, true), 0);
        QCOMPARE(window.hides, 0);
        QVERIFY(window.PanelText(App::Panel::Message).isEmpty());
    }

    void rowsOldestFirst() {
        Headline newest = At(15, 7, QStringLiteral("最新"));
        newest.mark = QStringLiteral("追");
        FillStore(session->store, {newest, At(0, 0, QStringLiteral("中間")),
                                   At(23, 59, QStringLiteral("最古"), QDate(2024, 2, 29))});
        table().Fill();
        QCOMPARE(grid().Rows(), 4);
        QCOMPARE(grid().GetClipH(GridRow{1}, GridCol{0}),
                 QStringLiteral("0\t29\t23\t59\t\t\t\t[市況]\t\t最古"));
        QCOMPARE(grid().GetClipH(GridRow{2}, GridCol{0}),
                 QStringLiteral("1\t15\t0\t0\t\t\t\t[市況]\t\t中間"));
        QCOMPARE(grid().GetClipH(GridRow{3}, GridCol{0}),
                 QStringLiteral("2\t15\t15\t7\t\t\t\t[市況]\t追\t最新"));
    }

    // One headline; the colours of one cell of its row.
    void cellColours_data() {
        for (const char* c : {"hour", "daysBack", "col"})
            QTest::addColumn<int>(c);
        for (const char* c : {"category", "mark", "source"})
            QTest::addColumn<QString>(c);
        QTest::addColumn<Rgb>("back");
        QTest::addColumn<Rgb>("fore");
        auto row = [](const char* name, int hour, int daysBack, const char* category,
                      const char* mark, const char* source, int col, Rgb back, Rgb fore = NoColor) {
            QTest::newRow(name) << hour << daysBack << col << QString(category) << QString(mark)
                                << QString(source) << back << fore;
        };
        const char* cat = "[市況]";
        // The hour bands: night, morning, noon's white, evening.
        row("0 h", 0, 0, cat, "", "ロイター", 2, MakeRgb(175, 175, 255));
        row("7 h", 7, 0, cat, "", "ロイター", 3, MakeRgb(191, 191, 255));
        row("12 h", 12, 0, cat, "", "ロイター", 2, MakeRgb(255, 255, 255));
        row("17 h", 17, 0, cat, "", "ロイター", 3, MakeRgb(223, 233, 191));
        row("20 h", 20, 0, cat, "", "ロイター", 2, MakeRgb(191, 119, 255));
        row("21 h", 21, 0, cat, "", "ロイター", 3, MakeRgb(175, 175, 255));
        row("minute unpainted", 12, 0, cat, "", "ロイター", 4, NoColor);
        row("no category", 12, 0, "", "", "ロイター", 7, MakeRgb(1, 2, 3));
        row("category", 12, 0, cat, "", "ロイター", 7, NoColor);
        row("再", 12, 0, cat, "再", "ロイター", 8, MakeRgb(223, 223, 223));
        row("追", 12, 0, cat, "追", "ロイター", 8, MakeRgb(223, 223, 255));
        row("訂", 12, 0, cat, "訂", "ロイター", 8, NoColor);
        row("楽天市場 title red", 12, 0, cat, "", "楽天市場", 9, MakeRgb(223, 223, 223),
            MakeRgb(255, 0, 0));
        row("day: today", 8, 0, cat, "", "ロイター", 1, NoColor);
        row("day: yesterday", 8, 1, cat, "", "ロイター", 1, MakeRgb(255, 255, 191));
        row("day: a month earlier, same day", 8, 29, cat, "", "ロイター", 1, NoColor);
    }
    void cellColours() {
        QFETCH(int, hour);
        QFETCH(int, daysBack);
        QFETCH(int, col);
        Headline h = At(hour, 30, QStringLiteral("見出し"), Today.addDays(-daysBack));
        QFETCH(QString, category);
        QFETCH(QString, mark);
        QFETCH(QString, source);
        std::tie(h.category, h.mark, h.source) = std::tie(category, mark, source);
        FillStore(session->store, {h});
        table().Fill();
        QTEST(grid().BackColor(GridRow{1}, GridCol{col}), "back");
        QTEST(grid().ForeColor(GridRow{1}, GridCol{col}), "fore");
    }

    // Every other title is shaded; with a search the hits are painted and the rest white.
    void titleShadingAndFinalSearch() {
        FillStore(session->store,
                  {At(12, 3, "日銀a"), At(12, 2, "b"), At(12, 1, "c"), At(12, 0, "日銀d")});
        table().Fill();
        QCOMPARE(grid().BackColor(GridRow{4}, GridCol{9}), MakeRgb(223, 223, 223)); // index 0
        QCOMPARE(grid().BackColor(GridRow{3}, GridCol{9}), NoColor);
        window.SetSearchText(QStringLiteral("日銀"));
        table().Fill();
        QCOMPARE(grid().BackColor(GridRow{4}, GridCol{9}), HitColor);
        QCOMPARE(grid().BackColor(GridRow{3}, GridCol{9}), MakeRgb(255, 255, 255));
        QCOMPARE(grid().BackColor(GridRow{2}, GridCol{9}), MakeRgb(223, 223, 223));
        QCOMPARE(grid().BackColor(GridRow{1}, GridCol{9}), HitColor);
    }

    void pictures_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("flags");    // v vip, n new, o opened
        QTest::addColumn<QString>("pictures"); // columns 4|5|6
        auto row = [](const char* name, const char* source, const char* flags, const char* out) {
            QTest::newRow(name) << QString(source) << QString(flags) << QString(out);
        };
        row("new wins", "ロイター", "vno", "VIP|LOOK_NEW|REUTER");
        row("opened", "時事通信社", "o", "|LOOK_OPEN|JIJI");
        row("closed", "適時開示情報", "", "|LOOK_CLOSE|TDNET");
        row("unknown source", "楽天市場", "", "|LOOK_CLOSE|");
        // A feed's item, even one named like a portal source, shows the feed picture.
        row("feed", "ロイター", "f", "|LOOK_CLOSE|FEED");
    }
    void pictures() {
        QFETCH(QString, source);
        QFETCH(QString, flags);
        Headline h = At(12, 0, QStringLiteral("見出し"));
        h.source = source;
        h.vip = flags.contains(u'v');
        h.isNew = flags.contains(u'n');
        h.opened = flags.contains(u'o');
        FillStore(session->store, {h});
        if (flags.contains(u'f'))
            session->store.MutableItem(0).Reserved2 = QStringLiteral("http://127.0.0.1/feed.xml");
        table().Fill();
        QTEST(QStringList({grid().Picture(GridRow{1}, GridCol{4}),
                           grid().Picture(GridRow{1}, GridCol{5}),
                           grid().Picture(GridRow{1}, GridCol{6})})
                  .join(u'|'),
              "pictures");
    }

    void filter_data() {
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("rakuten"); // else ロイター
        QTest::addColumn<bool>("hidden");
        QTest::newRow("no match hidden") << true << "日銀" << false << true;
        QTest::newRow("button up") << false << "日銀" << false << false;
        QTest::newRow("楽天市場 stays") << true << "日銀" << true << false;
        QTest::newRow("matching stays") << true << "決算" << false << false;
        QTest::newRow("bad expression hides") << true << "(決算" << false << true;
    }
    void filter() {
        QFETCH(bool, pressed);
        QFETCH(QString, search);
        QFETCH(bool, rakuten);
        QFETCH(bool, hidden);
        window.SetButtonPressed(App::Command::Filter, pressed);
        window.SetSearchText(search);
        Headline h = At(12, 0, QStringLiteral("決算発表"));
        h.source = rakuten ? QStringLiteral("楽天市場") : QStringLiteral("ロイター");
        h.vip = true;
        FillStore(session->store, {h});
        table().Fill();
        QCOMPARE(grid().RowHeight(1), hidden ? 0 : 17);
        QCOMPARE(grid().Picture(GridRow{1}, GridCol{5}).isEmpty(), hidden);
        // Text and colours stay.
        QCOMPARE(grid().Text(GridRow{1}, GridCol{9}), QStringLiteral("決算発表"));
        QCOMPARE(grid().BackColor(GridRow{1}, GridCol{2}), MakeRgb(255, 255, 255));
        QVERIFY(prompt.boxes.isEmpty());
    }

    void cursorRestoredWithinRows() {
        FillStore(session->store, {At(12, 3, "a"), At(12, 2, "b"), At(12, 1, "c")});
        table().Fill();
        grid().SetCursor(GridRow{3}, GridCol{7});
        grid().SetTopRow(3);
        FillStore(session->store, {At(12, 3, "a")});
        table().Fill();
        QCOMPARE(grid().Row(), 1);
        QCOMPARE(grid().Col(), 7);
        QCOMPARE(grid().TopRow(), 1);
    }

    void oneResetPerBuild() {
        QList<Headline> many;
        for (int i = 0; i < 50; ++i)
            many.append(At(12, 59 - i, QString::number(i)));
        FillStore(session->store, many);
        window.SetSearchText(QStringLiteral("1"));
        QSignalSpy resets(&grid(), &GridModel::ModelReset);
        QSignalSpy cells(&grid(), &GridModel::CellsChanged);
        table().Fill();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(cells.size(), 1); // the search repaint
    }

    void search_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("markAll");
        QTest::addColumn<int>("result");
        QTest::addColumn<QList<int>>("paintedRows");
        // Store: index 0 "日銀a", 1 "b", 2 "日銀c", 3 "d"; row = 4 - index.
        QTest::newRow("first hit forward") << 0 << 1 << false << 0 << QList<int>{4};
        QTest::newRow("first hit from 1") << 1 << 1 << false << 2 << QList<int>{3, 2};
        QTest::newRow("mark all forward") << 0 << 1 << true << 2 << QList<int>{4, 3, 2, 1};
        QTest::newRow("mark all backward") << 3 << -1 << true << 0 << QList<int>{1, 2, 3, 4};
        QTest::newRow("backward stops") << 3 << 0 << false << 2 << QList<int>{1, 2};
        QTest::newRow("last index forward") << 3 << 1 << true << -1 << QList<int>{1};
    }
    void search() {
        QFETCH(int, start);
        QFETCH(int, direction);
        QFETCH(bool, markAll);
        QFETCH(QList<int>, paintedRows);
        FillStore(session->store,
                  {At(12, 3, "日銀a"), At(12, 2, "b"), At(12, 1, "日銀c"), At(12, 0, "d")});
        table().Fill();
        grid().FillColors(GridRow{1}, GridCol{9}, GridRow{4}, GridCol{9}, KeepColor, NoColor);
        window.SetSearchText(QStringLiteral("日銀"));
        window.hides = window.shows = 0;
        QTEST(table().Search(start, direction, markAll, true), "result");
        for (int row = 1; row <= 4; ++row) {
            const int index = 4 - row;
            Rgb expected = NoColor;
            if (paintedRows.contains(row))
                expected = (index == 0 || index == 2) ? HitColor : MakeRgb(255, 255, 255);
            QCOMPARE(grid().BackColor(GridRow{row}, GridCol{9}), expected);
        }
        QCOMPARE(window.hides, 1);
        QCOMPARE(window.shows, 1);
        const bool noHitMessage =
            window.PanelText(App::Panel::Message) == QStringLiteral("該当記事がありませんでした。");
        QCOMPARE(noHitMessage, markAll && paintedRows == QList<int>{1});
    }

    void markOpened() {
        FillStore(session->store, {At(12, 3, "a"), At(12, 2, "b"), At(12, 1, "c")});
        table().Fill();
        window.SetGridVisible(false);
        table().MarkOpenedPicture(3);
        QCOMPARE(grid().Picture(GridRow{3}, GridCol{5}), QStringLiteral("LOOK_OPEN"));
        QCOMPARE(grid().Picture(GridRow{1}, GridCol{5}), QStringLiteral("LOOK_CLOSE"));
        QVERIFY(!window.GridVisible());
        window.SetGridVisible(true);
        table().MarkOpenedPicture(1);
        QCOMPARE(grid().Picture(GridRow{1}, GridCol{5}), QStringLiteral("LOOK_OPEN"));
        QVERIFY(window.GridVisible());
    }

    // A row keeps pointing at its headline while newer and older ones merge in under the table.
    void rowsFollowTheirHeadlinesThroughMerges() {
        FillStore(session->store, {At(12, 3, "c"), At(12, 2, "b"), At(12, 1, "a")});
        table().Fill();
        QCOMPARE(grid().Text(GridRow{2}, GridCol{9}), QStringLiteral("b"));
        News::NewsStore& store = session->store;
        for (const auto& [minute, title] : {std::pair{4, "d"}, {0, "z"}, {2, "b2"}}) {
            const double posted = At(12, minute, QString::fromUtf8(title)).posted;
            int position = store.FindInsertPosition(posted);
            store.InsertNewsItem(position, posted, QString(), QString(), QString::fromUtf8(title),
                                 QString(), false, QString());
        }
        for (int row = 1; row <= 3; ++row)
            QCOMPARE(store.Item(table().StoreIndexOfRow(row)).Title,
                     grid().Text(GridRow{row}, GridCol{9}));
        QCOMPARE(table().StoreIndexOfRow(0), -1);
        QCOMPARE(table().StoreIndexOfRow(4), -1);
        store.Clear();
        QCOMPARE(table().StoreIndexOfRow(1), -1);
    }
};

QTEST_GUILESS_MAIN(TestHeadlineTable)
#include "tst_headlinetable.moc"
