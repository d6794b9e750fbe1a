// The simulator's news feeds read by the program's feed reader over real HTTP: every format in
// every encoding gives the same headlines, conditional requests get 304 until new headlines
// arrive, and the feed faults break what they should.

#include "../fetch/support_feedsim.h"
#include "parsers/FeedReader.h"
#include "text/Dates.h"

#include <QLocale>
#include <QTest>
#include <QTimeZone>
#include <memory>

namespace {

struct Reply {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
    QByteArray etag;
    QByteArray lastModified;
};

Reply Get(const QString& url, const QList<QPair<QByteArray, QByteArray>>& headers = {}) {
    static QNetworkAccessManager nam;
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(10000);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    std::unique_ptr<QNetworkReply> reply(nam.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Reply r;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.body = reply->readAll();
    r.contentType = reply->rawHeader("Content-Type");
    r.etag = reply->rawHeader("ETag");
    r.lastModified = reply->rawHeader("Last-Modified");
    return r;
}

Feeds::FeedParse Read(const QString& url, Reply* out = nullptr) {
    const Reply r = Get(url);
    if (out)
        *out = r;
    return Feeds::ParseFeed(r.body, r.contentType, url);
}

// What a headline amounts to, whatever the format: title, link, date as shown, category.
QStringList Summary(const Feeds::FeedParse& parse) {
    QStringList lines;
    for (const Feeds::FeedItem& item : parse.Items)
        lines << item.Title + " | " + item.Link + " | " + Dates::DateTimeText(item.Posted) + " | " +
                     item.Category;
    return lines;
}

QStringList Frozen() {
    return {"--seed", "7", "--frozen", "--start", "2024-01-05T10:00:00"};
}

} // namespace

class TestFeedsimFeeds : public QObject {
    Q_OBJECT

    FeedsimProcess sim_;
    QStringList reference_;

private slots:
    void initTestCase() {
        QVERIFY2(sim_.Start(Frozen()), "feedsim did not report its ports");
        const Feeds::FeedParse parse = Read(sim_.Portal() + "/feeds/rss2/reu.xml?n=12");
        QCOMPARE(parse.Fault, QString());
        reference_ = Summary(parse);
    }

    // The RSS 2.0 reading itself: plain titles, absolute links to articles, local dates, newest
    // first, the first one at the feed's Last-Modified time.
    void referenceFeed() {
        Reply reply;
        const Feeds::FeedParse parse = Read(sim_.Portal() + "/feeds/rss2/reu.xml?n=12", &reply);
        QCOMPARE(parse.Format, Feeds::FeedFormat::Rss2);
        QCOMPARE(parse.Items.size(), 12);
        double previous = 1e9;
        for (const Feeds::FeedItem& item : parse.Items) {
            QVERIFY2(!item.Title.isEmpty() && !item.Title.contains('<') &&
                         !item.Title.contains("&#") && !item.Title.contains('\n'),
                     qPrintable(item.Title));
            QVERIFY2(item.Link.startsWith(sim_.Portal() + "/p/2024010"), qPrintable(item.Link));
            QVERIFY(item.Link.endsWith("-reu") && item.Guid.endsWith("-reu"));
            QVERIFY(item.Posted > 0 && item.Posted <= previous);
            previous = item.Posted;
        }
        // Nothing after the simulated now (10:00), and yesterday's fill the rest when needed.
        QVERIFY(parse.Items.first().Posted <=
                Dates::ToOle(QDateTime(QDate(2024, 1, 5), QTime(10, 0))));
        QDateTime modified = QLocale::c().toDateTime(
            QString::fromLatin1(reply.lastModified).remove(" GMT"), "ddd, dd MMM yyyy HH:mm:ss");
        modified.setTimeZone(QTimeZone::utc());
        QCOMPARE(parse.Items.first().Posted, Dates::ToOle(modified));
    }

