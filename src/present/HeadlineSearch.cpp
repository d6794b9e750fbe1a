#include "present/HeadlineSearch.h"

#include "app/Ports.h"
#include "news/NewsStore.h"
#include "present/HeadlineTable.h"
#include "present/Math.h"
#include "text/Common.h"

namespace Present {

namespace {
bool IsOperator(const QString& token) {
    return token.size() == 1 &&
           (token[0] == u'(' || token[0] == u')' || token[0] == u'&' || token[0] == u'|');
}
} // namespace

CompiledExpression::CompiledExpression(const QString& expression) {
    const Common::StrArray tokens =
        Common::SplitTokens(expression, QStringLiteral("()&|"), true, false, true);
    if (tokens) {
        for (const QString& token : *tokens) {
            // Blanks between two operators are no word ("A & (B)").
            if (token.isEmpty())
                continue;
            if (IsOperator(token)) {
                pattern_ += token;
            } else {
                wordPlaces_.push_back(int(pattern_.size()));
                words_.push_back(token);
                pattern_ += u'T';
            }
        }
    }
    // The check looks only at the operators and where the words stand, never at T or F, so
    // one check serves every headline.
    checked_ = Math::CheckExpression(pattern_, false);
    truth_ = pattern_;
}

void CompiledExpression::Fill(const QString& title, const QString& category,
                              const QString& source) const {
    QChar* out = truth_.data();
    for (size_t w = 0; w < words_.size(); ++w) {
        const QString& word = words_[w];
        const bool found = title.contains(word) || category.contains(word) || source.contains(word);
        out[wordPlaces_[w]] = found ? u'T' : u'F';
    }
}

QString CompiledExpression::TruthString(const News::NewsItem& item) const {
    Fill(item.Title, item.Category, item.Source);
    return truth_;
}

bool CompiledExpression::Matches(const News::NewsItem& item) const {
    return Matches(item.Title, item.Category, item.Source);
}

bool CompiledExpression::Matches(const QString& title, const QString& category,
                                 const QString& source) const {
    if (!checked_)
        return false;
    Fill(title, category, source);
    return Math::ReduceTruthString(truth_);
}

bool CompiledExpression::MatchesWith(const std::function<bool(size_t)>& found) const {
    if (!checked_)
        return false;
    QChar* out = truth_.data();
    for (size_t w = 0; w < words_.size(); ++w)
        out[wordPlaces_[w]] = found(w) ? u'T' : u'F';
    return Math::ReduceTruthString(truth_);
}

bool MatchesExpression(const News::NewsStore& store, const QString& expression, int storeIndex) {
    if (storeIndex < 0 || storeIndex >= store.Count())
        return false;
    return CompiledExpression(expression).Matches(store.Item(storeIndex));
}

} // namespace Present
