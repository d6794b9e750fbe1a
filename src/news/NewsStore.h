#pragma once
// The one list of known headlines, newest first (index 0 is the newest), with the read state.

#include "news/NewsItem.h"

#include <QList>
#include <QString>
#include <deque>
#include <unordered_map>
#include <vector>

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

    // Replaces the whole store, items in store order (newest first), as the day file holds them.
    void ReplaceAll(QList<NewsItem> items);
    // The items in store order (a copy).
    QList<NewsItem> Items() const;

    // The security code of a disclosure headline's category: "(東証:72030)" gives 7203, 0 when
    // there is no number.
    static qint32 StockCodeOf(const QString& category);

private:
    // Items live in pool_ under a stable id and never move. order_ holds the ids oldest first, so
    // that the usual insert of a newest headline is a push at the back; index i is physical
    // position Count()-1-i. pos of an id = rel_[id] + base_, kept exact on every insert at the
    // cost of the shorter side only.
    int PhysicalOf(qint32 id) const { return rel_[id] + base_; }
    int IdAt(int index) const { return order_[order_.size() - 1 - index]; }
    void BuildKeyIndex() const;
    void CheckOrder();
    static size_t KeyOf(double posted, const QString& title);

    std::vector<NewsItem> pool_;
    std::deque<qint32> order_;
    std::vector<int> rel_;
    int base_ = 0;
    // Newest first by Posted: binary search is only sound then; otherwise the linear scan.
    bool sorted_ = true;
    // Duplicate test index: Posted and Title to ids; built on the first find after a replace.
    mutable std::unordered_multimap<size_t, qint32> keys_;
    mutable bool keysBuilt_ = false;
};

NewsStore& Store();

} // namespace News
