// Runs the feedsim binary on free ports and reads its pages over real HTTP.

#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <unicode/ucnv.h>

namespace {

struct Fetched {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
    QByteArray lastModified;
};

class Sim {
public:
    explicit Sim(QStringList args) {
        args += QStringList{"--port", "0", "--tdnet-port", "0"};
        proc_.start(QStringLiteral(TW_FEEDSIM), args);
        QByteArray out;
        while (out.count('\n') < 2 && proc_.waitForReadyRead(5000))
            out += proc_.readAllStandardOutput();
        const auto m = QRegularExpression("portal 127.0.0.1:(\\d+)\ntdnet 127.0.0.1:(\\d+)\n")
                           .match(QString::fromLatin1(out));
        if (m.hasMatch()) {
            portal = "http://127.0.0.1:" + m.captured(1);
            tdnet = "http://127.0.0.1:" + m.captured(2);
        }
    }
    ~Sim() {
        proc_.kill();
        proc_.waitForFinished(3000);
    }
    bool Ok() const { return !portal.isEmpty(); }

    QString portal;
    QString tdnet;

private:
    QProcess proc_;
};

Fetched Get(const QString& url) {
    static QNetworkAccessManager nam;
    QNetworkRequest req{QUrl(url)};
    req.setTransferTimeout(10000);
    std::unique_ptr<QNetworkReply> reply(nam.get(req));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Fetched f;
    f.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        f.body = reply->readAll();
    f.contentType = reply->rawHeader("Content-Type");
    f.lastModified = reply->rawHeader("Last-Modified");
    return f;
}

QString Decode(const QByteArray& bytes, const QByteArray& label) {
    const char* name = label == "Shift_JIS" ? "windows-31j" : label.constData();
    UErrorCode err = U_ZERO_ERROR;
    UConverter* conv = ucnv_open(name, &err);
    if (U_FAILURE(err))
        return {};
    QString out(bytes.size() + 1, Qt::Uninitialized);
    err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                                    bytes.constData(), int32_t(bytes.size()), &err);
    ucnv_close(conv);
    out.truncate(U_FAILURE(err) ? 0 : n);
    return out;
}

QByteArray Charset(const Fetched& f) {
    return f.contentType.split('=').value(1);
}

QString Text(const Fetched& f) {
    return Decode(f.body, Charset(f));
}

// Empty when every marker occurs, each after the one before it; else the first one missing.
QString MissingInOrder(const QString& text, const QStringList& markers) {
    qsizetype at = 0;
    for (const QString& m : markers) {
        if ((at = text.indexOf(m, at)) < 0)
            return m;
        at += m.size();
    }
    return {};
}

QStringList Between(const QString& text, const QString& start, const QString& end) {
    QStringList out;
    qsizetype at = 0;
    while ((at = text.indexOf(start, at)) >= 0) {
        at += start.size();
        const qsizetype stop = text.indexOf(end, at);
        if (stop < 0)
            break;
        out << text.mid(at, stop - at);
        at = stop + end.size();
    }
    return out;
}

const QString kLink = "<li class=\"yjMt ymuiArrow1L\"><a href=\"";
const QString kTime = "<li class=\"yjSt marB2 ymuiDate padL10\">";
const QString kStart = "--start 2024-01-05T10:00:00";

qsizetype Distinct(QStringList list) {
    list.removeDuplicates();
    return list.size();
}

QString NextLink(const QString& page) {
    const QStringList links = Between(page.section("前のページ", 1), "<a href=\"", "\">次のページ");
    return links.isEmpty() ? QString() : QString(links.first()).replace("&amp;", "&");
}

} // namespace

class TestFeedsim : public QObject {
    Q_OBJECT

    std::unique_ptr<Sim> sim_;

