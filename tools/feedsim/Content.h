#pragma once
// The simulated sites' pages: portal news lists, disclosure lists, message boards, articles.
// Everything is derived from the seed and the simulated clock, so two runs with the same seed
// and the same clock serve the same bytes.

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVector>

namespace Feedsim {

// Simulated local time: the start time plus the real time since launch (unless frozen) plus
// whatever /_feedsim/advance added.
class SimClock {
public:
    SimClock(const QDateTime& start, bool frozen);
    QDateTime Now() const;
    void Advance(qint64 minutes);

private:
    QDateTime start_;
    QElapsedTimer running_;
    qint64 offsetMs_ = 0;
    bool frozen_;
};

struct Headline {
    int secs = 0; // seconds since local midnight
    int seq = 0;
    QString title; // HTML-ready, entities deliberate
    int urlForm = 0;
    int timeForm = 0;
};

enum class FeedKind { Rss2, Rss1, Atom };

// How the disclosure service lays out its list pages: as it does today, or the older layout
// with comment markers around each row.
enum class TdnetLayout { Today, Classic };

struct Disclosure {
    int secs = 0;
    int seq = 0;
    QString codeText;        // as the code cell shows it, e.g. "72030", "01234", "330A0"
    QString classicCodeText; // the older layout predates codes with letters: a numeric stand-in
    QString company;
    QString title;
    QString xbrlText; // empty: no link in cell 001
    bool history = false;
    bool withdrawn = false;
    QString exchange;
};

struct BoardMessage {
    QDateTime posted;
    int mid = 0;
    int label = 5; // 0..4 sentiment, 5 not disclosed
    QString subject;
    QString author;
    QString body; // "<br>"-separated lines
    bool linkedTwice = false;
    bool absoluteLink = false;
};

class Content {
public:
    Content(quint64 seed, double rate, const SimClock& clock,
            TdnetLayout layout = TdnetLayout::Today);

    static const QStringList& SourceCodes();
    static const QStringList& SourceNames();

    // origin is "http://127.0.0.1:PORT"; charset the label the page declares.
    QString PortalPage(const QString& code, const QDate& date, int page, const QString& origin,
                       const QByteArray& charset);
    // False when the page number is past the last page. forcedRows > 0 serves one page of that
    // many rows instead of the day's list. Withdrawn disclosures are listed (struck through)
    // only in the older layout.
    bool TdnetPage(const QDate& date, int page, int forcedRows, const QByteArray& charset,
                   QString& html, QDateTime& lastModified);
    QString BoardListPage(const QString& board, int page, const QString& origin,
                          const QByteArray& charset);
    QString BoardMessagePage(const QString& board, int mid, const QByteArray& charset);
    static QString ArticlePage(const QString& target);
    // A source's newest count headlines of today and yesterday as a feed without its XML
    // declaration. badDates: unreadable dates throughout; malformed: a broken tag before the
    // fourth entry. lastModified: the time of the newest entry.
    static QString FeedDeclaration(const QByteArray& charset);
    QString Feed(FeedKind kind, const QString& code, const QString& origin, int count,
                 bool badDates, bool malformed, QDateTime& lastModified);

    // Headlines of a source and day that exist at the simulated now, oldest first.
    QVector<Headline> VisibleHeadlines(const QString& code, const QDate& date);
    QVector<Disclosure> VisibleDisclosures(const QDate& date);

    static constexpr int kPortalPageSize = 20;
    static constexpr int kTdnetPageSize = 100;
    static constexpr int kBoardPageSize = 40;

private:
    const QVector<Headline>& DayHeadlines(const QString& code, const QDate& date);
    const QVector<Disclosure>& DayDisclosures(const QDate& date);
    QVector<BoardMessage> BoardMessages(const QString& board);
    int VisibleLimit(const QDate& date) const;
    QString TdnetRowsClassic(const QVector<Disclosure>& rows, int first, int last,
                             const QString& ymd) const;
    QString TdnetRowsToday(const QVector<Disclosure>& rows, int first, int last,
                           const QString& ymd) const;

    quint64 seed_;
    double rate_;
    const SimClock& clock_;
    TdnetLayout layout_;
    QHash<QString, QVector<Headline>> headlineCache_;
    QHash<qint64, QVector<Disclosure>> disclosureCache_;
};

} // namespace Feedsim
