// Reads generated news feeds of 100 and 1,000 items (RSS 2.0 and Atom, bytes to items, decoding
// included) over and over, and compares with Python's feedparser on the same bytes in the same
// run.

#include "parsers/FeedReader.h"

#include "PeerRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

// Process CPU time, as the peer script measures it: a busy machine skews neither side.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

const char* const kTitles[] = {
    "トヨタ自動車、今期営業益%1％増を見込む",
    "<![CDATA[東証---日経平均は続伸、%1円高]]>",
    "&lt;b&gt;速報&lt;/b&gt; 日経平均、前引けは%1円安",
    "ＮＹ株式＝ダウ反発、%1ドル高 &amp; 利回り低下",
    "&#x30BD;&#x30CB;&#x30FC;、新中期経営計画を発表　第%1期",
};

// A feed as news sites publish them: Japanese titles in several written forms, absolute and
// relative links, a date, a category and an id per item.
QByteArray Generate(bool atom, int items) {
    QString x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    x += atom ? "<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>ニュース</title>\n"
                "<id>urn:bench</id><updated>2024-01-05T09:00:00+09:00</updated>\n"
              : "<rss version=\"2.0\">\n<channel>\n<title>ニュース</title>\n"
                "<link>http://news.test/</link>\n<description>市況</description>\n";
    for (int i = 0; i < items; ++i) {
        const QString title = QString::fromUtf8(kTitles[i % 5]).arg(i + 1);
        const QString link = i % 2 ? QStringLiteral("http://news.test/a/%1.html").arg(i)
                                   : QStringLiteral("/a/%1.html").arg(i);
        const int minute = 9 * 60 + 5 - i % 600;
        const QString hhmm = QStringLiteral("%1:%2")
                                 .arg((minute + 1440) % 1440 / 60, 2, 10, QLatin1Char('0'))
                                 .arg((minute + 1440) % 60, 2, 10, QLatin1Char('0'));
        if (atom) {
            x += "<entry><title type=\"html\">" + title +
                 "</title><link rel=\"alternate\" href=\"" + link +
                 "\"/><id>urn:bench:" + QString::number(i) + "</id><published>2024-01-05T" + hhmm +
                 ":00+09:00</published><updated>2024-01-05T" + hhmm +
                 ":30+09:00</updated><category term=\"市況\"/><summary>本文の要約です。" +
                 QString::number(i) + "</summary></entry>\n";
        } else {
            x += "<item><title>" + title + "</title><link>" + link +
                 "</link><description>本文の要約です。" + QString::number(i) +
                 "</description><category>市況</category><guid isPermaLink=\"false\">bench-" +
                 QString::number(i) + "</guid><pubDate>Fri, 05 Jan 2024 " + hhmm +
                 ":00 +0900</pubDate></item>\n";
        }
    }
    x += atom ? "</feed>\n" : "</channel>\n</rss>\n";
    return x.toUtf8();
}

struct Rate {
    double itemsPerSecond = 0;
    double megabytesPerSecond = 0;
    qsizetype itemsPerRun = 0;
};

Rate Measure(const QByteArray& bytes, double seconds) {
    qsizetype items = 0, runs = 0;
    const double start = CpuSeconds();
    double elapsed = 0;
    do {
        items += Feeds::ParseFeed(bytes, "application/xml", QStringLiteral("http://news.test/feed"))
                     .Items.size();
        ++runs;
        elapsed = CpuSeconds() - start;
    } while (elapsed < seconds);
    return {items / elapsed, bytes.size() * double(runs) / elapsed / 1e6, items / runs};
}

void Print(const QString& name, double value, const char* unit) {
    std::printf("%s: %.3f %s\n", qPrintable(name), value, unit);
}

// Runs the peer script with the first interpreter that has feedparser.
QHash<QString, double> PeerRates(const QStringList& feeds, QString& note) {
    const QStringList arguments =
        QStringList{QStringLiteral(TW_BENCH_DIR "/peer_feeds.py"), QStringLiteral("2")} + feeds;
    return RunPeer(arguments, note);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const struct {
        const char* name;
        bool atom;
        int items;
    } feeds[] = {{"rss100", false, 100},
                 {"rss1000", false, 1000},
                 {"atom100", true, 100},
                 {"atom1000", true, 1000}};
    QStringList files;
    QHash<QString, Rate> ours;
    for (const auto& feed : feeds) {
        const QByteArray bytes = Generate(feed.atom, feed.items);
        const QString path = dir.filePath(QString::fromLatin1(feed.name) + ".xml");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        file.close();
        files << QString::fromLatin1(feed.name) + '=' + path;
        const Rate rate = Measure(bytes, 2.0);
        const QString name = QStringLiteral("feed_") + feed.name;
        Print(name + "_per_s", rate.itemsPerSecond, "items/s");
        Print(name + "_mb_per_s", rate.megabytesPerSecond, "MB/s");
        Print(name + "_items", double(rate.itemsPerRun), "items");
        if (rate.itemsPerRun != feed.items)
            std::printf("note: %s gave %lld items, not %d\n", feed.name,
                        static_cast<long long>(rate.itemsPerRun), feed.items);
        ours.insert(QString::fromLatin1(feed.name), rate);
    }
    std::fflush(stdout);

    QString note;
    const QHash<QString, double> peer = PeerRates(files, note);
    if (peer.isEmpty()) {
        std::printf("note: no peer comparison (%s)\n", qPrintable(note));
        return 0;
    }
    for (const auto& feed : feeds) {
        const QString name = QString::fromLatin1(feed.name);
        const double theirs = peer.value("feedparser_" + name + "_per_s");
        if (theirs > 0)
            Print("feed_" + name + "_vs_feedparser", ours.value(name).itemsPerSecond / theirs, "x");
    }
    return 0;
}
