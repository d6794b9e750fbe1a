#include "parsers/Board.h"

#include "app/AppData.h"
#include "app/Trace.h"
#include "files/clsFile.h"
#include "parsers/Yahoo.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "web/Encoding.h"
#include "web/clsWEB.h"

#include <exception>

namespace Yahoo {

namespace {

constexpr const char* kWhere = "SummariseBoard";
const QString kCrLf = QStringLiteral("\r\n");

QString Fetch(clsWEB& web, const QString& address) {
    QByteArray bytes = web.Download(address, QString(), false, 10);
    return modNkf32::ConvertToShiftJisText(bytes);
}

// 1-based search that never starts outside the text.
qsizetype Find(const QString& text, const QString& what, qsizetype from) {
    if (from < 1 || from > text.size())
        return 0;
    return text.indexOf(what, from - 1) + 1;
}

QString Head() {
    const QString rule = QStringLiteral("//") + QString(64, QLatin1Char('='));
    return rule + kCrLf + QStringLiteral("//\tＢＢＳ総括") + kCrLf + rule + kCrLf + kCrLf;
}

struct Message {
    QString subject, dateText, label, author, body;
    QDateTime posted;
};

// One message page; false when the page is not a message.
bool ReadMessage(clsWEB& web, const QString& page, Message& m) {
    const qsizetype topic = Find(page, QStringLiteral("<!--// MAIN TOPIC -->"), 1);
    if (topic == 0)
        return false;
    QString tag, attributes;

    qsizetype at = topic;
    tag = QStringLiteral("b");
    m.subject = Common::RemoveBetween(web.HtmlTagGet(page, at, tag, attributes),
                                      QStringLiteral("<"), QStringLiteral(">"), -1);
    m.subject.remove(QLatin1Char('\n'));
    if (at < 1)
        at = topic;

    tag = QStringLiteral("font");
    m.dateText = web.HtmlTagGet(page, at, tag, attributes).left(16);
    const std::optional<QDateTime> posted = Dates::ParseLenient(m.dateText, Ports::Clock().Today());
    if (!posted)
        throw ParseFault{13, QString::fromLatin1(kWhere),
                         QStringLiteral("型が一致しません。 (") + m.dateText + QLatin1Char(')')};
    m.posted = *posted;
    if (at < 1)
        at = topic;

    const QString small =
        Common::CutOut(at, page, QStringLiteral("<small>"), QStringLiteral("</small>"));
    m.label = Common::GetBetween(small, QStringLiteral("<b>"), QStringLiteral("</b>"));

    m.author.clear();
    qsizetype user = Find(page, QStringLiteral("<!--// USER -->"), topic);
    if (user > 0)
        m.author =
            Common::CutOut(user, page, QStringLiteral("<small>"), QStringLiteral("</small>"));

    m.body.clear();
    const qsizetype message = Find(page, QStringLiteral("<!--// MESSAGE -->"), topic);
    qsizetype table = message > 0 ? Find(page, QStringLiteral("<table"), message) : 0;
    if (table > 0) {
        tag = QStringLiteral("td");
        QString body = web.HtmlTagGet(page, table, tag, attributes);
        // The page's own line ends go first, so the ones that stand for <br> survive.
        body.remove(QLatin1Char('\n'));
        body.replace(QStringLiteral("<br>"), kCrLf);
        m.body = Common::DecodeEntities(body);
    }
    return true;
}

QString Block(const Message& m) {
    QString s = QStringLiteral("//") + QString(40, QChar(0x2501)) + kCrLf;
    s += QStringLiteral("//\t") + m.subject;
    if (!m.label.isEmpty())
        s += QLatin1Char('(') + m.label + QLatin1Char(')');
    s += kCrLf;
    s += QStringLiteral("//━━━━\t") + m.dateText + QLatin1Char(':') + m.author + kCrLf;
    s += m.body + kCrLf + kCrLf;
    return s;
}

QString Summarise(const BoardSite& site, const QString& listAddress, const BoardProgress& progress,
                  bool markLinks, const QDateTime& dateLimit, QString& previousPage,
                  QString& nextPage) {
    clsWEB& web = site.web;
    const QString page = Fetch(web, listAddress);
    // An empty page would make GetLinks read the bound browser instead.
    if (page.isEmpty())
        return QString();
    const QString& host = site.host;
    const Common::StrArray links =
        web.GetLinks(host + QStringLiteral("/bbs?.mm=FN&action=m&board=*"), host, page, 33);
    if (!links || links->isEmpty())
        return QString();
    const int messages = int(links->size());

    qsizetype at = 1;
    previousPage =
        Common::CutOut(at, page, QStringLiteral("[ <a href=\""), QStringLiteral("\">前の40件"));
    if (at < 1)
        at = 1;
    nextPage =
        Common::CutOut(at, page, QStringLiteral("<a href=\""), QStringLiteral("\">次の40件"));

    QString report = Head();
    qint16 counts[6] = {};
    qint16 counted = 0;
    for (int i = 0; i < 5; ++i) {
        counts[i] = Common::CountOccurrences(1, page, BoardMarkers().at(i));
        counted = qint16(counted + counts[i]);
    }
    counts[5] = qint16(messages - counted);
    for (int i = 0; i < 6; ++i)
        report += BoardTableLine(BoardLabels().at(i), counts[i], messages);
    report += kCrLf;

    const int last = messages - 1;
    if (progress)
        progress(0, last);
    // The first link is the newest message, which the list already shows in full.
    for (int i = 1; i <= last; ++i) {
        Message m;
        if (ReadMessage(web, Fetch(web, links->at(i)), m)) {
            if (m.posted < dateLimit) {
                if (progress)
                    progress(last, last);
                break;
            }
            if (markLinks) {
                qsizetype length = 0;
                int which = -1;
                if (Common::FindFirstOf(1, m.body, QStringLiteral("http://,おすすめ"), length,
                                        which) > 0)
                    m.body = QStringLiteral("//━━━━  ********") + kCrLf;
            }
            report += Block(m);
        }
        if (progress)
            progress(i, last);
    }
    return report;
}

void TraceFault(int number, const QString& source, const QString& description) {
    Common::TraceLine(QStringLiteral("Err  : [") + QString::number(number) +
                      QStringLiteral(" for ") + source + QLatin1Char(']') + description);
}

} // namespace

const QStringList& BoardMarkers() {
    static const QStringList markers{QStringLiteral(">強く買いたい<"), QStringLiteral(">買いたい<"),
                                     QStringLiteral(">様子見<"), QStringLiteral(">売りたい<"),
                                     QStringLiteral(">強く売りたい<")};
    return markers;
}

const QStringList& BoardLabels() {
    static const QStringList labels{
        QStringLiteral("強く買いたい　… "), QStringLiteral("買いたい　　　… "),
        QStringLiteral("様子見　　　　… "), QStringLiteral("売りたい　　　… "),
        QStringLiteral("強く売りたい　… "), QStringLiteral("公表しない　　… ")};
    return labels;
}

QString BoardTableLine(const QString& label, qint16 count, int messages) {
    QString number = QString::number(count);
    if (number.size() > 3)
        number = number.right(3);
    const double percent = messages != 0 ? count * 100.0 / messages : 0.0;
    return label + number.rightJustified(3, QLatin1Char(' ')) + QStringLiteral(" Pts. ") +
           QString::number(percent, 'f', 2).rightJustified(6, QLatin1Char(' ')) +
           QStringLiteral("% ") + QString(qMax<int>(count, 0), QChar(0x25A0)) + kCrLf;
}

bool BoardCodeIsValid(const QString& code) {
    if (code.size() != 4 || code.at(0) < QLatin1Char('0') || code.at(0) > QLatin1Char('9'))
        return false;
    // Codes have held capital letters since 2024 ("130A").
    for (const QChar c : code) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && (c < QLatin1Char('A') || c > QLatin1Char('Z')))
            return false;
    }
    return true;
}

