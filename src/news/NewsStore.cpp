#include "news/NewsStore.h"

#include "app/SettingsState.h"

#include <QVarLengthArray>
#include <bit>
#include <cstring>

namespace News {

namespace {

const QString kDisclosureSource = QStringLiteral("適時開示情報");

bool IsNan(double value) {
    return value != value;
}

} // namespace

size_t NewsStore::CapacityFor(qsizetype count) {
    // Room to grow: moving a large pool costs more than the untouched memory, which the system
    // does not even map until it is used.
    return static_cast<size_t>(count + count / 4 + 1024);
}

bool NewsStore::HasNewsItems() const {
    return !order_.empty();
}

int NewsStore::Count() const {
    return static_cast<int>(order_.size());
}

const NewsItem& NewsStore::Item(int index) const {
    Q_ASSERT(index >= 0 && index < Count());
    return pool_[IdAt(index)];
}

NewsItem& NewsStore::MutableItem(int index) {
    Q_ASSERT(index >= 0 && index < Count());
    return pool_[IdAt(index)];
}

quint64 NewsStore::KeyOf(double posted, const QString& title) {
    constexpr quint64 kMul = 0x9E3779B97F4A7C15ULL;
    // 0.0 and -0.0 compare equal, so they must hash alike.
    const double normal = posted == 0 ? 0.0 : posted;
    quint64 h = std::bit_cast<quint64>(normal) * kMul;
    const ushort* p = title.utf16();
    qsizetype left = title.size();
    for (; left >= 4; left -= 4, p += 4) {
        quint64 word;
        std::memcpy(&word, p, 8);
        h = std::rotl((h ^ word) * kMul, 31);
    }
    for (; left > 0; --left, ++p) {
        h = std::rotl((h ^ *p) * kMul, 31);
    }
    // Murmur's finaliser: the table uses the low bits.
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

void NewsStore::AddKey(qint32 id) const {
    if ((keyCount_ + 1) * 2 > static_cast<qsizetype>(slots_.size())) {
        // Grow to keep the table at most half full.
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<size_t>(64, old.size() * 2), Slot());
        const size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.id >= 0) {
                size_t i = slot.hash & mask;
                while (slots_[i].id >= 0) {
                    i = (i + 1) & mask;
                }
                slots_[i] = slot;
            }
        }
    }
    const quint64 hash = KeyOf(pool_[id].Posted, pool_[id].Title);
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].id >= 0) {
        i = (i + 1) & mask;
    }
    slots_[i] = Slot{hash, id};
    ++keyCount_;
}

void NewsStore::BuildKeyIndex() const {
    size_t size = 64;
    while (size < pool_.size() * 2 + 2) {
        size *= 2;
    }
    slots_.assign(size, Slot());
    keyCount_ = 0;
    for (qint32 id = 0; id < static_cast<qint32>(pool_.size()); ++id) {
        if (!IsNan(pool_[id].Posted)) {
            AddKey(id);
        }
    }
    keysBuilt_ = true;
}

int NewsStore::FirstAtOrBelow(double posted) const {
    // Newest first: "Posted <= posted" is false up to some index and true from there on.
    int low = 0;
    int high = Count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (Item(mid).Posted <= posted) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return low;
}

int NewsStore::FindNewsItem(double posted, const QString& source, const QString& category,
                            const QString& title, const QString& url) const {
    if (order_.empty() || IsNan(posted)) {
        return -1;
    }
    if (!keysBuilt_) {
        BuildKeyIndex();
    }
    QVarLengthArray<qint32, 4> matches;
    const quint64 hash = KeyOf(posted, title);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask; slots_[i].id >= 0; i = (i + 1) & mask) {
        if (slots_[i].hash != hash) {
            continue;
        }
        const NewsItem& item = pool_[slots_[i].id];
        if (item.Posted == posted && item.Title == title && item.Source == source &&
            item.Category == category && item.Url == url) {
            matches.append(slots_[i].id);
        }
    }
    if (matches.isEmpty()) {
        return -1;
    }
    // Of several equal entries the one nearest index 0. In a sorted store they all sit in the
    // run of entries with this very time.
    const int n = Count();
    int i = sorted_ ? FirstAtOrBelow(posted) : 0;
    for (; i < n; ++i) {
        if (matches.contains(IdAt(i))) {
            return i;
        }
    }
    return -1; // not reached: every match is in the store
}

