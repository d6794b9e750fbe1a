// Downloads against a real server on 127.0.0.1.

#include "support_httpserver.h"
#include "web/clsWEB.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// OLE date computed independently of the program's own date code.
double Ole(int y, int mo, int d, int h, int mi, int s) {
    return QDate(1899, 12, 30).daysTo(QDate(y, mo, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
}

class CursorRecorder : public Ports::HeadlessMainWindow {
public:
    void SetWaitCursor(bool on) override {
        calls.append(on);
        HeadlessMainWindow::SetWaitCursor(on);
    }
    QList<bool> calls;
};

} // namespace

class TestDownload : public QObject {
    Q_OBJECT
private slots:

    void failures_data() {
        QTest::addColumn<CannedResponse>("response");
        QTest::addColumn<QString>("url"); // empty: the server's /x
        QTest::addColumn<int>("withinMs");
        const CannedResponse ok{.body = "fine"};
        QTest::newRow("500") << CannedResponse{.status = 500, .reason = "Error", .body = "oops"}
                             << QString() << 5000;
        QTest::newRow("connection dropped") << CannedResponse{.drop = true} << QString() << 5000;
        // Announced as too big and then left hanging: only the announcement can end it early.
        QTest::newRow("40 MiB announced") << CannedResponse{.body = "small",
                                                            .announcedLength = 40LL * 1024 * 1024,
                                                            .keepOpen = true}
                                          << QString() << 3000;
        QTest::newRow("not http") << ok << QStringLiteral("ftp://127.0.0.1/x") << 1000;
        QTest::newRow("no address") << ok << QStringLiteral("nonsense") << 1000;
        QTest::newRow("empty address") << ok << QString("") << 1000;
    }
    void failures() {
        QFETCH(CannedResponse, response);
        QFETCH(QString, url);
        QFETCH(int, withinMs);
        TestHttpServer server;
        server.Serve("/x", response);
        clsWEB web;
        QElapsedTimer clock;
        clock.start();
        const QByteArray data =
            web.Download(url.isNull() ? server.Url("/x") : url, QString(), false, 10);
        QVERIFY2(data.isEmpty(), data.left(40).constData());
        QVERIFY2(clock.elapsed() < withinMs, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!web.StillExecuting());
    }

    void timeOutAndCancelEndTheWait() {
        TestHttpServer server;
        server.Serve("/slow", CannedResponse{.neverAnswer = true});
        clsWEB web;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(web.Download(server.Url("/slow"), QString(), false, 1).isEmpty());
        QVERIFY2(clock.elapsed() >= 900 && clock.elapsed() < 2500,
                 qPrintable(QString::number(clock.elapsed())));
        QTimer::singleShot(150, [&] { web.Cancel(); });
        clock.restart();
        QVERIFY(web.Download(server.Url("/slow"), QString(), false, 10).isEmpty());
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        // The object is usable again afterwards; bytes arrive as sent.
        const QByteArray bytes("\x93\xFA\x96\x7B\r\n\0tail", 10);
        server.Serve("/ok", bytes);
        QCOMPARE(web.Download(server.Url("/ok")), bytes);
    }

    void redirects_data() {
        QTest::addColumn<int>("hops");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("five") << 5 << QByteArray("landed");
        QTest::newRow("six") << 6 << QByteArray();
    }

    void redirects() {
        QFETCH(int, hops);
        QFETCH(QByteArray, expected);
        TestHttpServer server;
        for (int i = 0; i < hops; ++i) {
            server.Serve(
                QStringLiteral("/hop%1").arg(i),
                CannedResponse{302, "Found", {{"Location", "/hop" + QByteArray::number(i + 1)}}});
        }
        server.Serve(QStringLiteral("/hop%1").arg(hops), QByteArray("landed"));
        clsWEB web;
        QCOMPARE(web.Download(server.Url("/hop0")), expected);
    }

    void secondRequestWhileBusy() {
        TestHttpServer server;
        server.Serve("/slow", CannedResponse{.body = "first", .delayMs = 800});
        server.Serve("/fast", QByteArray("second"));
        clsWEB web;
        bool ran = false, busy = false;
        QByteArray inner = "unset";
        double innerDate = -1;
        qint64 innerMs = -1;
        QTimer::singleShot(100, [&] {
            ran = true;
            busy = web.StillExecuting();
            QElapsedTimer clock;
            clock.start();
            inner = web.Download(server.Url("/fast"));
            inner += web.DownLoadTDNet(server.Url("/fast"), innerDate);
            innerMs = clock.elapsed();
        });
        QCOMPARE(web.Download(server.Url("/slow")), QByteArray("first"));
        QVERIFY(ran);
        QVERIFY(busy);
        QCOMPARE(inner, QByteArray());
        QCOMPARE(innerDate, -1.0); // untouched
        QVERIFY2(innerMs < 100, qPrintable(QString::number(innerMs)));
        QCOMPARE(server.RequestLines().size(), 1);
    }

    void eventsKeepTurning() {
        TestHttpServer server;
        server.Serve("/late", CannedResponse{.body = "late", .delayMs = 800});
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        clsWEB web;
        QCOMPARE(web.Download(server.Url("/late")), QByteArray("late"));
        // About eighty at best; a blocked thread would give none.
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    }

    void proxyReachesTheWire() {
        TestHttpServer proxy;
        proxy.Serve("/news/page.html", QByteArray("via proxy"));
        clsWEB web;
        web.Proxy = QStringLiteral("127.0.0.1:%1").arg(proxy.Port());
        QCOMPARE(web.Download("http://news.example.invalid/news/page.html"),
                 QByteArray("via proxy"));
        QCOMPARE(proxy.RequestLines(),
                 QStringList{"GET http://news.example.invalid/news/page.html HTTP/1.1"});
        // An empty proxy goes direct again.
        TestHttpServer site;
        site.Serve("/p", QByteArray("direct"));
        web.Proxy.clear();
        QCOMPARE(web.Download(site.Url("/p")), QByteArray("direct"));
        QCOMPARE(site.RequestLines(), QStringList{"GET /p HTTP/1.1"});
        QCOMPARE(proxy.RequestLines().size(), 1);
    }

    void disclosureIsAlwaysDirect() {
        TestHttpServer proxy, site;
        proxy.Serve("*", QByteArray("via proxy"));
        site.Serve("/inbs/list.html", QByteArray("direct"));
        clsWEB web;
        web.Proxy = QStringLiteral("127.0.0.1:%1").arg(proxy.Port());
        double modified = -1;
        QCOMPARE(web.DownLoadTDNet(site.Url("/inbs/list.html"), modified), QByteArray("direct"));
        QVERIFY(proxy.RequestLines().isEmpty());
        QCOMPARE(site.RequestLines(), QStringList{"GET /inbs/list.html HTTP/1.1"});
    }

    void lastModified_data() {
        QTest::addColumn<QByteArray>("header"); // empty: not sent
        QTest::addColumn<double>("expected");
        QTest::newRow("next day in Japan")
            << QByteArray("Sun, 31 Dec 2023 20:00:00 GMT") << Ole(2024, 1, 1, 5, 0, 0);
        QTest::newRow("leap day") << QByteArray("Thu, 29 Feb 2024 00:00:01 GMT")
                                  << Ole(2024, 2, 29, 9, 0, 1);
        QTest::newRow("missing") << QByteArray() << 0.0;
        QTest::newRow("bad day") << QByteArray("Tue, 31 Feb 1994 12:45:26 GMT") << 0.0;
    }

    void lastModified() {
        QFETCH(QByteArray, header);
        QFETCH(double, expected);
        TestHttpServer server;
        QList<QPair<QByteArray, QByteArray>> headers;
        if (!header.isEmpty())
            headers.append({"Last-Modified", header});
        server.Serve("/inbs/I_list_001_20240105.html", QByteArray("<html></html>"), headers);
        clsWEB web;
        double modified = -1;
        QCOMPARE(web.DownLoadTDNet(server.Url("/inbs/I_list_001_20240105.html"), modified),
                 QByteArray("<html></html>"));
        QVERIFY2(qAbs(modified - expected) < 0.5 / 86400,
                 qPrintable(QString::number(modified, 'f', 8)));
    }

    void saveFile_data() {
        QTest::addColumn<QString>("name"); // in a fresh folder
        QTest::addColumn<int>("padTo");    // > 0: base padded so that folder + base has this length
        QTest::addColumn<QString>(
            "writtenAs"); // "": the same name; "cut": folder + base cut to 128
        QTest::newRow("japanese") << QStringLiteral("決算.htm") << 0 << QString();
        QTest::newRow("folder and base over 128") << QStringLiteral(".html") << 140 << "cut";
    }

    void saveFile() {
        QFETCH(QString, name);
        QFETCH(int, padTo);
        QFETCH(QString, writtenAs);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path() + u'/';
        const QString base = padTo > 0 ? QString(padTo - folder.size(), u'b') : QString();
        const QString saveAs = folder + base + name;
        QString expectedPath = saveAs;
        if (writtenAs == "cut") {
            expectedPath = folder + base.left(128 - folder.size()) + name;
            QCOMPARE(expectedPath.size(), 128 + name.size());
        }
        TestHttpServer server;
        const QByteArray bytes("\x93\xFA\x96\x7B\r\n\0tail", 10);
        server.Serve("/f", bytes);
        clsWEB web;
        QCOMPARE(web.Download(server.Url("/f"), saveAs), bytes);
        QFile file(expectedPath);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(expectedPath));
        QCOMPARE(file.readAll(), bytes);
    }

    void hourglassRestored_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("arrives");
        QTest::newRow("page") << QStringLiteral("/ok") << true;
        QTest::newRow("nothing") << QStringLiteral("/missing") << false;
    }

    void hourglassRestored() {
        QFETCH(QString, path);
        QFETCH(bool, arrives);
        TestHttpServer server;
        server.Serve("/ok", QByteArray("x"));
        CursorRecorder window;
        Ports::SetMainWindow(&window);
        clsWEB web;
        QCOMPARE(web.Download(server.Url(path), QString(), true).isEmpty(), !arrives);
        Ports::SetMainWindow(nullptr);
        QCOMPARE(window.calls, (QList<bool>{true, false}));
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
