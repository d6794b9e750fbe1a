// Parses the large portal page (300 headlines), the large disclosure page of the older layout
// (1,000 rows) and two disclosure pages of the current layout (100 and 1,000 rows, as the
// simulator serves them) over and over, bytes to records (decoding included), and compares with
// the same extraction done by BeautifulSoup and lxml on the same bytes.

#include "app/AppData.h"
#include "parsers/Yahoo.h"
#include "text/TextCodec.h"

#include "PeerRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

const QString kData = QStringLiteral(TW_TEST_DATA "/parsers/");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Rate {
    double itemsPerSecond = 0;
    double megabytesPerSecond = 0;
    qsizetype itemsPerRun = 0;
};

// Process CPU time, as the peer script measures it: a busy machine skews neither side.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

Rate Measure(const QByteArray& bytes, const std::function<qsizetype(const QString&)>& parse,
             double seconds) {
    qsizetype items = 0, runs = 0;
    const double start = CpuSeconds();
    double elapsed = 0;
    do {
        items += parse(Common::DecodeCp932(bytes));
        ++runs;
        elapsed = CpuSeconds() - start;
    } while (elapsed < seconds);
    return {items / elapsed, bytes.size() * double(runs) / elapsed / 1e6, items / runs};
}

void Print(const char* name, double value, const char* unit) {
    std::printf("%s: %.3f %s\n", name, value, unit);
}

// Pages of the current disclosure layout as the simulator serves them, by name, written to
// folder: always the same bytes (fixed seed and clock). Empty when the simulator fails.
QHash<QString, QString> TodayPages(const QString& folder, const QList<QPair<QString, int>>& rows) {
    QProcess sim;
    sim.start(
        QStringLiteral(TW_FEEDSIM),
        QStringLiteral("--port 0 --tdnet-port 0 --seed 7 --frozen --start 2024-01-05T16:00:00")
            .split(u' '));
    QByteArray out;
    while (sim.waitForStarted(5000) && out.count('\n') < 2 && sim.waitForReadyRead(5000))
        out += sim.readAllStandardOutput();
    QString host;
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith("tdnet "))
            host = QStringLiteral("http://") + QString::fromLatin1(line.mid(6).trimmed());
    }
    QHash<QString, QString> paths;
    QNetworkAccessManager nam;
    for (auto it = rows.begin(); it != rows.end() && !host.isEmpty(); ++it) {
        QNetworkReply* reply = nam.get(QNetworkRequest(
            QUrl(host + QStringLiteral("/inbs/I_list_001_20240105.html?fault=rows:") +
                 QString::number(it->second))));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        const QString path = folder + QLatin1Char('/') + it->first + QStringLiteral(".html");
        QFile file(path);
        if (reply->error() == QNetworkReply::NoError && file.open(QIODevice::WriteOnly) &&
            file.write(reply->readAll()) > 0)
            paths.insert(it->first, path);
        reply->deleteLater();
    }
    sim.kill();
    sim.waitForFinished();
    return paths;
}