    QStringList AllPages(const QString& first) {
        QStringList pages;
        for (QString url = first; !url.isEmpty() && pages.size() < 50;) {
            const Fetched f = Get(url);
            if (f.status != 200)
                break;
            pages << Text(f);
            url = NextLink(pages.last());
        }
        return pages;
    }

private slots:
    void initTestCase() {
        sim_ = std::make_unique<Sim>(
            QStringList{"--seed", "7", "--frozen", "--start", "2024-01-05T10:00:00"});
        QVERIFY2(sim_->Ok(), "feedsim did not report its ports");
    }

    void portalEncodings_data() {
        QTest::addColumn<QString>("enc");
        QTest::addColumn<QByteArray>("label");
        QTest::newRow("sjis") << "sjis" << QByteArray("Shift_JIS");
        QTest::newRow("utf8") << "utf8" << QByteArray("UTF-8");
        QTest::newRow("iso2022jp") << "iso2022jp" << QByteArray("ISO-2022-JP");
    }
    void portalEncodings() {
        QFETCH(QString, enc);
        QFETCH(QByteArray, label);
        const Fetched f = Get(sim_->portal + "/cp/reu?date=20240104&enc=" + enc);
        QCOMPARE(f.status, 200);
        QCOMPARE(Charset(f), label);
        // Only the UTF-8 page may carry the UTF-8 bytes of its Japanese text.
        QCOMPARE(f.body.contains(QString("次のページ").toUtf8()), enc == "utf8");
        const QString page = Text(f);
        QVERIFY(page.contains("2024年1月4日（木）") && page.contains("\">次のページ"));
        QCOMPARE(page.count("<!-- 01 -->"), 20);
        QCOMPARE(page.count(" selected>"), 1);
    }

    void portalPagingCoversTheDayNewestFirst() {
        const QStringList pages = AllPages(sim_->portal + "/cp/reu?date=20240104");
        QVERIFY(pages.size() > 2);
        QVERIFY(pages.first().contains("date=20240104&amp;p=2\">次のページ"));
        QVERIFY(NextLink(pages.last()).isEmpty());
        QStringList urls;
        int previous = 24 * 60;
        for (const QString& page : pages) {
            for (const QString& when : Between(page, kTime, "&nbsp;")) {
                const auto m = QRegularExpression("(\\d+)時(\\d\\d)分").match(when);
                QVERIFY2(m.hasMatch(), qPrintable(when));
                const int minute = m.captured(1).toInt() * 60 + m.captured(2).toInt();
                QVERIFY(minute <= previous);
                previous = minute;
            }
            urls << Between(page, kLink, "\">");
        }
        QCOMPARE(urls.size(), Distinct(urls));
        QVERIFY(urls.size() > 2 * 20);
    }

    void tdnetPagesChainToTheLast() {
        QStringList times;
        int page = 1;
        for (;; ++page) {
            const QString name = QString("I_list_%1_20240104.html").arg(page, 3, 10, QChar('0'));
            const QString next =
                QString("I_list_%1_20240104.html").arg(page + 1, 3, 10, QChar('0'));
            const Fetched f = Get(sim_->tdnet + "/inbs/" + name);
            if (f.status == 404)
                break;
            QCOMPARE(f.status, 200);
            QVERIFY(QLocale::c()
                        .toDateTime(QString(f.lastModified), "ddd, dd MMM yyyy HH:mm:ss 'GMT'")
                        .isValid());
            const QString text = Text(f);
            const qsizetype history = text.indexOf("更新履歴");
            QVERIFY(history > 0 && history < text.indexOf("start->\n"));
            const QStringList rows = Between(text, "start->\n", "<!-I");
            QVERIFY(rows.size() >= 1 && rows.size() <= 100);
            for (const QString& row : rows) {
                QCOMPARE(MissingInOrder(row, {"\">\n", "</td>", "\">\n", "</td>", "\">\n", "</td>",
                                              "a href=\"", ".pdf\"", "\">\n", "</a>", "001\">\n",
                                              "</td>", "009\">\n", "</td>", "\">\n", "</td>"}),
                         QString());
                times << Between(row, "\">\n", "</td>").first();
            }
            // A full page points on; the last one never names a page after it.
            QCOMPARE(text.contains(next), rows.size() == 100);
            if (rows.size() < 100)
                break;
        }
        QVERIFY(page > 1);
        QStringList sorted = times;
        std::sort(sorted.begin(), sorted.end(), std::greater<>());
        QCOMPARE(times, sorted);
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d$").match(times.first()).hasMatch());
        QCOMPARE(Get(sim_->tdnet + "/inbs/I_list_001_20240104.html?fault=rows:10000")
                     .body.count("start->\n"),
                 10000);
    }

