#include "present/FailureReport.h"

#include "news/FetchCycle.h"

#include <QMap>
#include <QStringList>
#include <algorithm>

namespace Present {

FailureReport ReportFailures(const News::CycleResult& result) {
    FailureReport report;
    if (result.failed.isEmpty())
        return report;

    // Counted in the order the reasons first came, so a tie names the earliest.
    QStringList order;
    QMap<QString, int> counts;
    QStringList lines;
    for (const News::FailedSource& source : result.failed) {
        const QString reason =
            source.reason.isEmpty() ? QStringLiteral("理由は不明です") : source.reason;
        if (!counts.contains(reason))
            order << reason;
        ++counts[reason];
        lines << source.name + QStringLiteral("：") + reason;
    }
    QString main = order.first();
    for (const QString& reason : order) {
        if (counts.value(reason) > counts.value(main))
            main = reason;
    }
    if (order.size() > 1)
        main += QStringLiteral(" ほか");

    // A cycle cut short may report fewer asked than failed; never "3 件中 5 件".
    const int tried = std::max<int>(result.tried, int(result.failed.size()));
    report.text = QStringLiteral("%1 件中 %2 件の取得に失敗しました（%3）")
                      .arg(tried)
                      .arg(result.failed.size())
                      .arg(main);
    report.tip = lines.join(QLatin1Char('\n'));
    return report;
}

} // namespace Present
