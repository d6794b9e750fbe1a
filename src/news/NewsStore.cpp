#include "news/NewsStore.h"

#include "app/SettingsState.h"

#include <QHashFunctions>
#include <bit>

namespace News {

namespace {

const QString kDisclosureSource = QStringLiteral("適時開示情報");

bool IsNan(double value) {
    return value != value;
}

} // namespace

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

size_t NewsStore::KeyOf(double posted, const QString& title) {
    // 0.0 and -0.0 compare equal, so they must hash alike.
    const double normal = posted == 0 ? 0.0 : posted;
    return qHashMulti(0, std::bit_cast<quint64>(normal), title);
}

void NewsStore::BuildKeyIndex() const {
    keys_.clear();
    keys_.reserve(pool_.size());
    for (qint32 id = 0; id < static_cast<qint32>(pool_.size()); ++id) {
        if (!IsNan(pool_[id].Posted)) {
            keys_.emplace(KeyOf(pool_[id].Posted, pool_[id].Title), id);
        }
    }
    keysBuilt_ = true;
}

int NewsStore::FindNewsItem(double posted, const QString& source, const QString& category,
                            const QString& title, const QString& url) const {
    if (order_.empty() || IsNan(posted)) {
        return -1;
    }
    if (!keysBuilt_) {
        BuildKeyIndex();
    }
    // Of several equal entries the one nearest index 0, i.e. the highest physical position.
    int best = -1;
    const auto [first, last] = keys_.equal_range(KeyOf(posted, title));
    for (auto it = first; it != last; ++it) {
        const NewsItem& item = pool_[it->second];
        if (item.Posted == posted && item.Title == title && item.Source == source &&
            item.Category == category && item.Url == url) {
            best = std::max(best, PhysicalOf(it->second));
        }
    }
    return best < 0 ? -1 : Count() - 1 - best;
}

int NewsStore::FindInsertPosition(double posted) const {
    const int n = Count();
    if (!sorted_) {
        for (int i = 0; i < n; ++i) {
            if (Item(i).Posted <= posted) {
                return i;
            }
        }
        return -1;
    }
    // Newest first: "Posted <= posted" is false up to some index and true from there on.
    int low = 0;
    int high = n;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (Item(mid).Posted <= posted) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return low < n ? low : -1;
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
    if (isVip && !Program::Settings().DispVip) {
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
    rel_.push_back(0);

    // Everything at physical q and above moves up by one; pay only for the shorter side.
    const int q = n - position;
    if (q < n - q) {
        ++base_;
        for (int j = 0; j < q; ++j) {
            --rel_[order_[j]];
        }
    } else {
        for (int j = q; j < n; ++j) {
            ++rel_[order_[j]];
        }
    }
    rel_[id] = q - base_;
    order_.insert(order_.begin() + q, id);

    if (sorted_) {
        if (position > 0 && !(Item(position - 1).Posted >= posted)) {
            sorted_ = false;
        }
        if (position < n && !(posted >= Item(position + 1).Posted)) {
            sorted_ = false;
        }
    }
    if (keysBuilt_ && !IsNan(posted)) {
        keys_.emplace(KeyOf(posted, title), id);
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
    rel_.clear();
    base_ = 0;
    sorted_ = true;
    keys_.clear();
    keysBuilt_ = true;
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
    Clear();
    const int n = static_cast<int>(items.size());
    pool_.reserve(n);
    rel_.reserve(n);
    for (int j = 0; j < n; ++j) {
        pool_.push_back(std::move(items[n - 1 - j]));
        order_.push_back(j);
        rel_.push_back(j);
    }
    CheckOrder();
    keysBuilt_ = false;
}

QList<NewsItem> NewsStore::Items() const {
    QList<NewsItem> items;
    items.reserve(Count());
    for (int i = 0; i < Count(); ++i) {
        items.append(Item(i));
    }
    return items;
}

NewsStore& Store() {
    static NewsStore store;
    return store;
}

} // namespace News
