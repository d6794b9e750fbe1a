#include "app/AppData.h"
#include "app/SettingsState.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"
#include "support_news.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

using News::DayFileResult;

namespace {

// Day-file records assembled field by field, independently of the program's writer.
struct Bytes {
    QByteArray data;
    template <typename T> Bytes& Le(T value) {
        char buffer[sizeof(T)];
        qToLittleEndian(value, buffer);
        data.append(buffer, sizeof(T));
        return *this;
    }
    Bytes& Text(const QByteArray& raw) {
        Le<quint16>(quint16(raw.size()));
        data.append(raw);
        return *this;
    }
    Bytes& Record(double posted, const QString& source, const QString& category,
                  const QString& title, const QString& url, qint32 code, bool vip,
                  const QString& mark, bool opened, bool isNew) {
        Le<double>(posted).Text(source.toUtf8()).Text(category.toUtf8()).Text(title.toUtf8());
        Text(url.toUtf8()).Le<qint32>(code).Text("").Text("");
        Le<qint16>(vip ? -1 : 0).Le<qint16>(0).Text(mark.toUtf8());
        return Le<qint16>(opened ? -1 : 0).Le<qint16>(isNew ? -1 : 0);
    }
};

QByteArray TwoRecords() {
    Bytes b;
    b.Le<qint32>(2);
    b.Record(45296.25, "適時開示情報", "トヨタ自動車(東証:72030)", "業績予想の修正",
             "https://x.test/a.pdf", 7203, false, "業", false, true);
    b.Record(45296.0, "ロイター", "", "Title", "http://r.test/1", 0, true, "", true, false);
    return b.data;
}

void InsertTwo(News::NewsStore& store) {
    int position = -1;
    store.InsertNewsItem(position, 45296.0, "ロイター", "", "Title", "http://r.test/1", true, "");
    store.MutableItem(0).IsOpened = true;
    store.MutableItem(0).IsNew = false;
    position = store.FindInsertPosition(45296.25);
    store.InsertNewsItem(position, 45296.25, "適時開示情報", "トヨタ自動車(東証:72030)",
                         "業績予想の修正", "https://x.test/a.pdf", false, "業");
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestDayFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    FixedClock clock_{QDateTime(QDate(2024, 1, 5), QTime(9, 30))};
    Ports::HeadlessMainWindow window_;

    QString Path() const { return dir_.path() + "/Data/20240105.DAT"; }

    Program::SettingsState settings_;
    std::unique_ptr<News::NewsStore> store_;
    News::NewsStore& Store() { return *store_; }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Common::SetAppDataFolder(dir_.path());
        Ports::SetClock(&clock_);
        Ports::SetMainWindow(&window_);
    }
    void cleanupTestCase() {
        Ports::SetClock(nullptr);
        Ports::SetMainWindow(nullptr);
    }
    void init() {
        settings_ = Program::SettingsState();
        store_ = std::make_unique<News::NewsStore>(settings_);
        QDir(dir_.path() + "/Data").removeRecursively();
        window_.SetPanelText(App::Panel::Message, QString());
    }

    void savedBytesAreTheLayout() {
        QVERIFY(!News::SaveDayFile(Store())); // an empty store writes nothing
        QVERIFY(!QFile::exists(Path()));
        InsertTwo(Store());
        QVERIFY(News::SaveDayFile(Store()));
        QCOMPARE(News::DayFilePath(), Path());
        QCOMPARE(ReadAll(Path()), TwoRecords());
    }