QString BoardListAddress(const BoardSite& site, const QString& code) {
    return site.host + QStringLiteral("/?action=q&board=") + code;
}

QString BoardReportPath() {
    return Common::AppDataFolder() + QStringLiteral("/掲示板.TXT");
}

QString SummariseBoard(const BoardSite& site, const QString& listAddress,
                       const BoardProgress& progress, bool markLinks, const QDateTime& dateLimit,
                       QString& previousPage, QString& nextPage) {
    try {
        return Summarise(site, listAddress, progress, markLinks, dateLimit, previousPage, nextPage);
    } catch (const ParseFault& fault) {
        TraceFault(fault.number, fault.source, fault.description);
    } catch (const std::exception& e) {
        TraceFault(51, QString::fromLatin1(kWhere), QString::fromLocal8Bit(e.what()));
    }
    return QString();
}

QString RunBoardCommand(const BoardSite& site, Ports::PromptPort& prompt,
                        const std::function<void(bool)>& setBusy,
                        const std::function<void(const QString&)>& openReport) {
    const std::optional<QString> answer =
        prompt.InputBox(QStringLiteral("銘柄コードを入力してください。"), BoardTitle, QString());
    if (!answer || answer->isEmpty())
        return QString();

    if (setBusy)
        setBusy(true);
    QString written;
    const QString code = answer->trimmed().toUpper();
    if (!BoardCodeIsValid(code)) {
        prompt.MessageBox(QStringLiteral("銘柄コードではないようです。"), BoardTitle,
                          Ports::MsgIcon::Critical, Ports::MsgButtons::Ok);
    } else {
        const QDateTime limit(Ports::Clock().Today().addDays(-3), QTime(0, 0));
        QString previous, next;
        // Messages that only carry a link or an advertisement are cut down to a marker line.
        const QString report = SummariseBoard(site, BoardListAddress(site, code), nullptr, true,
                                              limit, previous, next);
        clsFile file;
        if (!report.isEmpty() && file.OpenWriteString(BoardReportPath(), report)) {
            written = BoardReportPath();
            if (openReport)
                openReport(written);
        } else {
            prompt.MessageBox(QStringLiteral("銘柄コードが存在しないか、取得に失敗したようです。"),
                              BoardTitle, Ports::MsgIcon::Information, Ports::MsgButtons::Ok);
        }
    }
    if (setBusy)
        setBusy(false);
    return written;
}

} // namespace Yahoo
