// Runs the feedsim binary on free ports and reads its pages over real HTTP. The fetch-cycle,
// fault, parser and board tests read its pages end to end; this keeps to what they do not use.

#include "../fetch/support_feedsim.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>
#include <unicode/ucnv.h>

namespace {

struct Fetched {
    int status = 0;
    QByteArray body;
    QByteArray contentType;
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
    return f;
}

QByteArray Charset(const Fetched& f) {
    return f.contentType.split('=').value(1);
}

QString Text(const Fetched& f) {
    const QByteArray label = Charset(f);
    const char* name = label == "Shift_JIS" ? "windows-31j" : label.constData();
    UErrorCode err = U_ZERO_ERROR;
    UConverter* conv = ucnv_open(name, &err);
    if (U_FAILURE(err))
        return {};
    QString out(f.body.size() + 1, Qt::Uninitialized);
    const int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                                    f.body.constData(), int32_t(f.body.size()), &err);
    ucnv_close(conv);
    out.truncate(U_FAILURE(err) ? 0 : n);
    return out;
}

QStringList Frozen(int seed) {
    return {"--seed", QString::number(seed), "--frozen", "--start", "2024-01-05T10:00:00"};
}

} // namespace

class TestFeedsim : public QObject {
    Q_OBJECT

    FeedsimProcess sim_;

private slots:
    void initTestCase() { QVERIFY2(sim_.Start(Frozen(7)), "feedsim did not report its ports"); }

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
        const Fetched f = Get(sim_.Portal() + "/cp/reu?date=20240104&enc=" + enc);
        QCOMPARE(f.status, 200);
        QCOMPARE(Charset(f), label);
        // Only the UTF-8 page may carry the UTF-8 bytes of its Japanese text.
        QCOMPARE(f.body.contains(QString("次のページ").toUtf8()), enc == "utf8");
        const QString page = Text(f);
        QVERIFY(page.contains("2024年1月4日（木）") && page.contains("\">次のページ"));
        QCOMPARE(page.count("<!-- 01 -->"), 20);
    }

    void sameSeedSameBytes() {
        FeedsimProcess twin, other;
        QVERIFY(twin.Start(Frozen(7)) && other.Start(Frozen(8)));
        auto body = [](const FeedsimProcess& sim, const QString& path) {
            return Get(sim.Portal() + path).body.replace(sim.Portal().toUtf8(), "");
        };
        const QString path = "/cp/fisf?date=20240105";
        QCOMPARE(body(sim_, path), body(twin, path));
        QVERIFY(body(sim_, path) != body(other, path));
        QCOMPARE(Get(sim_.Tdnet() + "/inbs/I_list_001_20240104.html").body,
                 Get(twin.Tdnet() + "/inbs/I_list_001_20240104.html").body);
    }

    void faultsFromTheCommandLineAndStats() {
        FeedsimProcess sim;
        QVERIFY(sim.Start(Frozen(7) + QStringList{"--fault", "reu=404", "--fault", "/cp/tdnet=503",
                                                  "--fault", "tdnet=rows:150"}));
        QCOMPARE(Get(sim.Portal() + "/cp/reu?date=20240105").status, 404);
        QCOMPARE(Get(sim.Portal() + "/cp/reu?date=20240105").status, 404);
        QCOMPARE(Get(sim.Portal() + "/cp/mai?date=20240105").status, 200);
        // The path prefix names the portal's own list, not the disclosure service.
        QCOMPARE(Get(sim.Portal() + "/cp/tdnet?date=20240105").status, 503);
        const Fetched list = Get(sim.Tdnet() + "/inbs/I_list_001_20240105.html");
        QCOMPARE(list.body.count("kjTime"), 150);
        QVERIFY(!list.body.contains("I_list_002_"));
        QCOMPARE(sim.Control("/_feedsim/stats?reset=1"),
                 QByteArray("/cp/mai?date=20240105 1\n/cp/reu?date=20240105 2\n"
                            "/cp/tdnet?date=20240105 1\n/inbs/I_list_001_20240105.html 1\n"));
        QCOMPARE(sim.Control("/_feedsim/stats"), QByteArray());
    }

    // The current layout by default, the older one on request; a full day has several pages.
    void disclosureLayouts() {
        FeedsimProcess classic;
        QVERIFY(classic.Start(Frozen(7) + QStringList{"--tdnet-layout", "classic"}));
        const QString path = "/inbs/I_list_001_20240104.html";
        const QString now = Text(Get(sim_.Tdnet() + path));
        const QString old = Text(Get(classic.Tdnet() + path));
        QVERIFY(old.contains("<!-start->\n") && old.contains("更新履歴"));
        QVERIFY(!old.contains("main-list-table") && !old.contains("330A0"));
        QVERIFY(now.contains("<table id=\"main-list-table\"") && !now.contains("start->"));
        const auto total = QRegularExpression("1～100件 / 全(\\d+)件").match(now);
        QVERIFY(total.hasMatch() && total.captured(1).toInt() > 300);
        QCOMPARE(now.count("onclick=\"pagerLink('I_list_"), (total.captured(1).toInt() + 99) / 100);
        QVERIFY(now.contains("<option value=\"I_list_001_20231205.html\">2023/12/05</option>"));
        QVERIFY(!now.contains("I_list_001_20231230.html")); // a Saturday
        for (const char* part : {"<div class=\"xbrl-mask\"><a href=\"0812", ">東名</td>", "A0</td>",
                                 "　</td>\n<td class=\"oddnew-M kjTitle\""})
            QVERIFY2(now.contains(part), part);
        FeedsimProcess unknown;
        QVERIFY(!unknown.Start({"--tdnet-layout", "modern"}));
    }

    // Last: it moves the shared simulator's clock on.
    void contentGrowsWhenTheClockAdvances() {
        auto newest = [&] {
            const QString page = Text(Get(sim_.Portal() + "/cp/reu?date=20240105"));
            const QString marker = "<li class=\"yjSt marB2 ymuiDate padL10\">";
            const qsizetype at = page.indexOf(marker) + marker.size();
            return page.mid(at, page.indexOf("&nbsp;", at) - at).section(' ', -1);
        };
        auto rows = [&] {
            return Get(sim_.Tdnet() + "/inbs/I_list_001_20240105.html").body.count("kjTime");
        };
        const QString before = newest();
        const qsizetype rowsBefore = rows();
        QCOMPARE(Text(Get(sim_.Portal() + "/cp/reu?date=20240106")).count("<!-- 01 -->"), 0);
        QCOMPARE(sim_.Control("/_feedsim/advance?minutes=45"), QByteArray("2024-01-05T10:45:00\n"));
        QCOMPARE(sim_.Control("/_feedsim/now"), QByteArray("2024-01-05T10:45:00\n"));
        const QString after = newest();
        QVERIFY2(after.startsWith("10時") && after != before, qPrintable(after));
        QVERIFY(rows() > rowsBefore);
    }
};

QTEST_GUILESS_MAIN(TestFeedsim)
#include "tst_feedsim.moc"