int NewsStore::FindInsertPosition(double posted) const {
    const int n = Count();
    if (sorted_) {
        const int first = FirstAtOrBelow(posted);
        return first < n ? first : -1;
    }
    for (int i = 0; i < n; ++i) {
        if (Item(i).Posted <= posted) {
            return i;
        }
    }
    return -1;
}

qint32 NewsStore::StockCodeOf(const QString& category) {
    const qsizetype open = category.indexOf(u'(');
    if (open < 0) {
        return 0;
    }
    const qsizetype close = category.indexOf(u')', open + 1);
    if (close < 0) {
        return 0;
    }
    const QString code = category.mid(open + 1, close - open - 1).right(5).left(4);
    // Blanks only, as everywhere in the page texts.
    qsizetype from = 0;
    qsizetype to = code.size();
    while (from < to && code[from] == u' ') {
        ++from;
    }
    while (to > from && code[to - 1] == u' ') {
        --to;
    }
    bool ok = false;
    const qint32 value = QStringView(code).mid(from, to - from).toInt(&ok);
    return ok ? value : 0;
}

bool NewsStore::InsertNewsItem(int& position, double posted, const QString& source,
                               const QString& category, const QString& title, const QString& url,
                               bool isVip, const QString& mark) {
    if (isVip && !settings_->DispVip) {
        return false;
    }
    const int n = Count();
    if (position < 0 || position > n) {
        position = n;
    }

    NewsItem item;
    item.Posted = posted;
    item.Source = source;
    item.Category = category;
    item.Title = title;
    item.Url = url;
    item.IsVip = isVip;
    item.Mark = mark;
    item.IsOpened = false;
    item.IsNew = true;
    item.Reserved3 = false;
    if (source == kDisclosureSource) {
        item.StockCode = StockCodeOf(category);
    }

    const qint32 id = static_cast<qint32>(pool_.size());
    pool_.push_back(std::move(item));
    order_.insert(order_.begin() + (n - position), id);

    if (sorted_) {
        if (position > 0 && !(Item(position - 1).Posted >= posted)) {
            sorted_ = false;
        }
        if (position < n && !(posted >= Item(position + 1).Posted)) {
            sorted_ = false;
        }
    }
    if (keysBuilt_ && !IsNan(posted)) {
        AddKey(id);
    }
    return true;
}

void NewsStore::ClearNewFlags() {
    for (NewsItem& item : pool_) {
        item.IsNew = false;
    }
}

void NewsStore::MarkAllRead() {
    for (NewsItem& item : pool_) {
        item.IsOpened = true;
        item.IsNew = false;
    }
}

void NewsStore::Clear() {
    pool_.clear();
    order_.clear();
    sorted_ = true;
    slots_.clear();
    keyCount_ = 0;
    keysBuilt_ = false;
    SyncedFile = DayFileStamp();
}

void NewsStore::CheckOrder() {
    sorted_ = true;
    for (int i = 1; i < Count(); ++i) {
        if (!(Item(i - 1).Posted >= Item(i).Posted)) {
            sorted_ = false;
            return;
        }
    }
}

void NewsStore::ReplaceAll(QList<NewsItem> items) {
    std::vector<NewsItem> oldestFirst;
    oldestFirst.reserve(CapacityFor(items.size()));
    for (qsizetype j = items.size() - 1; j >= 0; --j) {
        oldestFirst.push_back(std::move(items[j]));
    }
    AdoptOldestFirst(std::move(oldestFirst));
}

void NewsStore::AdoptOldestFirst(std::vector<NewsItem>&& items) {
    Clear();
    pool_ = std::move(items);
    const int n = static_cast<int>(pool_.size());
    pool_.reserve(CapacityFor(n));
    order_.reserve(CapacityFor(n));
    order_.resize(n);
    for (int j = 0; j < n; ++j) {
        order_[j] = j;
    }
    CheckOrder();
}

QList<NewsItem> NewsStore::Items() const {
    QList<NewsItem> items;
    items.reserve(Count());
    for (int i = 0; i < Count(); ++i) {
        items.append(Item(i));
    }
    return items;
}

} // namespace News
