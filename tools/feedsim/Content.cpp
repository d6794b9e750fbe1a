#include "Content.h"

#include <QStringList>
#include <QTimeZone>
#include <cmath>

namespace Feedsim {

namespace {

// splitmix64: small, fast and the same on every platform, unlike the std distributions.
struct Rng {
    quint64 s;
    explicit Rng(quint64 seed) : s(seed) {}
    quint64 Next() {
        s += 0x9E3779B97F4A7C15ULL;
        quint64 z = s;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    double Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    int Below(int n) { return int(Unit() * n); }
    bool Chance(double p) { return Unit() < p; }
    const QString& Pick(const QStringList& list) { return list.at(Below(int(list.size()))); }
    int Poisson(double lambda) {
        const double limit = std::exp(-lambda);
        int k = 0;
        double p = Unit();
        while (p > limit) {
            ++k;
            p *= Unit();
        }
        return k;
    }
};

quint64 MixSeed(quint64 seed, const QString& tag, qint64 day) {
    quint64 h = 1469598103934665603ULL ^ seed;
    for (QChar c : tag) {
        h ^= c.unicode();
        h *= 1099511628211ULL;
    }
    h ^= quint64(day) * 0x9E3779B97F4A7C15ULL;
    return h;
}

struct Company {
    const char* name;
    const char* code;
};

const Company kCompanies[] = {
    {"トヨタ自動車", "7203"},
    {"ソニーグループ", "6758"},
    {"三菱ＵＦＪ", "8306"},
    {"ソフトバンクグループ", "9984"},
    {"任天堂", "7974"},
    {"ファーストリテイリング", "9983"},
    {"日立製作所", "6501"},
    {"キーエンス", "6861"},
    {"東京エレクトロン", "8035"},
    {"武田薬品工業", "4502"},
    {"日本製鉄", "5401"},
    {"三井物産", "8031"},
    {"本田技研工業", "7267"},
    {"信越化学工業", "4063"},
    {"日本郵船", "9101"},
    {"楽天グループ", "4755"},
    {"ニトリホールディングス", "9843"},
    {"第一三共", "4568"},
    {"花王", "4452"},
    {"極洋", "1301"},
};
constexpr int kCompanyCount = int(sizeof(kCompanies) / sizeof(kCompanies[0]));

// Companies listed since codes began to hold letters; the older layout shows them under a
// numeric stand-in.
struct LetterCompany {
    const char* name;
    const char* code;
    const char* standIn;
};
const LetterCompany kLetterCompanies[] = {
    {"北浜データサイエンス", "330A", "3304"},
    {"みなと再生エネルギー", "398A", "3984"},
};
constexpr int kLetterCompanyCount = int(sizeof(kLetterCompanies) / sizeof(kLetterCompanies[0]));

const QStringList& PortalTemplates() {
    static const QStringList list = {
        "再送-{c}、今期営業益{p}％増を見込む",
        "再送：{c}が{n}億円の自社株買い",
        "追加-東証---日経平均は続伸、{n}円高",
        "訂正-{c}、業績予想を下方修正",
        "UPDATE 1-{c}、{n}億円の社債発行を決定",
        "UPDATE 2-ＮＹ株式＝ダウ反発、{n}ドル高",
        "{c}、新型ＥＶを発表☆差替",
        "【決算】{c}、4-12月期は増収増益",
        "【コラム】{c}の成長戦略を読む",
        "［速報］日経平均、前引けは{n}円安",
        "[市況]東証後場寄り、様子見ムード",
        "〔相場〕円相場、1ドル＝{y}円台で推移",
        "東証---日経平均は続伸、{n}円高",
        "ＮＹ株式＝ダウ反発、{n}ドル高",
        "外為＝ドル{y}円近辺",
        "注目銘柄：{c}",
        "{c}＜{k}＞、上方修正を好感",
        "&lt;{c}&gt;株価が年初来高値",
        "{c}が&quot;次世代電池&quot;に参入",
        "Ｍ&amp;Ａ：{c}が同業買収を発表",
        "{c}、新中期経営計画を発表＝関係者",
        "株価材料＝{c}が反落",
        "[東京 {d}日] {c}の株価が急伸",
        "〔新興市場〕グロース指数は{n}日ぶり反発",
        "{c}\tの株主総会、{m}月に開催",
        "個人投資家の&quot;新NISA&quot;活用術",
        "ドル円、{y}円台に上昇",
    };
    return list;
}

const QStringList& DisclosurePortalTemplates() {
    static const QStringList list = {
        "〔適時開示〕{c}、剰余金の配当に関するお知らせ",
        "{c}＜{k}＞、業績予想の修正",
        "【開示】{c}、自己株式の取得状況",
        "訂正-{c}、決算短信の一部訂正",
    };
    return list;
}

// Relative weight of a source's output against --rate.
double SourceWeight(const QString& code) {
    static const QHash<QString, double> w = {
        {"reu", 3.0},       {"bloom_cn", 2.0}, {"jijf", 2.0},       {"fisf", 2.0},
        {"tdnet", 2.0},     {"mosf", 1.5},     {"ifis", 1.0},       {"scnf", 1.0},
        {"woman", 0.25},    {"yenspa", 0.25},  {"newsweek", 0.5},   {"nkbp_tren", 0.25},
        {"president", 0.5}, {"jbpress", 0.5},  {"teikokudb", 0.25}, {"argent", 0.25},
    };
    return w.value(code, 0.75);
}

QString Fill(QString t, Rng& rng, const QDate& date) {
    const Company& co = kCompanies[rng.Below(kCompanyCount)];
    t.replace("{c}", QString::fromUtf8(co.name));
    t.replace("{k}", QString::fromLatin1(co.code));
    t.replace("{n}", QString::number(1 + rng.Below(500)));
    t.replace("{p}", QString::number(1 + rng.Below(80)) + "." + QString::number(rng.Below(10)));
    t.replace("{y}", QString::number(140 + rng.Below(15)) + "." +
                         QString::number(rng.Below(100)).rightJustified(2, '0'));
    t.replace("{d}", QString::number(date.day()));
    t.replace("{m}", QString::number(1 + rng.Below(12)));
    return t;
}

QString Weekday(const QDate& d) {
    static const QStringList names = {"月", "火", "水", "木", "金", "土", "日"};
    return names.at(d.dayOfWeek() - 1);
}

QString JapaneseDay(const QDate& d) {
    return QStringLiteral("%1年%2月%3日（%4）")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(Weekday(d));
}

QString Ymd(const QDate& d) {
    return d.toString("yyyyMMdd");
}

QString PageHead(const QString& title, const QByteArray& charset) {
    return QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
                          "<html lang=\"ja\">\n<head>\n"
                          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=%1\">\n"
                          "<title>%2</title>\n</head>\n")
        .arg(QString::fromLatin1(charset), title);
}

// Disclosures per hour through a trading day; the burst after the close is the earnings rush.
double DisclosureRate(int minute) {
    if (minute < 7 * 60 + 30)
        return 0;
    if (minute < 11 * 60 + 30)
        return 25;
    if (minute < 13 * 60)
        return 10;
    if (minute < 15 * 60)
        return 40;
    if (minute < 15 * 60 + 30)
        return 240;
    if (minute < 17 * 60 + 30)
        return 60;
    if (minute < 20 * 60)
        return 8;
    return 0;
}

struct DisclosureKind {
    const char* title;
    const char* xbrl; // "" for none
};

const DisclosureKind kDisclosureKinds[] = {
    {"{fy}年3月期 第{q}四半期決算短信〔日本基準〕(連結)", "業・配"},
    {"剰余金の配当（増配）に関するお知らせ", "配"},
    {"業績予想の修正に関するお知らせ", "業"},
    {"自己株式の取得状況に関するお知らせ", ""},
    {"代表取締役の異動に関するお知らせ", ""},
    {"株主優待制度の新設に関するお知らせ", ""},
    {"Notice Regarding Dividends &amp; Share Buyback", "XBRL"},
    {"&lt;訂正&gt;「決算短信」の一部訂正について", "業・配"},
    {"&quot;中期経営計画2026&quot;の策定に関するお知らせ", ""},
    {"（開示事項の経過）子会社の異動に関するお知らせ", ""},
    {"（訂正）{fy}年3月期　決算短信の一部訂正", "業・配"},
};
constexpr int kDisclosureKindCount = int(sizeof(kDisclosureKinds) / sizeof(kDisclosureKinds[0]));

const QStringList& Exchanges() {
    static const QStringList list = {"東", "東", "東", "東名", "名", "札", "福"};
    return list;
}

const QStringList kLabels = {"強く買いたい", "買いたい", "様子見", "売りたい", "強く売りたい"};

} // namespace

SimClock::SimClock(const QDateTime& start, bool frozen) : start_(start), frozen_(frozen) {
    running_.start();
}

QDateTime SimClock::Now() const {
    return start_.addMSecs(offsetMs_ + (frozen_ ? 0 : running_.elapsed()));
}

void SimClock::Advance(qint64 minutes) {
    offsetMs_ += minutes * 60000;
}

Content::Content(quint64 seed, double rate, const SimClock& clock, TdnetLayout layout)
    : seed_(seed), rate_(rate), clock_(clock), layout_(layout) {}

const QStringList& Content::SourceCodes() {
    static const QStringList codes = {
        "argent",    "bloom_cn", "diamond", "dzh",      "fisf",     "ifis",      "jbpress",
        "jijf",      "mai",      "mosf",    "netmoney", "newsweek", "nkbp_tren", "nri",
        "president", "reu",      "rps",     "scnf",     "sh_mon",   "stkms",     "teikokudb",
        "toyo",      "woman",    "wsj",     "yenspa",   "tdnet"};
    return codes;
}

const QStringList& Content::SourceNames() {
    static const QStringList names = {
        "あるじゃん",       "ブルームバーグ",    "ダイヤモンド", "トレーダーズ・ウェブFX",
        "フィスコ",         "アイフィス株予報",  "JBプレス",     "時事通信社",
        "毎日新聞",         "モーニングスター",  "ネットマネー", "ニューズウィーク",
        "日経トレンディ",   "NRI研究員時事解説", "プレジデント", "ロイター",
        "レスポンス",       "サーチナ",          "MONEYzine",    "チャートブック",
        "帝国データバンク", "東洋経済",          "日経ウーマン", "WSJ",
        "YenSPA",           "適時開示情報"};
    return names;
}

// Seconds of the day that exist at the simulated now: all of a past day, none of a future one.
int Content::VisibleLimit(const QDate& date) const {
    const QDateTime now = clock_.Now();
    if (date < now.date())
        return 24 * 3600;
    if (date > now.date())
        return -1;
    return now.time().msecsSinceStartOfDay() / 1000;
}

const QVector<Headline>& Content::DayHeadlines(const QString& code, const QDate& date) {
    const QString key = code + Ymd(date);
    auto it = headlineCache_.find(key);
    if (it != headlineCache_.end())
        return *it;
    Rng rng(MixSeed(seed_, "portal:" + code, date.toJulianDay()));
    const double perMinute = rate_ * SourceWeight(code) / 60.0;
    const QStringList& templates =
        code == QLatin1String("tdnet") ? DisclosurePortalTemplates() : PortalTemplates();
    QVector<Headline> list;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const int n = rng.Poisson(perMinute);
        for (int i = 0; i < n; ++i) {
            Headline h;
            h.secs = minute * 60;
            h.seq = int(list.size()) + 1;
            h.title = Fill(rng.Pick(templates), rng, date);
            h.urlForm = rng.Below(10);
            h.timeForm = rng.Below(6);
            list.append(h);
        }
    }
    return *headlineCache_.insert(key, list);
}

