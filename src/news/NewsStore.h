#pragma once
// The list of known headlines, newest first (index 0 is the newest), with the read state.

#include "news/NewsItem.h"

#include <QList>
#include <QString>
#include <vector>

namespace Program {
struct SettingsState;
}

namespace News {

// The day file as a store last read or wrote it: device, inode, size and modification time.
// The file is replaced as a whole on every save, so a new inode means someone wrote it.
struct DayFileStamp {
    QString path;
    quint64 device = 0, inode = 0;
    qint64 size = -1, modifiedNs = 0;
    bool operator==(const DayFileStamp&) const = default;
};

class NewsStore {
public:
    // The settings decide whether headlines of the VIP area are taken.
    explicit NewsStore(const Program::SettingsState& settings) : settings_(&settings) {}

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
    void MarkAllRead(); // every headline opened, none new
    void Clear();

    // Set by the day file's load and save; a cleared store matches no file.
    DayFileStamp SyncedFile;

    // Replaces the whole store, items in store order (newest first), as the day file holds them.
    void ReplaceAll(QList<NewsItem> items);
    // The same with the items oldest first, taken over without copying (the day file's loader).
    void AdoptOldestFirst(std::vector<NewsItem>&& items);
    // The capacity to reserve in a vector handed to AdoptOldestFirst, so that the inserts after
    // a load do not move the whole pool.
    static size_t CapacityFor(qsizetype count);
    // The items in store order (a copy).
    QList<NewsItem> Items() const;

    // The security code of a disclosure headline's category: "(東証:72030)" gives 7203, 0 when
    // there is no number.
    static qint32 StockCodeOf(const QString& category);

private:
    // Items live in pool_ under a stable id and never move. order_ holds the ids oldest first, so
    // that the usual insert of a newest headline is an append (or a short move near the back);
    // index i is order_[Count()-1-i].
    int IdAt(int index) const { return order_[order_.size() - 1 - index]; }
    // Sorted stores only: the first index whose Posted is earlier than or equal to posted.
    int FirstAtOrBelow(double posted) const;
    void BuildKeyIndex() const;
    void AddKey(qint32 id) const;
    void CheckOrder();
    static quint64 KeyOf(double posted, const QString& title);

    const Program::SettingsState* settings_;
    std::vector<NewsItem> pool_;
    std::vector<qint32> order_;
    // Newest first by Posted: binary search is only sound then; otherwise the linear scan.
    bool sorted_ = true;
    // Duplicate test index, open addressing on a hash of Posted and Title; equal entries simply
    // sit in the same probe run. Built on the first find after a replace.
    struct Slot {
        quint64 hash = 0;
        qint32 id = -1; // -1: empty
    };
    mutable std::vector<Slot> slots_;
    mutable qsizetype keyCount_ = 0;
    mutable bool keysBuilt_ = false;
};

} // namespace News