// Runs the peer script with the first interpreter that has both modules.
QHash<QString, double> PeerRates(const QString& portal, const QString& tdnet,
                                 const QHash<QString, QString>& today, QString& note) {
    const QString script = QStringLiteral(TW_BENCH_DIR "/peer_parsers.py");
    QStringList arguments = {script, portal, tdnet, QStringLiteral("2")};
    for (auto it = today.begin(); it != today.end(); ++it)
        arguments << it.key() + QLatin1Char('=') + it.value();
    return RunPeer(arguments, note);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir appData;
    Common::SetAppDataFolder(appData.path());
    QDir().mkpath(appData.path() + QStringLiteral("/NewsWord"));
    const QDir words(kData + QStringLiteral("NewsWord"));
    for (const QString& name : words.entryList(QDir::Files))
        QFile::copy(words.filePath(name), appData.path() + QStringLiteral("/NewsWord/") + name);

    const QString portalPath = kData + QStringLiteral("portal_large.sjis.html");
    const QString tdnetPath = kData + QStringLiteral("tdnet_large.sjis.html");
    const QByteArray portal = ReadAll(portalPath);
    const QByteArray tdnet = ReadAll(tdnetPath);
    if (portal.isEmpty() || tdnet.isEmpty()) {
        std::fprintf(stderr, "fixture pages missing under %s\n", qPrintable(kData));
        return 1;
    }

    Yahoo::WordLists wordLists;
    const QString tdnetHost = QStringLiteral("https://tdnet.test");
    const QString portalAddress = QStringLiteral("http://news.test/cp/rtrs?date=20240105");
    const Rate ours1 = Measure(
        portal,
        [&](const QString& page) {
            QString next;
            const auto items = Yahoo::ParseYahooNewsListText(wordLists, page, portalAddress,
                                                             QStringLiteral("ロイター"), next);
            return items ? items->size() : 0;
        },
        2.0);
    const QString tdnetAddress = QStringLiteral("https://tdnet.test/inbs/I_list_001_20240105.html");
    const Rate ours2 = Measure(
        tdnet,
        [&](const QString& page) {
            QString next;
            const auto items = Yahoo::ParseTdnetListText(tdnetHost, page, tdnetAddress, next, 0);
            return items ? items->size() : 0;
        },
        2.0);
    Print("portal_per_s", ours1.itemsPerSecond, "headlines/s");
    Print("portal_mb_per_s", ours1.megabytesPerSecond, "MB/s");
    Print("tdnet_per_s", ours2.itemsPerSecond, "rows/s");
    Print("tdnet_mb_per_s", ours2.megabytesPerSecond, "MB/s");

    const QStringList todayNames = {QStringLiteral("today100"), QStringLiteral("today1000")};
    const QHash<QString, QString> today =
        TodayPages(appData.path(), {{todayNames[0], 100}, {todayNames[1], 1000}});
    QHash<QString, Rate> todayRates;
    for (const QString& name : todayNames) {
        if (!today.contains(name))
            continue;
        const Rate rate = Measure(
            ReadAll(today.value(name)),
            [&](const QString& page) {
                QString next;
                const auto items =
                    Yahoo::ParseTdnetListText(tdnetHost, page, tdnetAddress, next, 0);
                return items ? items->size() : 0;
            },
            2.0);
        todayRates.insert(name, rate);
        Print(qPrintable("tdnet_" + name + "_per_s"), rate.itemsPerSecond, "rows/s");
        Print(qPrintable("tdnet_" + name + "_mb_per_s"), rate.megabytesPerSecond, "MB/s");
        Print(qPrintable("tdnet_" + name + "_items"), double(rate.itemsPerRun), "rows");
    }
    if (today.size() != 2)
        std::printf("note: no pages of the current disclosure layout (feedsim failed)\n");
    std::fflush(stdout);

    QString note;
    const QHash<QString, double> peer = PeerRates(portalPath, tdnetPath, today, note);
    if (peer.isEmpty()) {
        std::printf("note: no peer comparison (%s)\n", qPrintable(note));
        return 0;
    }
    const auto ratio = [&](const char* name, double ours, const char* key) {
        const double theirs = peer.value(QString::fromLatin1(key));
        if (theirs > 0)
            Print(name, ours / theirs, "x");
    };
    ratio("portal_vs_bs4", ours1.itemsPerSecond, "bs4_portal_per_s");
    ratio("portal_vs_lxml", ours1.itemsPerSecond, "lxml_portal_per_s");
    ratio("tdnet_vs_bs4", ours2.itemsPerSecond, "bs4_tdnet_per_s");
    ratio("tdnet_vs_lxml", ours2.itemsPerSecond, "lxml_tdnet_per_s");
    for (const QString& name : todayNames) {
        const Rate rate = todayRates.value(name);
        ratio(qPrintable(QStringLiteral("tdnet_%1_vs_bs4").arg(name)), rate.itemsPerSecond,
              qPrintable(QStringLiteral("bs4_%1_per_s").arg(name)));
        ratio(qPrintable(QStringLiteral("tdnet_%1_vs_lxml").arg(name)), rate.itemsPerSecond,
              qPrintable(QStringLiteral("lxml_%1_per_s").arg(name)));
    }
    return 0;
}