QVector<Headline> Content::VisibleHeadlines(const QString& code, const QDate& date) {
    const int limit = VisibleLimit(date);
    QVector<Headline> out;
    for (const Headline& h : DayHeadlines(code, date))
        if (h.secs <= limit)
            out.append(h);
    return out;
}

QString Content::PortalPage(const QString& code, const QDate& date, int page, const QString& origin,
                            const QByteArray& charset) {
    const int index = int(SourceCodes().indexOf(code));
    const QString name = index >= 0 ? SourceNames().at(index) : code;
    const QVector<Headline> visible = VisibleHeadlines(code, date);
    const int total = int(visible.size());
    const int first = (page - 1) * kPortalPageSize; // index among newest-first
    const bool hasNext = first + kPortalPageSize < total;
    const QString ymd = Ymd(date);
    const QString listAddress = origin + "/cp/" + code + "?date=" + ymd;

    QString h = PageHead(name + " - ニュース一覧", charset);
    h += "<body>\n<div id=\"hd\"><h1>" + name + "のニュース</h1></div>\n";
    h += "<form action=\"/cp/" + code + "\" method=\"get\">\n<select name=\"date\">\n";
    // The last week is offered; a day outside it still appears when it is the one shown.
    const QDate today = clock_.Now().date();
    auto option = [&](const QDate& d) {
        h += "<option value=\"" + Ymd(d) + "\"" + (d == date ? " selected>" : ">") +
             JapaneseDay(d) + "</option>\n";
    };
    if (date > today)
        option(date);
    for (int back = 0; back <= 7; ++back)
        option(today.addDays(-back));
    if (date < today.addDays(-7))
        option(date);
    h += "</select>\n<input type=\"submit\" value=\"表示\">\n</form>\n";

    h += "<div id=\"main\">\n<!---news list-->\n<ul class=\"ymuiList\">\n";
    for (int i = first; i < qMin(total, first + kPortalPageSize); ++i) {
        const Headline& n = visible.at(total - 1 - i);
        const QString id = ymd + "-" + QString::number(n.seq).rightJustified(8, '0') + "-" + code;
        QString url;
        switch (n.urlForm) {
        case 0:
            url = origin + "/news.vip/" + id; // VIP articles
            break;
        case 1:
        case 2:
        case 3:
            url = "/p/" + id;
            break;
        case 4:
            url = "/hl?a=" + id + "-bus_all&amp;s=1";
            break;
        default:
            url = origin + "/hl?a=" + id + "-bus_all";
            break;
        }
        const int hh = n.secs / 3600;
        const QString mm = QString::number(n.secs / 60 % 60).rightJustified(2, '0');
        const QString md = QStringLiteral("%1月%2日").arg(date.month()).arg(date.day());
        QString when;
        switch (n.timeForm) {
        case 0:
        case 1:
            when = QStringLiteral("%1時%2分").arg(hh).arg(mm);
            break;
        case 2:
        case 3:
            when = md + QStringLiteral(" %1時%2分").arg(hh).arg(mm);
            break;
        case 4:
            when = md + "（" + Weekday(date) + QStringLiteral("） %1時%2分").arg(hh).arg(mm);
            break;
        default:
            when = QStringLiteral("%1時%2分（更新）").arg(hh).arg(mm);
            break;
        }
        h += "<!-- 01 -->\n<li class=\"ymuiListItem\"><ul>\n";
        h += "<li class=\"yjMt ymuiArrow1L\"><a href=\"" + url + "\">" + n.title + "</a></li>\n";
        h += "<li class=\"yjSt marB2 ymuiDate padL10\">" + when + "&nbsp;<span>" + name +
             "</span></li>\n";
        h += "</ul></li>\n<!-- /01 -->\n";
    }
    h += "</ul>\n";
    if (total > kPortalPageSize) {
        h += "<!--ページング-->\n<div class=\"ymuiPagingBottom\">";
        if (page > 1)
            h += "<a href=\"" + listAddress + "&amp;p=" + QString::number(page - 1) +
                 "\">前のページ</a>";
        else
            h += "<span>前のページ</span>";
        h += " | ";
        if (hasNext)
            h += "<a href=\"" + listAddress + "&amp;p=" + QString::number(page + 1) +
                 "\">次のページ</a>";
        else
            h += "<span>次のページ</span>";
        h += "</div>\n<!--/ページング-->\n";
    }
    h += "<!---/news list-->\n</div>\n</body>\n</html>\n";
    return h;
}

