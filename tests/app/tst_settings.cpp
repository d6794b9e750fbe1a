#include "FileBytes.h"
#include "app/AppData.h"
#include "app/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Program::WindowState;
Q_DECLARE_METATYPE(WindowState)

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    Program::SettingsState settings_;

    QString Ini() const { return dir_.path() + "/SYSTEM.INI"; }

private slots:
    void initTestCase() { Common::SetAppDataFolder(dir_.path()); }
    void init() { QFile::remove(Ini()); }

    void defaultsAreLoadedAndSavedInOrder() {
        auto& s = settings_;
        s.FormLeft = 5; // whatever an earlier load left must go
        s.DispVip = s.FontBold = false;
        s.FontName = s.Site = "x";
        Program::LoadSettings(settings_);
        QCOMPARE((QList<int>{s.FormLeft, s.FormTop, s.FormWidth, s.FormHeight}),
                 (QList<int>{-1, -1, -1, -1}));

        QVERIFY(Program::SaveSettings(settings_, {100, -200, 9600, 600, true, 7200}));
        QByteArray expected =
            "[FORM MAIN]\r\nLEFT=100\r\nTOP=-200\r\nWIDTH=9600\r\nHEIGHT=7200\r\n"
            "MAXIMIZED=False\r\n[OPTION]\r\nBROWSER=\r\nSOUND=\r\nDISP VIP=True\r\n"
            "DONT FORWARD=False\r\nQUICK START=False\r\nFROM TRAY=False\r\n"
            "VIEWER POSITION=1\r\nFONT NAME=MS UI Gothic\r\nFONT SIZE=9\r\n"
            "FONT BOLD=False\r\nFONT ITALIC=False\r\nPROXY USE=False\r\n"
            "PROXY ADDRESS=\r\nPROXY PORT=\r\n";
        for (int n = 0; n < 13; ++n)
            expected += "SEARCH WORD " + QByteArray::number(n) + "=\r\n";
        expected += "LOCK SEARCH IN PATROL=False\r\n";
        expected += "LAST VERSION=\r\nSHOW VERSION AT START=False\r\n";
        expected += "WATCH WORD=\r\nNOTIFY ALL NEWS=False\r\nRAISE ONLY WATCH=False\r\n"
                    "SOUND ONLY WATCH=False\r\nWATCH SOUND=\r\n";
        expected += "KEEP DAYS=0\r\n";
        expected += "[SERVER]\r\nNEWS HOST=http://headlines.yahoo.co.jp\r\n"
                    "TDNET HOST=https://www.release.tdnet.info\r\n"
                    "BOARD HOST=http://messages.finance.yahoo.co.jp\r\n"
                    "VIP HOST=https://finance.yahoo.co.jp\r\nSITE=\r\n"
                    // A settings file the program makes itself starts with two feeds.
                    "[FEEDS]\r\nNAME 0=NHK ニュース 経済\r\n"
                    "URL 0=https://www.nhk.or.jp/rss/news/cat5.xml\r\nENABLED 0=True\r\n"
                    "NAME 1=Yahoo!ニュース 経済\r\n"
                    "URL 1=https://news.yahoo.co.jp/rss/topics/business.xml\r\n"
                    "ENABLED 1=True\r\n";
        QCOMPARE(ReadBytes(Ini()), expected);
    }

    // Feeds are read by their numbers, saved renumbered from 0, and a removed feed's keys go.
    void feeds() {
        WriteBytes(Ini(), "[OPTION]\r\nSOUND=\r\n[FEEDS]\r\nURL 0= http://a.test/rss \r\n"
                          "NAME 0=Ａ通信\r\nENABLED 0=false\r\nURL 2=http://c.test/atom\r\n"
                          "URL 5=\r\nNAME 5=空\r\nURL 99=http://z.test/\r\nNAME 99=Z\r\n"
                          "ENABLED 99=yes\r\nURL 100=http://beyond.test/\r\n");
        Program::LoadSettings(settings_);
        using Feed = Program::FeedSource;
        QCOMPARE(settings_.Feeds, (QList<Feed>{{"Ａ通信", "http://a.test/rss", false},
                                               {"http://c.test/atom", "http://c.test/atom", true},
                                               {"Z", "http://z.test/", true}}));
        settings_.Feeds.removeAt(1);
        QVERIFY(Program::SaveSettings(settings_, {}));
        const QByteArray bytes = ReadBytes(Ini());
        // Keys already in the file keep their lines; the rest follow in the section.
        for (const char* line :
             {"\nURL 0=http://a.test/rss\r", "\nNAME 0=Ａ通信\r", "\nENABLED 0=False\r",
              "\nNAME 1=Z\r", "\nURL 1=http://z.test/\r", "\nENABLED 1=True\r"})
            QVERIFY2(bytes.contains(line), line);
        for (const char* gone : {"URL 2=", "URL 99=", "NAME 99=", "ENABLED 99="})
            QVERIFY2(!bytes.contains(gone), gone);
        Program::SettingsState again;
        Program::LoadSettings(again);
        QCOMPARE(again.Feeds, settings_.Feeds);
        // An existing file without the section has no feeds: an update adds none by itself.
        WriteBytes(Ini(), "[OPTION]\r\nSOUND=\r\n");
        Program::LoadSettings(again);
        QVERIFY(again.Feeds.isEmpty());
    }

    // A value as read, seen through what the next save writes.
    void conversions_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("saved");
        const std::tuple<const char*, const char*, const char*> rows[] = {
            {"font size raised", "FONT SIZE=4", "FONT SIZE=6"},
            {"font size kept", "FONT SIZE= 10.5", "FONT SIZE=10.5"},
            {"bool any case", "FONT BOLD=tRUE", "FONT BOLD=True"},
            {"bool text keeps default", "DISP VIP=yes", "DISP VIP=True"},
            {"viewer position", "VIEWER POSITION=2.5", "VIEWER POSITION=2"},
            {"keep days", "KEEP DAYS=30", "KEEP DAYS=30\r\n"},
            {"keep days negative keeps all", "KEEP DAYS=-3", "KEEP DAYS=0\r\n"},
            {"keep days unreadable keeps all", "KEEP DAYS=a week", "KEEP DAYS=0\r\n"},
            {"search word", "SEARCH WORD 12= T and 決算 ", "SEARCH WORD 12=T and 決算\r\n"},
            {"watch word", "WATCH WORD=7203|(決算&上方修正)",
             "WATCH WORD=7203|(決算&上方修正)\r\n"},
            {"watch switch", "SOUND ONLY WATCH=true", "SOUND ONLY WATCH=True"},
            {"host slash removed", "[SERVER]\r\nNEWS HOST=http://127.0.0.1:8001/",
             "NEWS HOST=http://127.0.0.1:8001\r\n"},
            {"empty host is the default",
             "[SERVER]\r\nVIP HOST=", "VIP HOST=https://finance.yahoo.co.jp"},
        };
        for (const auto& [name, line, saved] : rows)
            QTest::newRow(name) << QByteArray(line) << QByteArray(saved);
        // Start-up reads as ReadIni does: at most 1023 characters.
        const QByteArray long1500(1500, 'w'), cut(1023, 'w');
        QTest::newRow("long search word cut")
            << "SEARCH WORD 3=" + long1500 << "SEARCH WORD 3=" + cut + "\r\n";
        QTest::newRow("long host cut") << "[SERVER]\r\nSITE=http://" + long1500
                                       << "SITE=http://" + QByteArray(1023 - 7, 'w') + "\r\n";
    }
    void conversions() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, saved);
        WriteBytes(Ini(), "[OPTION]\r\n" + line + "\r\n");
        Program::LoadSettings(settings_);
        QVERIFY(Program::SaveSettings(settings_, {}));
        QVERIFY2(ReadBytes(Ini()).contains(saved), ReadBytes(Ini()).constData());
    }

    void saveKeepsUnknownLinesAndWritesHistory() {
        WriteBytes(Ini(), "; mine\r\n[OTHER]\r\nX=y\r\n\r\n[OPTION]\r\nEXTRA=1\r\n");
        Program::LoadSettings(settings_);
        const Program::SearchHistory history{"now", {"a", "now"}};
        QVERIFY(Program::SaveSettings(settings_, {1, 2, 3, 4, false, 99}, &history));
        const QByteArray bytes = ReadBytes(Ini());
        QVERIFY(
            bytes.startsWith("; mine\r\n[OTHER]\r\nX=y\r\n\r\n[OPTION]\r\nEXTRA=1\r\nBROWSER="));
        QVERIFY(bytes.contains("[FORM MAIN]\r\nLEFT=1\r\nTOP=2\r\nWIDTH=3\r\nHEIGHT=4\r\n"));
        // A maximised window keeps the size it restores to, and says it was maximised.
        QVERIFY(Program::SaveSettings(settings_, {1, 2, 3, 4, false, 0, true}));
        QVERIFY(ReadBytes(Ini()).contains("HEIGHT=4\r\nMAXIMIZED=True\r\n"));
        Program::LoadSettings(settings_);
        QVERIFY(settings_.FormMaximized);
        QCOMPARE(settings_.FormHeight, 4);
        QCOMPARE(ReadBytes(dir_.path() + "/Data/検索.INI"), QByteArray("now\r\na\r\nnow\r\n"));
    }

    void searchHistory_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("strip");
        QTest::addColumn<QStringList>("expected"); // current, then the list
        QTest::addColumn<int>("selected");
        QTest::newRow("leading comments") << QByteArray("//a\r\n//b\r\ncur\r\n//y\r\ncur\r\n")
                                          << false << QStringList{"cur", "//y", "cur"} << 1;
        QTest::newRow("strip comments") << QByteArray("c\r\n w // n\r\nhttp://h\r\n") << true
                                        << QStringList{"c", "w", "http:"} << -1;
    }
    void searchHistory() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, strip);
        QFETCH(QStringList, expected);
        QFETCH(int, selected);
        WriteBytes(dir_.path() + "/h.ini", bytes);
        const auto h = Program::LoadSearchHistory(dir_.path() + "/h.ini", strip);
        QVERIFY(h.has_value());
        QCOMPARE(QStringList{h->current} + h->items, expected);
        QCOMPARE(Program::SelectedHistoryIndex(*h), selected);
        QVERIFY(!Program::LoadSearchHistory(dir_.path() + "/none.ini", false).has_value());
    }

    void placement_data() {
        QTest::addColumn<WindowState>("state");
        QTest::addColumn<QList<int>>("wanted"); // left top width height, -1 = missing
        QTest::addColumn<int>("monitors");
        QTest::addColumn<QList<int>>("result"); // empty = no move; a fifth 1 = maximised
        // One monitor: 28800 x 16200 twips. Two: right edge 3200 px, bottom edge 1080 px.
        const auto normal = WindowState::Normal;
        QTest::newRow("missing keeps current")
            << normal << QList{-1, 70, -1, -1} << 1 << QList{50, 70, 3000, 2000, 0};
        QTest::newRow("clamped and maximised")
            << normal << QList{500, 5, 40000, 20000} << 1 << QList{0, 0, 28800, 16200, 1};
        QTest::newRow("beyond the second")
            << normal << QList{45000, 100, 9600, 7200} << 2 << QList{38400, 100, 9600, 7200, 0};
        QTest::newRow("both monitors maximised")
            << normal << QList{0, 0, 60000, 16200} << 2 << QList{0, 0, 48000, 16200, 1};
        QTest::newRow("minimised")
            << WindowState::Minimized << QList{1, 1, 1, 1} << 1 << QList<int>{};
    }
    void placement() {
        QFETCH(WindowState, state);
        QFETCH(QList<int>, wanted);
        QFETCH(int, monitors);
        QFETCH(QList<int>, result);
        auto opt = [](int v) { return v == -1 ? std::optional<int>() : std::optional<int>(v); };
        Program::PlacementInput in;
        std::tie(in.state, in.left, in.top, in.width, in.height) =
            std::tuple(state, 50, 60, 3000, 2000);
        std::tie(in.newLeft, in.newTop, in.newWidth, in.newHeight) =
            std::tuple(opt(wanted[0]), opt(wanted[1]), opt(wanted[2]), opt(wanted[3]));
        in.monitors = {QRect(0, 0, 1920, 1080)};
        if (monitors == 2)
            in.monitors.append(QRect(1920, -200, 1280, 1024));
        std::tie(in.screenWidthPx, in.screenHeightPx) = std::tuple(1920, 1080);
        const auto out = Program::ApplyWindowPlacement(in);
        QCOMPARE(out.move, !result.isEmpty());
        if (out.move)
            QCOMPARE((QList<int>{out.left, out.top, out.width, out.height, out.maximize}), result);
    }

    void firstStartIsCentred640x480() {
        Program::LoadSettings(settings_);
        const double tpp = Program::TwipsPerPixel(120);
        QCOMPARE(tpp, 12.0);
        const auto v = Program::FormMainWithDefaults(settings_, 1920, 1080, tpp, tpp);
        QCOMPARE((QList<int>{v.left, v.top, v.width, v.height}),
                 (QList<int>{640 * 12, 300 * 12, 640 * 12, 480 * 12}));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
