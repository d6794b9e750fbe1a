// The news feeds: each source's headlines of today and yesterday as RSS 2.0, RSS 1.0 or Atom.

#include "Content.h"

#include <QLocale>

namespace Feedsim {

namespace {

QString XmlEscaped(const QString& text) {
    QString out = text;
    out.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;").replace('"', "&quot;");
    return out;
}

// The portal titles carry HTML entities; in a feed they are plain text first.
QString PlainTitle(const QString& html) {
    QString t = html;
    t.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
    return t;
}

// The written forms of one title, chosen per item so that a feed shows all of them.
QString TitleElement(const QString& plain, int form, FeedKind kind) {
    switch (form % 4) {
    case 0:
        return "<title>" + XmlEscaped(plain) + "</title>";
    case 1:
        // CDATA, as many feeds send their titles; "]]>" never occurs in ours.
        return "<title><![CDATA[" + plain + "]]></title>";
    case 2: {
        // Every non-ASCII character as a numeric reference, surrounded by white space runs.
        QString refs;
        for (const QChar c : XmlEscaped(plain))
            refs +=
                c.unicode() < 0x80 ? QString(c) : QStringLiteral("&#x%1;").arg(c.unicode(), 0, 16);
        return "<title>\n  " + refs + "\n</title>";
    }
    default:
        // Markup in the title: escaped HTML, type="html" in Atom.
        if (kind == FeedKind::Atom)
            return "<title type=\"html\">" + XmlEscaped("<b>" + XmlEscaped(plain) + "</b>") +
                   "</title>";
        return "<title>" + XmlEscaped("<b>" + XmlEscaped(plain) + "</b>") + "</title>";
    }
}

// "+0900", "-0530": the offset of a local time.
QString Offset(const QDateTime& local, bool colon) {
    const int minutes = local.offsetFromUtc() / 60;
    const int a = qAbs(minutes);
    return QStringLiteral("%1%2%3%4")
        .arg(minutes < 0 ? '-' : '+')
        .arg(a / 60, 2, 10, QLatin1Char('0'))
        .arg(colon ? ":" : "")
        .arg(a % 60, 2, 10, QLatin1Char('0'));
}

QString Rfc822(const QDateTime& local, int form) {
    const QLocale c = QLocale::c();
    const bool japan = local.offsetFromUtc() == 9 * 3600;
    switch (form % 3) {
    case 0:
        return c.toString(local, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
               Offset(local, false);
    case 1:
        if (japan)
            return c.toString(local, QStringLiteral("ddd, d MMM yyyy HH:mm")) + " JST";
        [[fallthrough]];
    default:
        return c.toString(local.toUTC(), QStringLiteral("dd MMM yyyy HH:mm:ss")) + " GMT";
    }
}

QString W3c(const QDateTime& local, int form) {
    // With seconds or without, in UTC or with the local offset.
    if (form % 2 == 0)
        return local.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + "Z";
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm")) + Offset(local, true);
}

const QStringList& BadDates() {
    static const QStringList list = {"2024-13-45T25:61:00Z", "someday",
                                     "Fri, 32 Foo 2024 99:99 XYZ", "", "1704412800"};
    return list;
}

} // namespace

QString Content::FeedDeclaration(const QByteArray& charset) {
    return "<?xml version=\"1.0\" encoding=\"" + QString::fromLatin1(charset) + "\"?>\n";
}

QString Content::Feed(FeedKind kind, const QString& code, const QString& origin, int count,
                      bool badDates, bool malformed, QDateTime& lastModified) {
    const int index = int(SourceCodes().indexOf(code));
    const QString name = index >= 0 ? SourceNames().at(index) : code;
    const QDate today = clock_.Now().date();
    // Newest first: today's, then yesterday's.
    struct Entry {
        Headline h;
        QDate date;
    };
    QList<Entry> entries;
    for (const QDate& day : {today, today.addDays(-1)}) {
        const QVector<Headline> visible = VisibleHeadlines(code, day);
        for (auto it = visible.rbegin(); it != visible.rend() && entries.size() < count; ++it)
            entries.append({*it, day});
    }
    // Times are local, as everywhere in the simulator.
    const auto when = [](const Entry& e) {
        return QDateTime(e.date, QTime::fromMSecsSinceStartOfDay(e.h.secs * 1000));
    };
    lastModified =
        entries.isEmpty() ? QDateTime(today.addDays(-1), QTime(0, 0)) : when(entries.first());
    const QString feedPath = origin + "/feeds/";

    QString x;
    switch (kind) {
    case FeedKind::Rss2:
        x += "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel>\n"
             "<title>" +
             name + "</title>\n<link>" + origin + "/</link>\n<language>ja</language>\n";
        break;
    case FeedKind::Rss1:
        x += "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
             "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
             "<channel rdf:about=\"" +
             feedPath + "rss1/" + code + ".xml\">\n<title>" + name + "</title>\n<link>" + origin +
             "/</link>\n<items><rdf:Seq>\n";
        for (const Entry& e : entries)
            x += "<rdf:li rdf:resource=\"" + origin + "/p/" + e.date.toString("yyyyMMdd") + "-" +
                 QString::number(e.h.seq) + "-" + code + "\"/>\n";
        x += "</rdf:Seq></items>\n</channel>\n";
        break;
    case FeedKind::Atom:
        // The base of the entries' relative links is the site, not the feed's folder.
        x += "<feed xmlns=\"http://www.w3.org/2005/Atom\" xml:base=\"" + origin +
             "/p/\">\n<title>" + name + "</title>\n<id>urn:feedsim:" + code + "</id>\n<updated>" +
             W3c(lastModified, 0) + "</updated>\n<link rel=\"self\" href=\"" + feedPath + "atom/" +
             code + ".xml\"/>\n";
        break;
    }

    int n = 0;
    for (const Entry& e : entries) {
        ++n;
        const QString id =
            e.date.toString("yyyyMMdd") + "-" + QString::number(e.h.seq) + "-" + code;
        const QString title = TitleElement(PlainTitle(e.h.title), e.h.seq, kind);
        const QDateTime at = when(e);
        const QString badDate = BadDates().at(e.h.seq % BadDates().size());
        // Every second item's link is relative: to the feed's address in RSS, to xml:base in Atom.
        const bool relative = e.h.seq % 2 == 0;
        // Half the entries were edited two minutes after they were published.
        const bool published = e.h.seq % 2 == 0;
        const QString category = e.h.seq % 3 == 0 ? QStringLiteral("市況") : name;
        if (malformed && n == 4) {
            // A tag closed by the wrong name; a reader stops here.
            x += kind == FeedKind::Atom ? "<entry><title>壊れた見出し</titel></entry>\n"
                                        : "<item><title>壊れた見出し</titel></item>\n";
        }
        switch (kind) {
        case FeedKind::Rss2:
            x += "<item>" + title + "<link>" + (relative ? "../../p/" + id : origin + "/p/" + id) +
                 "</link><category>" + category + "</category><guid isPermaLink=\"false\">" + id +
                 "</guid><pubDate>" + (badDates ? badDate : Rfc822(at, e.h.seq)) +
                 "</pubDate></item>\n";
            break;
        case FeedKind::Rss1:
            x += "<item rdf:about=\"" + origin + "/p/" + id + "\">" + title + "<link>" +
                 (relative ? "../../p/" + id : origin + "/p/" + id) + "</link><dc:subject>" +
                 category + "</dc:subject><dc:date>" + (badDates ? badDate : W3c(at, e.h.seq)) +
                 "</dc:date></item>\n";
            break;
        case FeedKind::Atom:
            x += "<entry>" + title + "<id>urn:feedsim:" + id +
                 "</id><link rel=\"enclosure\" href=\"" + origin + "/media/" + id +
                 ".jpg\"/><link rel=\"alternate\" href=\"" + (relative ? id : origin + "/p/" + id) +
                 "\"/><category term=\"" + category + "\"/>" +
                 (published
                      ? "<published>" + (badDates ? badDate : W3c(at, e.h.seq)) + "</published>"
                      : QString()) +
                 "<updated>" +
                 (badDates ? badDate : W3c(published ? at.addSecs(120) : at, e.h.seq)) +
                 "</updated></entry>\n";
            break;
        }
    }
    x += kind == FeedKind::Rss2   ? "</channel>\n</rss>\n"
         : kind == FeedKind::Rss1 ? "</rdf:RDF>\n"
                                  : "</feed>\n";
    return x;
}

} // namespace Feedsim
