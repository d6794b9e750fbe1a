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
    bool Matches(const QString& title, const QString& category, const QString& source) const;
    // The expression with "T" for every word, e.g. "T&(T|T)"; what the check looks at.
    const QString& Pattern() const { return pattern_; }
    // The expression passed the check; one that did not matches nothing.
    bool Checked() const { return checked_; }
    // The same with each word's presence told by found(word index), for a reader that finds the
    // words without making a NewsItem.
    bool MatchesWith(const std::function<bool(size_t word)>& found) const;
    const std::vector<QString>& Words() const { return words_; }
    // The truth string of a headline, e.g. "T&(F|T)".
    QString TruthString(const News::NewsItem& item) const;

private:
    void Fill(const QString& title, const QString& category, const QString& source) const;

    std::vector<QString> words_; // in order of their place in the truth string
    std::vector<int> wordPlaces_;
    QString pattern_; // operators in place, "T" where the words go
    bool checked_ = false;
    mutable QString truth_;
};

bool MatchesExpression(const News::NewsStore& store, const QString& expression, int storeIndex);

} // namespace Present
