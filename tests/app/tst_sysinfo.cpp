#include "app/SystemInfo.h"

#include <QtTest>

using SystemInfo::VersionRecord;

class TestSysInfo : public QObject {
    Q_OBJECT
private slots:
    void osName_data() {
        QTest::addColumn<QString>("version"); // platform.major.minor
        QTest::addColumn<QString>("servicePack");
        QTest::addColumn<QString>("name");
        auto row = [](const char* version, const char* servicePack, const char* name) {
            QTest::newRow(version) << QString(version) << QString(servicePack) << QString(name);
        };
        row("1.3.99", "", "Windows 3.1");
        row("1.4.50", "", "Windows Unknown");
        row("1.4.90", "", "Windows Me");
        row("1.4.91", "", "Windows Me Later");
        row("2.5.1", "Service Pack 3", "Windows XP Service Pack 3");
        row("2.6.2", "", "Windows 7 Later");
    }
    void osName() {
        QFETCH(QString, version);
        QFETCH(QString, servicePack);
        QFETCH(QString, name);
        const QStringList v = version.split('.');
        QCOMPARE(SystemInfo::GetOsName(
                     VersionRecord{v[0].toInt(), v[1].toInt(), v[2].toInt(), servicePack}),
                 name);
        QCOMPARE(SystemInfo::GetOsName(std::nullopt), QString());
    }

    void desktopProxy_data() {
        QTest::addColumn<QByteArray>("lower");
        QTest::addColumn<QByteArray>("upper");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        auto row = [](const char* tag, const char* lower, const char* upper, const char* address,
                      const char* port) {
            QTest::newRow(tag) << QByteArray(lower) << QByteArray(upper) << QString(address)
                               << QString(port);
        };
        row("url with user", "http://user@host:3128/", "", "host", "3128");
        row("host only", "proxy.local", "", "proxy.local", "");
        row("upper case name", "", "https://big:8000/", "big", "8000");
    }
    void desktopProxy() {
        QFETCH(QByteArray, lower);
        QFETCH(QByteArray, upper);
        QFETCH(QString, address);
        QFETCH(QString, port);
        // An empty variable counts as unset.
        qputenv("http_proxy", lower);
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