const QVector<Disclosure>& Content::DayDisclosures(const QDate& date) {
    auto it = disclosureCache_.find(date.toJulianDay());
    if (it != disclosureCache_.end())
        return *it;
    Rng rng(MixSeed(seed_, "tdnet", date.toJulianDay()));
    QVector<Disclosure> list;
    const bool weekend = date.dayOfWeek() >= 6;
    const int quarter = date.month() >= 10 || date.month() <= 1 ? 3 : date.month() <= 4 ? 4 : 1;
    const int fiscalYear = date.month() <= 4 ? date.year() : date.year() + 1;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        const double perHour = weekend ? 0 : DisclosureRate(minute) * rate_ / 4.0;
        const int n = rng.Poisson(perHour / 60.0);
        for (int i = 0; i < n; ++i) {
            Disclosure d;
            d.secs = minute * 60;
            d.seq = int(list.size()) + 1;
            const int pick = rng.Below(kCompanyCount + 2 + kLetterCompanyCount);
            if (pick == kCompanyCount) {
                d.company = "アルファ総合リート投資法人";
                d.codeText = "01234";
            } else if (pick == kCompanyCount + 1) {
                d.company = "北浜精密\nホールディングス"; // the cell wraps on the site
                d.codeText = " 38210";
            } else if (pick > kCompanyCount + 1) {
                const LetterCompany& co = kLetterCompanies[pick - kCompanyCount - 2];
                d.company = QString::fromUtf8(co.name);
                d.codeText = QString::fromLatin1(co.code) + "0";
                d.classicCodeText = QString::fromLatin1(co.standIn) + "0";
            } else {
                d.company = QString::fromUtf8(kCompanies[pick].name);
                d.codeText = QString::fromLatin1(kCompanies[pick].code) + "0";
            }
            const DisclosureKind& kind = kDisclosureKinds[rng.Below(kDisclosureKindCount)];
            d.title = QString::fromUtf8(kind.title)
                          .replace("{fy}", QString::number(fiscalYear))
                          .replace("{q}", QString::number(quarter));
            d.xbrlText = QString::fromUtf8(kind.xbrl);
            d.history = rng.Chance(0.1);
            d.withdrawn = rng.Chance(0.03);
            d.exchange = rng.Pick(Exchanges());
            if (d.classicCodeText.isEmpty())
                d.classicCodeText = d.codeText;
            list.append(d);
        }
    }
    return *disclosureCache_.insert(date.toJulianDay(), list);
}

