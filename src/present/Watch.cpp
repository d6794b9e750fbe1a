#include "present/Watch.h"

#include "app/SettingsState.h"
#include "news/NewsStore.h"
#include "present/HeadlineTable.h"
#include "present/Math.h"

#include <algorithm>

namespace Present {

WatchList::WatchList(const QString& expression) : compiled_(expression) {
    active_ =
        !expression.trimmed().isEmpty() && compiled_.Checked() && !compiled_.Pattern().isEmpty();
}

QString WatchProblem(const QString& expression) {
    if (expression.trimmed().isEmpty())
        return QString();
    const CompiledExpression compiled(expression);
    const QString message = Math::ExpressionProblem(compiled.Pattern());
    if (message.isEmpty())
        return QString();
    return message + QStringLiteral("\r\n") + compiled.Pattern();
}

QList<int> WatchHits(const News::NewsStore& store, const QList<int>& indexes,
                     const WatchList& watch) {
    QList<int> hits;
    if (!watch.Active())
        return hits;
    for (int index : indexes) {
        if (index >= 0 && index < store.Count() && watch.Matches(store.Item(index)))
            hits.append(index);
    }
    return hits;
}

namespace {

QString NoticeLine(const News::NewsItem& item) {
    const OleParts when = SplitOle(item.Posted);
    // One line per headline: line breaks inside a title would split it.
    QString title = item.Title;
    title.replace(u'\r', u' ').replace(u'\n', u' ');
    return QStringLiteral("%1:%2 %3 %4")
        .arg(when.Hour, 2, 10, QLatin1Char('0'))
        .arg(when.Minute, 2, 10, QLatin1Char('0'))
        .arg(item.Source, title);
}

} // namespace

std::optional<NewsNotice> NoticeForCycle(const News::NewsStore& store, const QList<int>& newIndexes,
                                         const Program::SettingsState& settings) {
    NewsNotice notice;
    notice.watch = !settings.NotifyAllNews;
    if (settings.NotifyAllNews) {
        for (int index : newIndexes) {
            if (index >= 0 && index < store.Count())
                notice.items.append(index);
        }
    } else {
        notice.items = WatchHits(store, newIndexes, WatchList(settings.WatchWord));
    }
    if (notice.items.isEmpty())
        return std::nullopt;
    // The store keeps the newest first; equal times keep the store's order.
    std::stable_sort(notice.items.begin(), notice.items.end(), [&store](int a, int b) {
        return store.Item(a).Posted > store.Item(b).Posted;
    });
    const int count = int(notice.items.size());
    notice.summary =
        (notice.watch ? QStringLiteral("注目ニュース ") : QStringLiteral("新着ニュース ")) +
        QString::number(count) + QStringLiteral(" 件");
    for (int k = 0; k < std::min(count, NoticeLines); ++k)
        notice.lines.append(NoticeLine(store.Item(notice.items[k])));
    if (count > NoticeLines)
        notice.lines.append(QStringLiteral("ほか ") + QString::number(count - NoticeLines) +
                            QStringLiteral(" 件"));
    return notice;
}

} // namespace Present