    void loadReplacesStore() {
        int position = -1;
        Store().InsertNewsItem(position, 1, "old", "", "", "", false, "");
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Missing);
        QCOMPARE(Store().Count(), 1);
        WriteAll(Path(), TwoRecords());
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Loaded);
        const auto& store = Store();
        QCOMPARE(store.Count(), 2);
        QCOMPARE(store.Item(0).StockCode, 7203);
        QVERIFY(store.Item(1).IsVip && store.Item(1).IsOpened && !store.Item(1).IsNew);
        // The loaded store is searchable.
        QCOMPARE(store.FindNewsItem(45296.0, "ロイター", "", "Title", "http://r.test/1"), 1);
        QCOMPARE(store.FindInsertPosition(45296.1), 1);
    }

    void shiftJisFieldIsRead() {
        Bytes b;
        b.Le<qint32>(1).Le<double>(45296.5).Text("\x93\xfa\x96\x7b").Text("").Text("T");
        b.Text("").Le<qint32>(0).Text("").Text("").Le<qint16>(0).Le<qint16>(0).Text("");
        b.Le<qint16>(0).Le<qint16>(0);
        WriteAll(Path(), b.data);
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Loaded);
        QCOMPARE(Store().Item(0).Source, QStringLiteral("日本"));
    }

    void damagedFileIsPutAside_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = TwoRecords();
        QByteArray negative = good;
        qToLittleEndian<qint32>(-1, negative.data());
        QByteArray huge = good;
        qToLittleEndian<qint32>(100000000, huge.data());
        QByteArray longTitle = good;
        // Title count of the first record: after count, Posted and two texts.
        const qsizetype at = 4 + 8 + 2 + QByteArray("適時開示情報").size() + 2 +
                             QByteArray("トヨタ自動車(東証:72030)").size();
        qToLittleEndian<quint16>(0xFFFF, longTitle.data() + at);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("cut inside a text") << good.left(30);
        QTest::newRow("negative count") << negative;
        QTest::newRow("count beyond file size") << huge;
        QTest::newRow("length past the end") << longTitle;
        QTest::newRow("trailing bytes") << good + QByteArray("\0", 1);
    }
    void damagedFileIsPutAside() {
        QFETCH(QByteArray, bytes);
        WriteAll(Path(), bytes);
        int position = -1;
        Store().InsertNewsItem(position, 1, "kept", "", "", "", false, "");
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Corrupt);
        QCOMPARE(Store().Count(), 1);
        QCOMPARE(Store().Item(0).Source, QStringLiteral("kept"));
        QVERIFY(!QFile::exists(Path()));
        QCOMPARE(ReadAll(Path() + ".bad"), bytes);
        QCOMPARE(window_.PanelText(App::Panel::Message),
                 QStringLiteral("日付ファイル 20240105.DAT が壊れていたため読み込まず、"
                                "20240105.DAT.bad として残しました。"));
    }

    void badNamesAreNumbered() {
        WriteAll(Path() + ".bad", "first");
        WriteAll(Path() + ".bad.1", "second");
        WriteAll(Path(), "xx");
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Corrupt);
        QCOMPARE(ReadAll(Path() + ".bad"), QByteArray("first"));
        QCOMPARE(ReadAll(Path() + ".bad.2"), QByteArray("xx"));
        QVERIFY(window_.PanelText(App::Panel::Message).contains("20240105.DAT.bad.2"));
    }

    void longTextIsCutAtCharacterBoundary_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keptChars");
        QTest::newRow("ascii") << QString(70000, 'a') << 65535;
        QTest::newRow("exactly the limit") << QString(65535, 'a') << 65535;
        QTest::newRow("3-byte chars, off by one") << "a" + QString(21845, u'あ') << 21845;
        QTest::newRow("4-byte chars")
            << "ab" + QString::fromUtf8("😀").repeated(16384) << 2 + 2 * 16383;
    }
    void longTextIsCutAtCharacterBoundary() {
        QFETCH(QString, text);
        QFETCH(int, keptChars);
        int position = -1;
        Store().InsertNewsItem(position, 2, "s", "c", text, "u", false, "tail");
        QVERIFY(News::SaveDayFile(Store()));
        Store().Clear();
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Loaded);
        QCOMPARE(Store().Item(0).Title, text.left(keptChars));
        QCOMPARE(Store().Item(0).Mark, QStringLiteral("tail"));
    }

    void roundTripKeepsEverything() {
        auto& store = Store();
        for (int i = 0; i < 50; ++i) {
            int position = store.FindInsertPosition(45000 + (i % 7) * 0.01);
            store.InsertNewsItem(
                position, 45000 + (i % 7) * 0.01, i % 2 ? "適時開示情報" : "ロイター",
                QString("社%1(東証:%2)").arg(i).arg(10000 + i * 10), QString("見出し\n%1").arg(i),
                QString("http://h/%1").arg(i), i % 3 == 0, i % 5 ? "" : "訂正");
            store.MutableItem(position).IsOpened = i % 4 == 0;
        }
        const QList<News::NewsItem> before = store.Items();
        QVERIFY(News::SaveDayFile(Store()));
        store.Clear();
        QCOMPARE(News::LoadDayFile(Store()), DayFileResult::Loaded);
        QCOMPARE(store.Count(), before.size());
        for (int i = 0; i < before.size(); ++i) {
            const auto &a = before[i], &b = store.Item(i);
            QCOMPARE(std::tie(b.Posted, b.Source, b.Category, b.Title, b.Url, b.Mark, b.StockCode),
                     std::tie(a.Posted, a.Source, a.Category, a.Title, a.Url, a.Mark, a.StockCode));
            QCOMPARE(std::tie(b.IsVip, b.IsOpened, b.IsNew),
                     std::tie(a.IsVip, a.IsOpened, a.IsNew));
        }
    }

    void markOpenedSaves() {
        InsertTwo(Store());
        News::MarkOpened(Store(), 0);
        const auto items = News::DecodeDayFile(ReadAll(Path()));
        QVERIFY(items && items->size() == 2);
        QVERIFY(items->at(0).IsOpened && Store().Item(0).IsOpened);
    }

    void csvLines() {
        const QString csv = dir_.path() + "/out.csv";
        QVERIFY(!News::ExportCsv(Store(), csv));
        QVERIFY(!QFile::exists(csv));

        auto& store = Store();
        int position = -1;
        store.InsertNewsItem(position, OleOf(QDate(2024, 1, 4)), "ロイター", "市況", "前日", "u",
                             false, "");
        position = 0;
        store.InsertNewsItem(position, OleOf(QDate(2024, 1, 5), QTime(9, 5)), "適時開示情報",
                             "会社\n(東証:72030)", "「決算」\n\"速報\"", "u", false, "訂正");
        QVERIFY(News::ExportCsv(Store(), csv));
        QCOMPARE(QString::fromUtf8(ReadAll(csv)),
                 QStringLiteral("0,2024/01/05 9:05:00,適時開示情報,会社(東証:72030),訂正,"
                                "\"「決算」\"速報\"\",\r\n"
                                "1,2024/01/04,ロイター,市況,,\"前日\",\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestDayFile)
#include "tst_dayfile.moc"