QVector<Disclosure> Content::VisibleDisclosures(const QDate& date) {
    const int limit = VisibleLimit(date);
    QVector<Disclosure> out;
    for (const Disclosure& d : DayDisclosures(date))
        if (d.secs <= limit)
            out.append(d);
    return out;
}

bool Content::TdnetPage(const QDate& date, int page, int forcedRows, const QByteArray& charset,
                        QString& html, QDateTime& lastModified) {
    const bool classic = layout_ == TdnetLayout::Classic;
    QVector<Disclosure> rows;
    if (forcedRows > 0) {
        // A stress page: the day's rows repeated with fresh numbers until there are enough.
        QVector<Disclosure> day = DayDisclosures(date.dayOfWeek() >= 6 ? date.addDays(-2) : date);
        if (!classic)
            day.removeIf([](const Disclosure& d) { return d.withdrawn; });
        for (int i = 0; i < forcedRows && !day.isEmpty(); ++i) {
            Disclosure d = day.at(i % day.size());
            d.secs = 24 * 3600 - 60 - (i * 86340LL / forcedRows);
            d.seq = forcedRows - i;
            rows.prepend(d);
        }
    } else {
        rows = VisibleDisclosures(date);
        if (!classic)
            rows.removeIf([](const Disclosure& d) { return d.withdrawn; });
    }
    const int total = int(rows.size());
    const int pages = forcedRows > 0 ? 1 : qMax(1, (total + kTdnetPageSize - 1) / kTdnetPageSize);
    if (page < 1 || page > pages)
        return false;
    const QString ymd = Ymd(date);
    auto fileName = [&](int p) {
        return "I_list_" + QString::number(p).rightJustified(3, '0') + "_" + ymd + ".html";
    };
    const int first = forcedRows > 0 ? 0 : (page - 1) * kTdnetPageSize;
    const int last = forcedRows > 0 ? total : qMin(total, first + kTdnetPageSize);

    QString h = PageHead("適時開示情報閲覧サービス", charset);
    h += "<body>\n<div id=\"header\"><h1>適時開示情報閲覧サービス</h1></div>\n";
    if (classic) {
        h += "<div id=\"pager-box\">";
        for (int p = 1; p <= pages; ++p) {
            if (p == page)
                h += "<span class=\"pager-current\">" + QString::number(p) + "</span> ";
            else
                h += "<a href=\"" + fileName(p) + "\">" + QString::number(p) + "</a> ";
        }
        if (page < pages)
            h += "<a href=\"" + fileName(page + 1) + "\">次へ&gt;</a>";
        h += "</div>\n<table class=\"list\">\n";
    } else {
        // Every page of the day is named in the pager, so the last page names no further one.
        h += "<div id=\"pager-box-top\">\n";
        if (total > 0) {
            h += QStringLiteral("<div class=\"pager-count\">%1～%2件 / 全%3件</div>\n")
                     .arg(first + 1)
                     .arg(last)
                     .arg(total);
            for (int p = 1; p <= pages; ++p)
                h += QStringLiteral("<div class=\"%1\" onclick=\"pagerLink('%2')\">%3</div>\n")
                         .arg(p == page ? "pager-M-selected" : "pager-M", fileName(p))
                         .arg(p);
        }
        h += "</div>\n<form name=\"dayform\">\n<select name=\"daylist\" "
             "onchange=\"location.href=this.value\">\n";
        // About a month of working days back from the simulated today.
        const QDate today = clock_.Now().date();
        for (int back = 0; back <= 31; ++back) {
            const QDate d = today.addDays(-back);
            if (d.dayOfWeek() >= 6)
                continue;
            h += "<option value=\"I_list_001_" + Ymd(d) + ".html\"" +
                 (d == date ? " selected>" : ">") + d.toString("yyyy/MM/dd") + "</option>\n";
        }
        h += "</select>\n</form>\n<table id=\"main-list-table\" cellspacing=\"0\" "
             "cellpadding=\"0\">\n";
    }
    h += "<tr><th>時刻</th><th>コード</th><th>会社名</th><th>表題</th><th>XBRL</th>"
         "<th>上場取引所</th><th>更新履歴</th></tr>\n";
    h +=
        classic ? TdnetRowsClassic(rows, first, last, ymd) : TdnetRowsToday(rows, first, last, ymd);
    h += "</table>\n</body>\n</html>\n";
    html = h;

    const int newest = total > 0 ? rows.last().secs : 0;
    lastModified = QDateTime(date, QTime(0, 0).addSecs(newest));
    return true;
}

