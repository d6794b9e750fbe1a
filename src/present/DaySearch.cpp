#include "present/DaySearch.h"

#include "files/WholeFile.h"
#include "news/DayArchive.h"
#include "news/DayFile.h"
#include "present/HeadlineSearch.h"
#include "text/Dates.h"

#include <QByteArrayMatcher>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <algorithm>

namespace Present {

namespace {

// A day file may also hold the evening before (the store carries over midnight), so the same
// headline can sit in two files.
struct HitKey {
    double posted;
    QString source, category, title, url;
    bool operator==(const HitKey&) const = default;
};
size_t qHash(const HitKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.posted, k.title, k.url);
}

} // namespace

DaySearchOutcome SearchDays(const QString& folder, QList<QDate> days, const QString& expression,
                            const std::function<bool(int)>& progress) {
    DaySearchOutcome outcome;
    const CompiledExpression compiled(expression);
    std::sort(days.begin(), days.end(), [](const QDate& a, const QDate& b) { return a > b; });
    QSet<HitKey> seen;
    std::vector<QByteArrayMatcher> matchers;
    for (const QString& word : compiled.Words())
        matchers.emplace_back(word.toUtf8());
    int done = 0;
    for (const QDate& day : days) {
        const QString path =
            folder + u'/' + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".DAT");
        const QString name = QFileInfo(path).fileName();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            outcome.notes << name + QStringLiteral(" を開けませんでした。");
        } else {
            // Words are looked for in the file's own bytes: in UTF-8 a text contains a word
            // exactly when its bytes contain the word's bytes, so only hits are decoded. Fields
            // of the old encoding are decoded first.
            const QByteArray bytes = file.readAll();
            QList<DayHit> found;
            qint64 entries = 0;
            const bool whole = News::WalkDayFile(bytes, [&](const News::RawDayEntry& e) {
                ++entries;
                bool hit;
                if (News::IsUtf8Field(e.Title) && News::IsUtf8Field(e.Category) &&
                    News::IsUtf8Field(e.Source)) {
                    hit = compiled.MatchesWith([&](size_t w) {
                        const QByteArrayMatcher& m = matchers[w];
                        return m.indexIn(e.Title) >= 0 || m.indexIn(e.Category) >= 0 ||
                               m.indexIn(e.Source) >= 0;
                    });
                    if (hit)
                        found.append({day, News::DecodeEntry(e)});
                } else {
                    News::NewsItem item = News::DecodeEntry(e);
                    if (compiled.Matches(item))
                        found.append({day, std::move(item)});
                }
            });
            if (!whole) {
                outcome.notes << name + QStringLiteral(" は壊れているため飛ばしました。");
            } else {
                ++outcome.daysSearched;
                outcome.headlinesSearched += entries;
                for (DayHit& hit : found) {
                    const News::NewsItem& item = hit.item;
                    HitKey key{item.Posted, item.Source, item.Category, item.Title, item.Url};
                    if (seen.contains(key))
                        continue;
                    seen.insert(std::move(key));
                    outcome.hits.append(std::move(hit));
                }
            }
        }
        ++done;
        if (progress && !progress(done)) {
            outcome.cancelled = true;
            break;
        }
    }
    // Days newest first and each file newest first is nearly in order already.
    std::stable_sort(
        outcome.hits.begin(), outcome.hits.end(),
        [](const DayHit& a, const DayHit& b) { return a.item.Posted > b.item.Posted; });
    return outcome;
}

bool ExportHitsCsv(const QList<DayHit>& hits, const QString& path) {
    if (hits.isEmpty())
        return false;
    QString text;
    const QString comma = QStringLiteral(",");
    for (qsizetype i = 0; i < hits.size(); ++i) {
        const News::NewsItem& item = hits[i].item;
        text += QString::number(i) + comma + Dates::DateTimeText(item.Posted) + comma +
                item.Source + comma + QString(item.Category).remove(u'\n') + comma + item.Mark +
                comma + u'"' + QString(item.Title).remove(u'\n') + u'"' + comma +
                QStringLiteral("\r\n");
    }
    Files::WholeFile file(path);
    return file.open() && file.write(text.toUtf8()) && file.commit();
}

DaySearchJob::DaySearchJob(QString folder, QList<QDate> days, QString expression, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), days_(std::move(days)),
      expression_(std::move(expression)) {
    qRegisterMetaType<Present::DaySearchOutcome>();
}

DaySearchJob::~DaySearchJob() {
    cancel_ = true;
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

bool DaySearchJob::Running() const {
    return thread_ && thread_->isRunning();
}

void DaySearchJob::Start() {
    if (thread_)
        return;
    const int count = int(days_.size());
    thread_ = QThread::create([this, count] {
        // The worker touches only its own copies and the two atomics; what it reports travels
        // to the job's thread as queued signals.
        DaySearchOutcome outcome = SearchDays(folder_, days_, expression_, [this, count](int done) {
            QMetaObject::invokeMethod(
                this, [this, done, count] { emit Progress(done, count); }, Qt::QueuedConnection);
            return !cancel_.load();
        });
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome)] { emit Finished(outcome); },
            Qt::QueuedConnection);
    });
    thread_->start();
}

} // namespace Present
