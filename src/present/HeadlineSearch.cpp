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

void CompiledExpression::Fill(const News::NewsItem& item) const {
    QChar* out = truth_.data();
    for (size_t w = 0; w < words_.size(); ++w) {
        const QString& word = words_[w];
        const bool found =
            item.Title.contains(word) || item.Category.contains(word) || item.Source.contains(word);
        out[wordPlaces_[w]] = found ? u'T' : u'F';
    }
}

QString CompiledExpression::TruthString(const News::NewsItem& item) const {
    Fill(item);
    return truth_;
}

bool CompiledExpression::Matches(const News::NewsItem& item) const {
    if (!checked_)
        return false;
    Fill(item);
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

int SearchHeadlines(const News::NewsStore& store, GridModel& grid, int startIndex, int direction,
                    bool markAll, bool colourCells) {
    if (!store.HasNewsItems())
        return 0;
    Ports::MainWindowPort& window = Ports::MainWindow();
    const CompiledExpression expression(window.SearchText());
    const int count = store.Count();

    window.SetGridVisible(false);
    grid.BeginBatch();
    int hit = -1;
    const int step = direction == 1 ? 1 : -1;
    int i = step > 0 ? std::max(startIndex, 0) : std::min(startIndex, count - 1);
    for (; i >= 0 && i < count; i += step) {
        if (expression.Matches(store.Item(i))) {
            hit = i;
            if (colourCells)
                grid.SetBackColor(GridRow{count - i}, GridCol{9}, HitColor);
            if (!markAll)
                break;
        } else if (colourCells) {
            grid.SetBackColor(GridRow{count - i}, GridCol{9},
                              i % 2 == 0 ? EvenTitleColor : OddTitleColor);
        }
    }
    grid.EndBatch();
    window.SetGridVisible(true);
    if (markAll && hit < 0)
        window.SetPanelText(App::Panel::Message, QStringLiteral("該当記事がありませんでした。"));
    return hit;
}

} // namespace Present