namespace {

struct DisclosureRowParts {
    QString time, doc, cls;
};

// What both layouts write for the i-th row counted from the newest: its time, its document
// number and its shading name.
DisclosureRowParts RowParts(const Disclosure& d, int i, const QString& ymd) {
    return {QTime(0, 0).addSecs(d.secs).toString("HH:mm"),
            QStringLiteral("1401") + ymd + QString::number(500000 + d.seq).rightJustified(6, '0'),
            i % 2 ? QStringLiteral("evennew") : QStringLiteral("oddnew")};
}

} // namespace

// rows are oldest first; the page shows indexes first..last-1 counted from the newest.
QString Content::TdnetRowsClassic(const QVector<Disclosure>& rows, int first, int last,
                                  const QString& ymd) const {
    const int total = int(rows.size());
    QString h;
    for (int i = first; i < last; ++i) {
        const Disclosure& d = rows.at(total - 1 - i);
        const auto [time, doc, cls] = RowParts(d, i, ymd);
        h += "<tr>\n<!-start->\n";
        h += "<td class=\"" + cls + "-L kjTime\">\n" + time + "</td>\n";
        h += "<td class=\"" + cls + "-M kjCode\">\n" + d.classicCodeText + "</td>\n";
        h += "<td class=\"" + cls + "-M kjName\">\n" + d.company + "\n</td>\n";
        h += "<td class=\"" + cls + "-M kjTitle\" " +
             (d.withdrawn ? QStringLiteral("id=\"del\">") : QStringLiteral("align=\"left\">")) +
             "\n<a href=\"" + doc + ".pdf\" target=\"_blank\">\n" + d.title + "</a></td>\n";
        h += "<td class=\"" + cls + "-M kjXbrl001\">\n";
        if (!d.xbrlText.isEmpty())
            h += "<a href=\"0812" + doc.mid(4) + ".zip\" target=\"_blank\">" + d.xbrlText + "</a>";
        h += "</td>\n<td class=\"" + cls + "-M kjHistroy009\">\n";
        if (d.history)
            h += "<a href=\"" + doc + "_history.html\" target=\"_blank\">履歴</a>";
        h += "</td>\n<td class=\"" + cls + "-R kjPlace\">\n" + d.exchange + "\n</td>\n";
        h += "</tr>\n<!-I-->\n";
    }
    return h;
}

