#include "app/AppData.h"
#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Program::PlacementInput;
using Program::PlacementResult;
using Program::WindowState;

Q_DECLARE_METATYPE(WindowState)

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString IniPath() const { return dir_.path() + "/SYSTEM.INI"; }
    static void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray ReadBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void LoadFrom(const QByteArray& bytes) {
        WriteBytes(IniPath(), bytes);
        Program::LoadSettings();
    }

private slots:
    void initTestCase() { Common::SetAppDataFolder(dir_.path()); }
    void init() {
        QFile::remove(IniPath());
        QDir(dir_.path() + "/Data").removeRecursively();
        Program::Settings() = Program::SettingsState();
    }

    void defaultsWithoutFile() {
        // Spoil the state first so that every default has to be set by the load.
        auto& s = Program::Settings();
        s.FormLeft = s.FormTop = s.FormWidth = s.FormHeight = 5;
        s.BrowserPath = s.SoundFile = s.ProxyAddress = s.ProxyPort = "x";
        s.DispVip = false;
        s.DontForward = s.QuickStart = s.FromTray = s.FontBold = s.FontItalic = s.ProxyUse = true;
        s.ViewerPosition = 3;
        s.FontName = "x";
        s.FontSize = 20;
        s.SearchWords = QStringList(13, "x");
        s.NewsHost = s.TdnetHost = s.BoardHost = s.VipHost = s.Site = "x";

        Program::LoadSettings();
        QCOMPARE(s.FormLeft, -1);
        QCOMPARE(s.FormTop, -1);
        QCOMPARE(s.FormWidth, -1);
        QCOMPARE(s.FormHeight, -1);
        QCOMPARE(s.BrowserPath, QString());
        QCOMPARE(s.SoundFile, QString());
        QCOMPARE(s.DispVip, true);
        QCOMPARE(s.DontForward, false);
        QCOMPARE(s.QuickStart, false);
        QCOMPARE(s.FromTray, false);
        QCOMPARE(s.ViewerPosition, qint16(1));
        QCOMPARE(s.FontName, QString("MS UI Gothic"));
        QCOMPARE(s.FontSize, 9.0f);
        QCOMPARE(s.FontBold, false);
        QCOMPARE(s.FontItalic, false);
        QCOMPARE(s.ProxyUse, false);
        QCOMPARE(s.ProxyAddress, QString());
        QCOMPARE(s.ProxyPort, QString());
        QCOMPARE(s.SearchWords, QStringList(13));
        QCOMPARE(s.NewsHost, QString("http://headlines.yahoo.co.jp"));
        QCOMPARE(s.TdnetHost, QString("https://www.release.tdnet.info"));
        QCOMPARE(s.BoardHost, QString("http://messages.finance.yahoo.co.jp"));
        QCOMPARE(s.VipHost, QString("https://finance.yahoo.co.jp"));
        QCOMPARE(s.Site, QString());
    }

    void fontSize_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("expected");
        QTest::newRow("raised to 6") << "4" << 6.0f;
        QTest::newRow("fraction kept") << "10.5" << 10.5f;
        QTest::newRow("exactly 6") << "6" << 6.0f;
        QTest::newRow("negative") << "-3" << 6.0f;
        QTest::newRow("not a number") << "big" << 9.0f;
        QTest::newRow("empty") << "" << 9.0f;
    }
    void fontSize() {
        QFETCH(QString, text);
        QFETCH(float, expected);
        LoadFrom("[OPTION]\r\nFONT SIZE=" + text.toUtf8() + "\r\n");
        QCOMPARE(Program::Settings().FontSize, expected);
    }

    void booleans_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dispVip");    // default true
        QTest::addColumn<bool>("quickStart"); // default false
        QTest::newRow("True") << "True" << true << true;
        QTest::newRow("upper FALSE") << "FALSE" << false << false;
        QTest::newRow("mixed case") << "tRuE" << true << true;
        QTest::newRow("minus one") << "-1" << true << true;
        QTest::newRow("zero") << "0" << false << false;
        QTest::newRow("two") << "2" << true << true;
        QTest::newRow("unconvertible") << "yes" << true << false;
        QTest::newRow("empty") << "" << true << false;
    }
    void booleans() {
        QFETCH(QString, text);
        QFETCH(bool, dispVip);
        QFETCH(bool, quickStart);
        LoadFrom("[OPTION]\r\nDISP VIP=" + text.toUtf8() + "\r\nQUICK START=" + text.toUtf8() +
                 "\r\n");
        QCOMPARE(Program::Settings().DispVip, dispVip);
        QCOMPARE(Program::Settings().QuickStart, quickStart);
    }

    void valuesOfAFile() {
        LoadFrom("[FORM MAIN]\r\nLEFT=-120\r\nTOP=abc\r\nWIDTH=9600.4\r\nHEIGHT=7200\r\n"
                 "[OPTION]\r\nBROWSER=/usr/bin/web browser\r\nVIEWER POSITION=2\r\n"
                 "FONT NAME=\"Noto Sans CJK JP\"\r\nPROXY ADDRESS=\"  proxy.local \"\r\n"
                 "PROXY PORT=\" 8080\"\r\nSEARCH WORD 0=決算\r\nSEARCH WORD 12=T and F\r\n"
                 "SEARCH WORD 13=ignored\r\n"
                 "[SERVER]\r\nNEWS HOST=http://127.0.0.1:8001/\r\nTDNET HOST=\r\n"
                 "SITE=http://127.0.0.1:8003//\r\n");
        const auto& s = Program::Settings();
        QCOMPARE(s.FormLeft, -120);
        QCOMPARE(s.FormTop, -1);
        QCOMPARE(s.FormWidth, 9600);
        QCOMPARE(s.FormHeight, 7200);
        QCOMPARE(s.BrowserPath, QString("/usr/bin/web browser"));
        QCOMPARE(s.ViewerPosition, qint16(2));
        QCOMPARE(s.FontName, QString("Noto Sans CJK JP"));
        QCOMPARE(s.ProxyAddress, QString("proxy.local"));
        QCOMPARE(s.ProxyPort, QString("8080"));
        QCOMPARE(s.SearchWords.size(), 13);
        QCOMPARE(s.SearchWords[0], QString::fromUtf8("決算"));
        QCOMPARE(s.SearchWords[12], QString("T and F"));
        QCOMPARE(s.NewsHost, QString("http://127.0.0.1:8001"));
        QCOMPARE(s.TdnetHost, QString("https://www.release.tdnet.info"));
        QCOMPARE(s.Site, QString("http://127.0.0.1:8003"));
    }

    void saveWritesWholeFileInOrder() {
        auto& s = Program::Settings();
        s.QuickStart = true;
        s.FontSize = 10.5f;
        s.ProxyAddress = " p.local ";
        s.SearchWords[3] = "word";
        s.Site = "http://127.0.0.1:9";
        Program::FormGeometry form{100, 200, 9600, 600, true, 7200};
        QVERIFY(Program::SaveSettings(form));
        QByteArray expected = "[FORM MAIN]\r\nLEFT=100\r\nTOP=200\r\nWIDTH=9600\r\nHEIGHT=7200\r\n"
                              "[OPTION]\r\nBROWSER=\r\nSOUND=\r\nDISP VIP=True\r\n"
                              "DONT FORWARD=False\r\nQUICK START=True\r\nFROM TRAY=False\r\n"
                              "VIEWER POSITION=1\r\nFONT NAME=MS UI Gothic\r\nFONT SIZE=10.5\r\n"
                              "FONT BOLD=False\r\nFONT ITALIC=False\r\nPROXY USE=False\r\n"
                              "PROXY ADDRESS=p.local\r\nPROXY PORT=\r\n";
        for (int n = 0; n < 13; ++n) {
            expected +=
                "SEARCH WORD " + QByteArray::number(n) + "=" + (n == 3 ? "word" : "") + "\r\n";
        }
        expected += "[SERVER]\r\nNEWS HOST=http://headlines.yahoo.co.jp\r\n"
                    "TDNET HOST=https://www.release.tdnet.info\r\n"
                    "BOARD HOST=http://messages.finance.yahoo.co.jp\r\n"
                    "VIP HOST=https://finance.yahoo.co.jp\r\nSITE=http://127.0.0.1:9\r\n";
        QCOMPARE(ReadBytes(IniPath()), expected);
        QVERIFY(!QFile::exists(dir_.path() + "/Data/検索.INI"));
    }

    void saveKeepsUnknownLinesAndRoundTrips() {
        WriteBytes(IniPath(), "; mine\r\n[OPTION]\r\nfont bold=TRUE\r\nEXTRA=1\r\n\r\n"
                              "[OTHER]\r\nX=y\r\n");
        Program::LoadSettings();
        QCOMPARE(Program::Settings().FontBold, true);
        Program::Settings().FontItalic = true;
        const Program::SearchHistory history{"now", {"a", "now", "b"}};
        QVERIFY(Program::SaveSettings({1, 2, 3, 4, false, 99}, &history));

        const QByteArray bytes = ReadBytes(IniPath());
        QVERIFY(bytes.startsWith("; mine\r\n[OPTION]\r\nfont bold=True\r\nEXTRA=1\r\nBROWSER="));
        QVERIFY(bytes.contains("\r\n\r\n[OTHER]\r\nX=y\r\n[FORM MAIN]\r\nLEFT=1\r\n"));
        QVERIFY(bytes.contains("HEIGHT=4\r\n"));
        QVERIFY(bytes.indexOf("[SERVER]") > bytes.indexOf("[FORM MAIN]"));

        Program::Settings() = Program::SettingsState();
        Program::LoadSettings();
        QCOMPARE(Program::Settings().FontItalic, true);
        QCOMPARE(Program::Settings().FontBold, true);
        QCOMPARE(Program::Settings().FormHeight, 4);
        const auto loaded = Program::LoadSearchHistory("", false);
        QVERIFY(loaded.has_value());
        QCOMPARE(loaded->current, history.current);
        QCOMPARE(loaded->items, history.items);
        QCOMPARE(Program::SelectedHistoryIndex(*loaded), 1);
    }

    void searchHistory_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("strip");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::newRow("leading comment lines") << QByteArray("//a\r\n//b\r\ncur\r\nx\r\n//y\r\n")
                                               << false << "cur" << QStringList{"x", "//y"} << -1;
        QTest::newRow("strip comments")
            << QByteArray("cur\r\n word // note\r\nhttp://h\r\ncur\r\n") << true << "cur"
            << QStringList{"word", "http:", "cur"} << 2;
        QTest::newRow("only comments")
            << QByteArray("//a\r\n") << false << "" << QStringList{} << -1;
        QTest::newRow("empty entries kept")
            << QByteArray("\r\n\r\nz") << false << "" << QStringList{"", "z"} << 0;
    }
    void searchHistory() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, strip);
        QFETCH(QString, current);
        QFETCH(QStringList, items);
        QFETCH(int, selected);
        const QString path = dir_.path() + "/history.ini";
        WriteBytes(path, bytes);
        const auto h = Program::LoadSearchHistory(path, strip);
        QVERIFY(h.has_value());
        QCOMPARE(h->current, current);
        QCOMPARE(h->items, items);
        QCOMPARE(Program::SelectedHistoryIndex(*h), selected);
    }

    void searchHistoryFile() {
        QVERIFY(!Program::LoadSearchHistory(dir_.path() + "/none.ini", false).has_value());
        const QString path = dir_.path() + "/Data/検索.INI";
        QVERIFY(Program::SaveSearchHistory("", QString::fromUtf8("株"), {"a", ""}));
        QCOMPARE(ReadBytes(path), QString::fromUtf8("株\r\na\r\n\r\n").toUtf8());
    }

    void placement_data() {
        QTest::addColumn<WindowState>("state");
        QTest::addColumn<QList<int>>("current"); // left, top, width, height (twips)
        QTest::addColumn<QList<int>>("wanted");  // -1 = missing
        QTest::addColumn<QList<QRect>>("monitors");
        QTest::addColumn<bool>("move");
        QTest::addColumn<QList<int>>("result");
        QTest::addColumn<bool>("maximize");
        const QList<QRect> one{QRect(0, 0, 1920, 1080)};
        // Extent of one monitor: 28800 x 16200 twips.
        const QList<QRect> two{QRect(0, 0, 1920, 1080), QRect(1920, -200, 1280, 1024)};
        // Extent of two: right edge 3200 px = 48000, bottom edge 1080 px = 16200.
        const QList<int> cur{0, 0, 3000, 2000};
        QTest::newRow("fits") << WindowState::Normal << cur << QList<int>{100, 200, 9600, 7200}
                              << one << true << QList<int>{100, 200, 9600, 7200} << false;
        QTest::newRow("missing values keep current")
            << WindowState::Normal << QList<int>{50, 60, 3000, 2000} << QList<int>{-1, 70, -1, -1}
            << one << true << QList<int>{50, 70, 3000, 2000} << false;
        QTest::newRow("pushed back from right and bottom")
            << WindowState::Normal << cur << QList<int>{25000, 15000, 9600, 7200} << one << true
            << QList<int>{19200, 9000, 9600, 7200} << false;
        QTest::newRow("too big clamped, maximised")
            << WindowState::Normal << cur << QList<int>{500, 500, 40000, 20000} << one << true
            << QList<int>{0, 0, 28800, 16200} << true;
        QTest::newRow("negative becomes zero")
            << WindowState::Normal << cur << QList<int>{-3000, -15, 9600, 7200} << one << true
            << QList<int>{0, 0, 9600, 7200} << false;
        QTest::newRow("exact extent maximised")
            << WindowState::Normal << cur << QList<int>{0, 0, 28800, 16200} << one << true
            << QList<int>{0, 0, 28800, 16200} << true;
        QTest::newRow("second monitor keeps position")
            << WindowState::Normal << cur << QList<int>{30000, 100, 9600, 7200} << two << true
            << QList<int>{30000, 100, 9600, 7200} << false;
        QTest::newRow("beyond second monitor")
            << WindowState::Normal << cur << QList<int>{45000, 100, 9600, 7200} << two << true
            << QList<int>{38400, 100, 9600, 7200} << false;
        QTest::newRow("two monitors wide clamp")
            << WindowState::Normal << cur << QList<int>{0, 0, 60000, 16200} << two << true
            << QList<int>{0, 0, 48000, 16200} << true;
        QTest::newRow("minimised does nothing")
            << WindowState::Minimized << cur << QList<int>{100, 200, 9600, 7200} << one << false
            << QList<int>{} << false;
        QTest::newRow("maximised does nothing")
            << WindowState::Maximized << cur << QList<int>{100, 200, 9600, 7200} << one << false
            << QList<int>{} << false;
    }
    void placement() {
        QFETCH(WindowState, state);
        QFETCH(QList<int>, current);
        QFETCH(QList<int>, wanted);
        QFETCH(QList<QRect>, monitors);
        QFETCH(bool, move);
        QFETCH(QList<int>, result);
        QFETCH(bool, maximize);
        PlacementInput in;
        in.state = state;
        in.left = current[0];
        in.top = current[1];
        in.width = current[2];
        in.height = current[3];
        auto opt = [](int v) { return v == -1 ? std::optional<int>() : std::optional<int>(v); };
        in.newLeft = opt(wanted[0]);
        in.newTop = opt(wanted[1]);
        in.newWidth = opt(wanted[2]);
        in.newHeight = opt(wanted[3]);
        in.monitors = monitors;
        in.screenWidthPx = 1920;
        in.screenHeightPx = 1080;
        const PlacementResult out = Program::ApplyWindowPlacement(in);
        QCOMPARE(out.move, move);
        QCOMPARE(out.maximize, maximize);
        if (move) {
            QCOMPARE((QList<int>{out.left, out.top, out.width, out.height}), result);
        }
    }

    void firstStartIsCentred640x480() {
        Program::LoadSettings();
        // 120 dpi: 12 twips per pixel.
        const double tpp = Program::TwipsPerPixel(120);
        QCOMPARE(tpp, 12.0);
        QCOMPARE(Program::TwipsPerPixel(96), 15.0);
        const auto v = Program::FormMainWithDefaults(Program::Settings(), 1920, 1080, tpp, tpp);
        QCOMPARE(v.width, 640 * 12);
        QCOMPARE(v.height, 480 * 12);
        QCOMPARE(v.left, (1920 - 640) * 12 / 2);
        QCOMPARE(v.top, (1080 - 480) * 12 / 2);

        LoadFrom("[FORM MAIN]\r\nLEFT=0\r\nHEIGHT=5000\r\n");
        const auto w = Program::FormMainWithDefaults(Program::Settings(), 1920, 1080, 15, 15);
        QCOMPARE(w.left, 0);
        QCOMPARE(w.top, (16200 - 7200) / 2);
        QCOMPARE(w.height, 5000);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
