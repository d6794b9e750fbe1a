#pragma once
// The one list of known headlines, newest first (index 0 is the newest), with the read state.

#include "news/NewsItem.h"

#include <QString>

namespace News {

class NewsStore {
public:
    bool HasNewsItems() const;
    int Count() const;
    int UBound() const { return Count() - 1; } // -1 when empty
    const NewsItem& Item(int index) const;     // O(1)
    NewsItem& MutableItem(int index);          // O(1); do not change the duplicate-key fields

    int FindNewsItem(double posted, const QString& source, const QString& category,
                     const QString& title, const QString& url) const;
    int FindInsertPosition(double posted) const;
    // position in/out: -1 = append; returns false when the headline was not taken (VIP rule).
    bool InsertNewsItem(int& position, double posted, const QString& source,
                        const QString& category, const QString& title, const QString& url,
                        bool isVip, const QString& mark);
    void ClearNewFlags();
    void MarkAllRead(); // "全て既読": opened, not new
    void Clear();
};

NewsStore& Store();

} // namespace News