QString Content::TdnetRowsToday(const QVector<Disclosure>& rows, int first, int last,
                                const QString& ymd) const {
    static const QStringList padding = {"", "　　", "   ", "　"};
    const int total = int(rows.size());
    QString h;
    for (int i = first; i < last; ++i) {
        const Disclosure& d = rows.at(total - 1 - i);
        const auto [time, doc, cls] = RowParts(d, i, ymd);
        // The service pads names to a width and writes the full-width blank in titles by number.
        const QString title = QString(d.title).replace(QStringLiteral("　"), "&#x3000;");
        h += "<tr>\n<td class=\"" + cls + "-L kjTime\" noWrap>" + time + "</td>\n";
        h += "<td class=\"" + cls + "-M kjCode\" noWrap>" + d.codeText + "</td>\n";
        h += "<td class=\"" + cls + "-M kjName\" noWrap>" + d.company +
             padding.at(d.seq % padding.size()) + "</td>\n";
        h += "<td class=\"" + cls + "-M kjTitle\" align=\"left\"><a href=\"" + doc + ".pdf\"" +
             (d.seq % 5 ? QStringLiteral(" target=\"_blank\">") : QStringLiteral(">")) + title +
             "</a></td>\n";
        h += "<td class=\"" + cls + "-M kjXbrl\" noWrap>";
        if (!d.xbrlText.isEmpty())
            h += "<div class=\"xbrl-mask\"><a href=\"0812" + doc.mid(4) +
                 ".zip\" target=\"_blank\">XBRL</a></div>";
        else
            h += "&nbsp;";
        h += "</td>\n<td class=\"" + cls + "-M kjPlace\" noWrap>" + d.exchange + "</td>\n";
        h += "<td class=\"" + cls + "-R kjHistroy\" noWrap>" +
             (d.history ? QStringLiteral("更新") : QStringLiteral("　")) + "</td>\n</tr>\n";
    }
    return h;
}

