#pragma once
// The watch list: headlines the user follows, written like a search
// ("7203|トヨタ|(決算&上方修正)"), and what the desktop is told after a cycle brought some of them.

#include "present/HeadlineSearch.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace News {
struct NewsItem;
class NewsStore;
} // namespace News
namespace Program {
struct SettingsState;
}

namespace Present {

// A watched headline: a colour for the category cell and a picture of its own.
inline constexpr Rgb WatchColor = MakeRgb(255, 223, 127);
inline const QString WatchPicture = QStringLiteral("WATCH");

class WatchList {
public:
    explicit WatchList(const QString& expression);
    // Something to watch: the expression is not blank and passes the check.
    bool Active() const { return active_; }
    bool Matches(const News::NewsItem& item) const { return active_ && compiled_.Matches(item); }

private:
    CompiledExpression compiled_;
    bool active_ = false;
};

// Why an expression cannot be watched, as the search would say it: the message, CR LF and the
// truth pattern. "" when it can (a blank one included: nothing is watched).
QString WatchProblem(const QString& expression);

// The store indexes among `indexes` whose headlines the watch matches, in the same order.
QList<int> WatchHits(const News::NewsStore& store, const QList<int>& indexes,
                     const WatchList& watch);

inline constexpr int NoticeLines = 5;

// One desktop notification about a cycle's news.
struct NewsNotice {
    QString summary;   // "注目ニュース 3 件" or "新着ニュース 12 件"
    QStringList lines; // "HH:MM 出所 見出し", newest first, then "ほか N 件"
    QList<int> items;  // store indexes of every headline it is about, newest first
    bool watch = false;
};

// What a cycle that added `newIndexes` tells the desktop: with "すべての新着を通知" every new
// headline, else the watched ones; nothing when there is nothing to tell.
std::optional<NewsNotice> NoticeForCycle(const News::NewsStore& store, const QList<int>& newIndexes,
                                         const Program::SettingsState& settings);

} // namespace Present
