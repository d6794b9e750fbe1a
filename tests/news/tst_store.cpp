#include "app/SettingsState.h"
#include "news/NewsStore.h"
#include "news/Sources.h"

#include <QRandomGenerator>
#include <QtTest>
#include <memory>

using News::NewsItem;

namespace {

// The store as the linear definitions describe it.
struct Reference {
    QList<NewsItem> items;

    int Find(double posted, const QString& s, const QString& c, const QString& t,
             const QString& u) const {
        for (int i = 0; i < items.size(); ++i) {
            const NewsItem& it = items[i];
            if (it.Posted == posted && it.Source == s && it.Category == c && it.Title == t &&
                it.Url == u) {
                return i;
            }
        }
        return -1;
    }
    int InsertPosition(double posted) const {
        for (int i = 0; i < items.size(); ++i) {
            if (items[i].Posted <= posted)
                return i;
        }
        return -1;
    }
    void Insert(int position, const NewsItem& item) {
        items.insert(position < 0 ? items.size() : position, item);
    }
};

QString Describe(const NewsItem& it) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8")
        .arg(QString::number(it.Posted, 'g', 17))
        .arg(it.Source, it.Category, it.Title, it.Url, it.Mark)
        .arg(it.IsNew)
        .arg(it.IsOpened);
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT

    Program::SettingsState settings_;
    std::unique_ptr<News::NewsStore> store_;
    News::NewsStore& Store() { return *store_; }

private slots:
    void init() {
        settings_ = Program::SettingsState();
        store_ = std::make_unique<News::NewsStore>(settings_);
    }

    void insertedFlagsAndVipRule_data() {
        QTest::addColumn<bool>("dispVip");
        QTest::addColumn<bool>("isVip");
        QTest::addColumn<bool>("taken");
        QTest::newRow("vip shown") << true << true << true;
        QTest::newRow("vip hidden") << false << true << false;
        QTest::newRow("plain, vip hidden") << false << false << true;
    }
    void insertedFlagsAndVipRule() {
        QFETCH(bool, dispVip);
        QFETCH(bool, isVip);
        QFETCH(bool, taken);
        settings_.DispVip = dispVip;
        auto& store = Store();
        int position = -1;
        QCOMPARE(store.InsertNewsItem(position, 1.5, "s", "c", "t", "u", isVip, "M"), taken);
        QCOMPARE(store.Count(), taken ? 1 : 0);
        QCOMPARE(store.HasNewsItems(), taken);
        if (taken)
            QCOMPARE(std::tuple(store.Item(0).IsVip, store.Item(0).IsNew, store.Item(0).IsOpened),
                     std::tuple(isVip, true, false));
    }