QVector<BoardMessage> Content::BoardMessages(const QString& board) {
    const QDateTime now = clock_.Now();
    QVector<BoardMessage> list;
    const quint64 boardSeed = MixSeed(seed_, "board:" + board, 0);
    int mid = 1000 + int(boardSeed % 9000);
    static const QStringList subjects = {
        "決算発表を控えて", "今日の値動きについて",       "配当狙いで",     "ここは押し目買い",
        "上値が重い",       "&quot;材料&quot;出尽くし？", "長期保有します", "出来高増加中",
        "信用残の推移",     "Re: 明日の寄り付き"};
    static const QStringList authors = {"kabu_taro", "兜町の隠居", "ivy_investor",
                                        "相場好き",  "nanpin2024", "山田"};
    static const QStringList bodies = {"業績は堅調。<br>まだ上がると思います。",
                                       "材料は出尽くしでしょう。<br>しばらく様子見です。",
                                       "詳しくはこちら http://example.invalid/a を参照",
                                       "おすすめの銘柄を無料で教えます",
                                       "R&amp;D費用が増えているのが気になる。<br><br>来期に期待。",
                                       "&lt;注意&gt; 信用買い残が多いです。",
                                       "配当利回りは悪くない。<br>NISAで買い増し。"};
    for (int back = 6; back >= 0; --back) {
        const QDate day = now.date().addDays(-back);
        Rng rng(MixSeed(seed_, "board:" + board, day.toJulianDay()));
        const int count = 6 + rng.Below(14);
        QVector<int> secs;
        for (int i = 0; i < count; ++i)
            secs.append(7 * 3600 + rng.Below(17 * 3600));
        std::sort(secs.begin(), secs.end());
        for (int s : secs) {
            BoardMessage m;
            m.posted = QDateTime(day, QTime(0, 0).addSecs(s));
            m.mid = mid++;
            const double r = rng.Unit();
            m.label = r < 0.1 ? 0 : r < 0.35 ? 1 : r < 0.55 ? 2 : r < 0.7 ? 3 : r < 0.78 ? 4 : 5;
            m.subject = rng.Pick(subjects);
            m.author = rng.Pick(authors);
            m.body = rng.Pick(bodies);
            m.linkedTwice = rng.Chance(0.3);
            m.absoluteLink = rng.Chance(0.25);
            if (m.posted <= now)
                list.append(m);
        }
    }
    return list; // oldest first
}

