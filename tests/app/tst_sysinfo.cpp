#include "app/SystemInfo.h"

#include <QtTest>

using SystemInfo::VersionRecord;

class TestSysInfo : public QObject {
    Q_OBJECT
private slots:
    void osName_data() {
        QTest::addColumn<int>("platform");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<QString>("servicePack");
        QTest::addColumn<QString>("name");
        QTest::newRow("3.1") << 1 << 3 << 99 << ""
                             << "Windows 3.1";
        QTest::newRow("95") << 1 << 4 << 0 << ""
                            << "Windows 95";
        QTest::newRow("98") << 1 << 4 << 10 << ""
                            << "Windows 98";
        QTest::newRow("between 98 and Me") << 1 << 4 << 50 << ""
                                           << "Windows Unknown";
        QTest::newRow("Me") << 1 << 4 << 90 << ""
                            << "Windows Me";
        QTest::newRow("past Me") << 1 << 4 << 91 << ""
                                 << "Windows Me Later";
        QTest::newRow("NT 3.51") << 2 << 3 << 51 << ""
                                 << "Windows NT 3.51";
        QTest::newRow("NT 3.50") << 2 << 3 << 50 << ""
                                 << "Windows Me Later";
        QTest::newRow("XP SP3") << 2 << 5 << 1 << "Service Pack 3"
                                << "Windows XP Service Pack 3";
        QTest::newRow("2003") << 2 << 5 << 2 << ""
                              << "Windows Server 2003";
        QTest::newRow("Vista") << 2 << 6 << 0 << ""
                               << "Windows Vista(or 2008)";
        QTest::newRow("7 SP1") << 2 << 6 << 1 << "Service Pack 1"
                               << "Windows 7 Service Pack 1";
        QTest::newRow("6.2") << 2 << 6 << 2 << ""
                             << "Windows 7 Later";
        QTest::newRow("10.0") << 2 << 10 << 0 << ""
                              << "Windows 7 Later";
    }
    void osName() {
        QFETCH(int, platform);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(QString, servicePack);
        QFETCH(QString, name);
        QCOMPARE(SystemInfo::GetOsName(VersionRecord{platform, major, minor, servicePack}), name);
    }

    void noRecordNoName() { QCOMPARE(SystemInfo::GetOsName(std::nullopt), QString()); }

    void desktopProxy_data() {
        QTest::addColumn<QByteArray>("lower");
        QTest::addColumn<QByteArray>("upper");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        QTest::newRow("url with user")
            << QByteArray("http://user@host:3128/") << QByteArray() << "host"
            << "3128";
        QTest::newRow("user and password")
            << QByteArray("http://u:p@10.0.0.1:8080") << QByteArray() << "10.0.0.1"
            << "8080";
        QTest::newRow("host only") << QByteArray("proxy.local") << QByteArray() << "proxy.local"
                                   << "";
        QTest::newRow("upper case name") << QByteArray() << QByteArray("https://big:8000/") << "big"
                                         << "8000";
        QTest::newRow("lower case wins") << QByteArray("small:1") << QByteArray("big:2") << "small"
                                         << "1";
    }
    void desktopProxy() {
        QFETCH(QByteArray, lower);
        QFETCH(QByteArray, upper);
        QFETCH(QString, address);
        QFETCH(QString, port);
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        if (!lower.isEmpty())
            qputenv("http_proxy", lower);
        if (!upper.isEmpty())
            qputenv("HTTP_PROXY", upper);
        const SystemInfo::DesktopProxy proxy = SystemInfo::ProxyFromDesktop();
        QVERIFY(proxy.enabled);
        QString gotAddress = "x", gotPort = "x";
        SystemInfo::SplitProxyServer(proxy.server, gotAddress, gotPort);
        QCOMPARE(gotAddress, address);
        QCOMPARE(gotPort, port);
    }
};

QTEST_GUILESS_MAIN(TestSysInfo)
#include "tst_sysinfo.moc"
