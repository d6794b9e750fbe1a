#pragma once
// Searching the headlines of the store with a word expression such as "日銀 & (円|ドル)".

#include "present/GridModel.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace News {
struct NewsItem;
class NewsStore;
} // namespace News

namespace Present {

inline constexpr Rgb HitColor = MakeRgb(255, 191, 191);
inline constexpr Rgb EvenTitleColor = MakeRgb(223, 223, 223);
inline constexpr Rgb OddTitleColor = MakeRgb(255, 255, 255);

// An expression split once, to be tested against many headlines.
class CompiledExpression {
public:
    explicit CompiledExpression(const QString& expression);
    bool Matches(const News::NewsItem& item) const;
    // The same with each word's presence told by found(word index), for a reader that finds the
    // words without making a NewsItem.
    bool MatchesWith(const std::function<bool(size_t word)>& found) const;
    const std::vector<QString>& Words() const { return words_; }
    // The truth string of a headline, e.g. "T&(F|T)".
    QString TruthString(const News::NewsItem& item) const;

private:
    void Fill(const News::NewsItem& item) const;

    std::vector<QString> words_; // in order of their place in the truth string
    std::vector<int> wordPlaces_;
    QString pattern_; // operators in place, "T" where the words go
    bool checked_ = false;
    mutable QString truth_;
};

bool MatchesExpression(const News::NewsStore& store, const QString& expression, int storeIndex);

// Scans the store from startIndex (direction 1: upwards to the last headline, else down to 0)
// with the search-box text, colouring the title cells of grid, which shows the store. Returns
// the hit (the last one when marking all) or -1; 0 for an empty store.
int SearchHeadlines(const News::NewsStore& store, GridModel& grid, int startIndex, int direction,
                    bool markAll, bool colourCells);

} // namespace Present
