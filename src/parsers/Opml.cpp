#include "parsers/Opml.h"

#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace Opml {

namespace {

// XML 1.0 cannot carry most control characters, lone surrogates or U+FFFE / U+FFFF even as
// character references; a name holding one would make the whole file unreadable.
QString XmlSafe(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            safe += c;
            safe += text.at(++i);
            continue;
        }
        const char16_t u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF ||
            (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r'))
            continue;
        safe += c;
    }
    return safe;
}

} // namespace

bool IsFeedAddress(const QString& url) {
    const QUrl parsed(url.trimmed());
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() && (scheme == u"http" || scheme == u"https") &&
           !parsed.host().isEmpty();
}

QString AddressKey(const QString& url) {
    const QUrl parsed(url.trimmed());
    return parsed.isValid() ? parsed.toString(QUrl::FullyEncoded) : url.trimmed();
}

QList<Program::FeedSource> ReadOpml(const QByteArray& bytes, QString* error, int* unusable) {
    if (unusable)
        *unusable = 0;
    QList<Program::FeedSource> feeds;
    QSet<QString> seen;
    QString fault;
    QXmlStreamReader xml(bytes);
    bool root = true;
    while (!xml.atEnd() && fault.isEmpty()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (root) {
            root = false;
            if (xml.name() != u"opml") {
                fault = QStringLiteral("OPMLのファイルではありません。");
                break;
            }
            continue;
        }
        if (xml.name() != u"outline")
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const QString url = attributes.value(QStringLiteral("xmlUrl")).toString().trimmed();
        if (!IsFeedAddress(url)) {
            if (unusable && !url.isEmpty())
                ++*unusable;
            continue;
        }
        if (seen.contains(AddressKey(url)))
            continue;
        if (feeds.size() >= Program::MaxFeeds) {
            fault = QStringLiteral("フィードは%1件までです。残りは読み込みませんでした。")
                        .arg(Program::MaxFeeds);
            break;
        }
        Program::FeedSource feed;
        feed.Url = url;
        feed.Name = attributes.value(QStringLiteral("title")).toString().simplified();
        if (feed.Name.isEmpty())
            feed.Name = attributes.value(QStringLiteral("text")).toString().simplified();
        if (feed.Name.isEmpty())
            feed.Name = url.simplified(); // as a title would be read back
        feeds.append(feed);
        seen.insert(AddressKey(url));
    }
    if (fault.isEmpty() && xml.hasError()) {
        fault = root
                    ? QStringLiteral("OPMLのファイルではありません。")
                    : QStringLiteral("OPMLの%1行目が壊れています。そこまでの%2件を読み込みました。")
                          .arg(xml.lineNumber())
                          .arg(feeds.size());
    }
    if (error)
        *error = fault;
    return feeds;
}

QByteArray WriteOpml(const QList<Program::FeedSource>& feeds, const QString& title) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), XmlSafe(title));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    // OPML has no way to say a feed is switched off: disabled feeds are written like the others
    // and come back enabled when the file is read again.
    for (const Program::FeedSource& feed : feeds) {
        const QString name = XmlSafe(feed.Name);
        xml.writeEmptyElement(QStringLiteral("outline"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("rss"));
        xml.writeAttribute(QStringLiteral("text"), name);
        xml.writeAttribute(QStringLiteral("title"), name);
        xml.writeAttribute(QStringLiteral("xmlUrl"), XmlSafe(feed.Url));
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

} // namespace Opml