    void stockCode_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("code");
        const QString tdnet = QStringLiteral("適時開示情報");
        QTest::newRow("five digits") << tdnet << QStringLiteral("トヨタ自動車(東証:72030)") << 7203;
        QTest::newRow("first brackets only")
            << tdnet << QStringLiteral("A(東証:13010)(99990)") << 1301;
        QTest::newRow("no number") << tdnet << QStringLiteral("会社(東証:)") << 0;
        QTest::newRow("unclosed") << tdnet << QStringLiteral("会社(東証:72030") << 0;
        QTest::newRow("short code trimmed") << tdnet << QStringLiteral("X( 123 )") << 123;
        QTest::newRow("other source ignored")
            << QStringLiteral("ロイター") << QStringLiteral("(東証:72030)") << 0;
    }
    void stockCode() {
        QFETCH(QString, source);
        QFETCH(QString, category);
        QFETCH(int, code);
        int position = -1;
        Store().InsertNewsItem(position, 1, source, category, "t", "u", false, "");
        QCOMPARE(Store().Item(0).StockCode, code);
    }

    // The indexed store must answer exactly as the linear definitions: ties, equal entries,
    // unsorted stores, inserts at both ends and in the middle.
    void matchesLinearDefinitions_data() {
        QTest::addColumn<bool>("anyPosition");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("merge order") << false << 7u;
        QTest::newRow("merge order, other seed") << false << 99u;
        QTest::newRow("random positions") << true << 7u;
        QTest::newRow("random positions, other seed") << true << 2024u;
    }
    void matchesLinearDefinitions() {
        QFETCH(bool, anyPosition);
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        auto& store = Store();
        Reference ref;
        // Few distinct values, so that equal times and exact duplicates are common.
        const QList<double> times{0.0, -0.0, 45000.25, 45000.5, 45000.5 + 1e-9, 45001, 44999};
        const QStringList texts{"a", "b", "ロイター", ""};
        auto pick = [&](const auto& list) { return list[rng.bounded(int(list.size()))]; };
        auto randomItem = [&] {
            NewsItem it;
            it.Posted = pick(times);
            it.Source = pick(texts);
            it.Category = pick(texts);
            it.Title = pick(texts);
            it.Url = pick(texts);
            return it;
        };

        int largest = 0;
        for (int step = 0; step < 4000; ++step) {
            const int op = rng.bounded(1000);
            NewsItem it = randomItem();
            if (!ref.items.isEmpty() && rng.bounded(3) == 0) {
                it = ref.items[rng.bounded(int(ref.items.size()))]; // an entry already there
            }
            const int found =
                store.FindNewsItem(it.Posted, it.Source, it.Category, it.Title, it.Url);
            QCOMPARE(found, ref.Find(it.Posted, it.Source, it.Category, it.Title, it.Url));
            if (op < 10) {
                // Reload, sometimes from a file that is out of order.
                QList<NewsItem> items = ref.items;
                if (op < 5 && items.size() > 1)
                    items.swapItemsAt(0, rng.bounded(int(items.size())));
                ref.items = items;
                store.ReplaceAll(items);
            } else if (op < 12) {
                ref.items.clear();
                store.Clear();
            } else if (op < 40) {
                store.ClearNewFlags();
                for (NewsItem& r : ref.items)
                    r.IsNew = false;
            } else if (op < 45) {
                store.MarkAllRead();
                for (NewsItem& r : ref.items)
                    r.IsNew = false, r.IsOpened = true;
            } else if (found < 0 || op < 150) {
                int position = store.FindInsertPosition(it.Posted);
                QCOMPARE(position, ref.InsertPosition(it.Posted));
                if (anyPosition)
                    position = int(rng.bounded(int(ref.items.size()) + 2)) - 1;
                const int asked = position;
                QVERIFY(store.InsertNewsItem(position, it.Posted, it.Source, it.Category, it.Title,
                                             it.Url, false, "m"));
                it.Mark = "m";
                it.IsNew = true;
                it.IsOpened = false;
                it.IsVip = false;
                it.StockCode = 0;
                QCOMPARE(position, asked < 0 ? int(ref.items.size()) : asked);
                ref.Insert(asked, it);
            }
            QCOMPARE(store.Count(), ref.items.size());
            largest = std::max(largest, store.Count());
            if (step % 50 == 0 || ref.items.size() < 40) {
                for (int i = 0; i < ref.items.size(); ++i)
                    QCOMPARE(Describe(store.Item(i)), Describe(ref.items[i]));
            }
        }
        QVERIFY(largest > 200);
    }

    void sourceTable() {
        QCOMPARE(News::SourceNames().size(), 26);
        for (int i = 0; i < 26; ++i)
            QCOMPARE(News::SourceIndex(News::SourceNames()[i]), i);
        // Other code finds the disclosure list by these.
        QCOMPARE(News::SourceIndex(QStringLiteral("適時開示情報")), 25);
        QCOMPARE(News::SourceCodes().value(25), QStringLiteral("tdnet"));
        QCOMPARE(News::SourceIndex(QStringLiteral(" ロイター")), -1);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