    void formatsAndEncodings_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("format");
        for (const char* format : {"rss2", "rss1", "atom"}) {
            for (const char* enc : {"utf8", "sjis", "eucjp", "iso2022jp"}) {
                const int kind = QByteArray(format) == "rss2"   ? int(Feeds::FeedFormat::Rss2)
                                 : QByteArray(format) == "rss1" ? int(Feeds::FeedFormat::Rss1)
                                                                : int(Feeds::FeedFormat::Atom);
                QTest::addRow("%s %s", format, enc)
                    << QStringLiteral("/feeds/%1/reu.xml?n=12&enc=%2").arg(format, enc) << kind;
            }
            QTest::addRow("%s sjis by declaration only", format)
                << QStringLiteral("/feeds/%1/reu.xml?n=12&enc=sjis&charset=decl").arg(format)
                << (QByteArray(format) == "rss2"   ? int(Feeds::FeedFormat::Rss2)
                    : QByteArray(format) == "rss1" ? int(Feeds::FeedFormat::Rss1)
                                                   : int(Feeds::FeedFormat::Atom));
        }
    }
    void formatsAndEncodings() {
        QFETCH(QString, query);
        QFETCH(int, format);
        Reply reply;
        const Feeds::FeedParse parse = Read(sim_.Portal() + query, &reply);
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.contentType.contains("charset="), !query.contains("charset=decl"));
        // Only a UTF-8 feed carries UTF-8 bytes.
        QCOMPARE(reply.body.contains("東証"), query.contains("enc=utf8"));
        QCOMPARE(int(parse.Format), format);
        QCOMPARE(parse.Fault, QString());
        QCOMPARE(Summary(parse), reference_);
    }

    void faults_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("faulty");
        QTest::addColumn<bool>("dated");
        QTest::newRow("malformed")
            << "/feeds/atom/reu.xml?n=12&fault=malformed" << 3 << true << true;
        QTest::newRow("bad dates")
            << "/feeds/rss1/reu.xml?n=12&fault=baddate" << 12 << false << false;
        QTest::newRow("truncated")
            << "/feeds/rss2/reu.xml?n=12&fault=truncate" << -1 << true << true;
        QTest::newRow("server error") << "/feeds/rss2/reu.xml?fault=500" << 0 << true << true;
    }
    void faults() {
        QFETCH(QString, query);
        QFETCH(int, items);
        QFETCH(bool, faulty);
        QFETCH(bool, dated);
        const Feeds::FeedParse parse = Read(sim_.Portal() + query);
        QCOMPARE(parse.Fault.isEmpty(), !faulty);
        if (items >= 0)
            QCOMPARE(parse.Items.size(), items);
        else
            QVERIFY(parse.Items.size() > 0 && parse.Items.size() < 12);
        for (qsizetype i = 0; i < parse.Items.size(); ++i) {
            QCOMPARE(parse.Items.at(i).Title, reference_.at(i).section(" | ", 0, 0));
            QCOMPARE(parse.Items.at(i).Posted > 0, dated);
        }
    }

    // A server that names one charset and sends another: the titles still read right.
    void wrongEncoding() {
        const QString query = "/feeds/rss2/reu.xml?n=12&enc=sjis&fault=wrongenc";
        const Reply reply = Get(sim_.Portal() + query);
        QVERIFY(reply.contentType.endsWith("charset=Shift_JIS"));
        const Feeds::FeedParse parse =
            Feeds::ParseFeed(reply.body, reply.contentType, sim_.Portal() + query);
        QCOMPARE(Summary(parse), reference_);
        // Random bytes under a feed's name: no feed, and a reason.
        const Feeds::FeedParse noise =
            Read(sim_.Portal() + "/feeds/rss2/reu.xml?fault=wrongenc:random");
        QVERIFY(noise.Items.isEmpty() && !noise.Fault.isEmpty());
    }

    void unknownFeeds() {
        QCOMPARE(Get(sim_.Portal() + "/feeds/rss3/reu.xml").status, 404);
        QCOMPARE(Get(sim_.Portal() + "/feeds/rss2/nosuch.xml").status, 404);
        QCOMPARE(Get(sim_.Portal() + "/feeds/rss2/reu.xml?enc=latin9").status, 400);
    }

    // 304 while nothing is new, by tag or by date; new headlines change both.
    void conditionalRequests() {
        FeedsimProcess sim;
        QVERIFY(sim.Start(Frozen()));
        const QString url = sim.Portal() + "/feeds/atom/jijf.xml";
        const Reply first = Get(url);
        QCOMPARE(first.status, 200);
        QVERIFY(first.etag.startsWith('"') && !first.lastModified.isEmpty());
        QCOMPARE(Get(url, {{"If-None-Match", first.etag}}).status, 304);
        QCOMPARE(Get(url, {{"If-None-Match", "\"other\", " + first.etag}}).status, 304);
        QCOMPARE(Get(url, {{"If-None-Match", "\"other\""}}).status, 200);
        QCOMPARE(Get(url, {{"If-Modified-Since", first.lastModified}}).status, 304);
        QCOMPARE(Get(url, {{"If-Modified-Since", "Thu, 04 Jan 2024 00:00:00 GMT"}}).status, 200);
        // The tag belongs to the bytes: another encoding is another tag.
        QVERIFY(Get(url + "?enc=eucjp").etag != first.etag);
        const Reply notModified = Get(url, {{"If-None-Match", first.etag}});
        QVERIFY(notModified.body.isEmpty());
        QCOMPARE(notModified.etag, first.etag);

        const QStringList before = Summary(Feeds::ParseFeed(first.body, first.contentType, url));
        QCOMPARE(sim.Control("/_feedsim/advance?minutes=90"), QByteArray("2024-01-05T11:30:00\n"));
        const Reply later = Get(url, {{"If-None-Match", first.etag}});
        QCOMPARE(later.status, 200);
        QVERIFY(later.etag != first.etag && later.lastModified != first.lastModified);
        const QStringList after = Summary(Feeds::ParseFeed(later.body, later.contentType, url));
        // The older headlines moved down behind the new ones.
        const qsizetype moved = after.indexOf(before.first());
        QVERIFY2(moved > 0, qPrintable(after.join('\n')));
        QCOMPARE(after.mid(moved), before.first(before.size() - moved));
        QCOMPARE(Get(url, {{"If-Modified-Since", later.lastModified}}).status, 304);
    }
};

QTEST_GUILESS_MAIN(TestFeedsimFeeds)
#include "tst_feedsimfeeds.moc"