QString Content::BoardListPage(const QString& board, int page, const QString& origin,
                               const QByteArray& charset) {
    const QVector<BoardMessage> all = BoardMessages(board);
    const int total = int(all.size());
    const int first = (page - 1) * kBoardPageSize;
    const QString listAddress = "/?action=q&board=" + board;
    QString h = PageHead(board + " - 掲示板", charset);
    // The paging comes before any other link: the reader looks for it from the top.
    h += "<body>\n<div class=\"paging\">[ ";
    if (page > 1)
        h += "<a href=\"" + listAddress + "&p=" + QString::number(page - 1) + "\">前の40件</a>";
    else
        h += "前の40件";
    h += " | ";
    if (first + kBoardPageSize < total)
        h += "<a href=\"" + listAddress + "&p=" + QString::number(page + 1) + "\">次の40件</a>";
    else
        h += "次の40件";
    h += " ]</div>\n<h1>" + board + " 掲示板</h1>\n<table class=\"board\">\n";
    h += "<tr><th>件名</th><th>投稿者</th><th>投資判断</th><th>日時</th><th></th></tr>\n";
    for (int i = first; i < qMin(total, first + kBoardPageSize); ++i) {
        const BoardMessage& m = all.at(total - 1 - i);
        const QString link = (m.absoluteLink ? origin : QString()) +
                             "/bbs?.mm=FN&action=m&board=" + board + "&tid=" + board +
                             "fa0bbb&mid=" + QString::number(m.mid);
        h += "<tr><td><a href=\"" + link + "\">" + m.subject + "</a></td><td>" + m.author +
             "</td><td>" + (m.label < 5 ? "<b>" + kLabels.at(m.label) + "</b>" : "-") +
             "</td><td>" + m.posted.toString("yyyy/MM/dd HH:mm") + "</td><td>";
        if (m.linkedTwice)
            h += "[<a href=\"" + link + "\">返信</a>]";
        h += "</td></tr>\n";
    }
    h += "</table>\n</body>\n</html>\n";
    return h;
}

QString Content::BoardMessagePage(const QString& board, int mid, const QByteArray& charset) {
    QString h = PageHead(board + " - 掲示板", charset) + "<body>\n";
    for (const BoardMessage& m : BoardMessages(board)) {
        if (m.mid != mid)
            continue;
        h += "<!--// MAIN TOPIC -->\n<table class=\"topic\">\n";
        h += "<tr><td><b>" + m.subject + "</b></td></tr>\n";
        h += "<tr><td><font size=\"-1\">" + m.posted.toString("yyyy/MM/dd HH:mm:ss") +
             "</font></td></tr>\n";
        h += "<tr><td><small>投資判断：" +
             (m.label < 5 ? "<b>" + kLabels.at(m.label) + "</b>" : QStringLiteral("公表しない")) +
             "</small></td></tr>\n</table>\n";
        h += "<!--// USER -->\n<div class=\"user\"><small>" + m.author + "</small></div>\n";
        h += "<!--// MESSAGE -->\n<table class=\"message\"><tr><td>" + m.body +
             "</td></tr></table>\n";
        h += "<p>No." + QString::number(mid) + "</p>\n";
        break;
    }
    h += "</body>\n</html>\n";
    return h;
}

QString Content::ArticlePage(const QString& target) {
    QString safe = target.toHtmlEscaped();
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
                          "<title>記事 %1</title>\n</head>\n<body>\n<h1>記事 %1</h1>\n"
                          "<p>これは模擬サーバーが返す記事のページです。本文はありません。</p>\n"
                          "</body>\n</html>\n")
        .arg(safe);
}

} // namespace Feedsim