    void sameSeedSameBytes() {
        Sim twin({"--seed", "7", "--frozen", "--start", "2024-01-05T10:00:00"});
        Sim other({"--seed", "8", "--frozen", "--start", "2024-01-05T10:00:00"});
        QVERIFY(twin.Ok() && other.Ok());
        const QString path = "/cp/fisf?date=20240105";
        const QByteArray a = Get(sim_->portal + path).body.replace(sim_->portal.toUtf8(), "");
        QCOMPARE(a, Get(twin.portal + path).body.replace(twin.portal.toUtf8(), ""));
        QVERIFY(a != Get(other.portal + path).body.replace(other.portal.toUtf8(), ""));
        QCOMPARE(Get(sim_->tdnet + "/inbs/I_list_001_20240104.html").body,
                 Get(twin.tdnet + "/inbs/I_list_001_20240104.html").body);
    }

    void contentGrowsWhenTheClockAdvances() {
        Sim sim({"--seed", "3", "--frozen", "--start", "2024-01-05T10:00:00"});
        QVERIFY(sim.Ok());
        auto newest = [&] {
            return Between(Text(Get(sim.portal + "/cp/reu?date=20240105")), kTime, "&nbsp;")
                .value(0)
                .section(' ', -1);
        };
        auto rows = [&] {
            return Get(sim.tdnet + "/inbs/I_list_001_20240105.html").body.count("start->\n");
        };
        const QString before = newest();
        const qsizetype rowsBefore = rows();
        QVERIFY(Text(Get(sim.portal + "/cp/reu?date=20240106")).count("<!-- 01 -->") == 0);
        QCOMPARE(Get(sim.portal + "/_feedsim/advance?minutes=45").body,
                 QByteArray("2024-01-05T10:45:00\n"));
        const QString after = newest();
        QVERIFY2(after.startsWith("10時"), qPrintable(after));
        QVERIFY(before != after);
        QVERIFY(rows() > rowsBefore);
    }

    void faultsFromTheCommandLineAndStats() {
        Sim sim({"--frozen", kStart.section(' ', 0, 0), kStart.section(' ', 1), "--fault",
                 "reu=500", "--fault", "/cp/tdnet=404", "--fault", "tdnet=rows:150"});
        QVERIFY(sim.Ok());
        QCOMPARE(Get(sim.portal + "/cp/reu?date=20240105").status, 500);
        QCOMPARE(Get(sim.portal + "/cp/reu?date=20240105").status, 500);
        QCOMPARE(Get(sim.portal + "/cp/mai?date=20240105").status, 200);
        QCOMPARE(Get(sim.portal + "/cp/tdnet?date=20240105").status, 404);
        QCOMPARE(Get(sim.portal + "/cp/nosuch").status, 404);
        const Fetched list = Get(sim.tdnet + "/inbs/I_list_001_20240105.html");
        QCOMPARE(list.body.count("start->\n"), 150);
        QVERIFY(!list.body.contains("I_list_002_"));
        QCOMPARE(Get(sim.portal + "/_feedsim/stats?reset=1").body,
                 QByteArray("/cp/mai?date=20240105 1\n/cp/nosuch 1\n/cp/reu?date=20240105 2\n"
                            "/cp/tdnet?date=20240105 1\n/inbs/I_list_001_20240105.html 1\n"));
        QCOMPARE(Get(sim.portal + "/_feedsim/stats").body, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestFeedsim)
#include "tst_feedsim.moc"
