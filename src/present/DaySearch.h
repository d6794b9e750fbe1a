#pragma once
// Searching the day files of many days with a search-box expression, away from the window's
// thread: the job reads the files itself and hands back copies, so nothing is shared.

#include "news/NewsItem.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

class QThread;

namespace Present {

struct DayHit {
    QDate day; // the file it was found in
    News::NewsItem item;
};

struct DaySearchOutcome {
    QList<DayHit> hits; // newest first, each headline once
    QStringList notes;  // files that could not be read, one line each
    int daysSearched = 0;
    qint64 headlinesSearched = 0;
    bool cancelled = false;
};

// Searches the files of the given days in folder. progress(daysDone) is called after every
// file; it returns false to stop. A file that cannot be read is noted and skipped.
DaySearchOutcome SearchDays(const QString& folder, QList<QDate> days, const QString& expression,
                            const std::function<bool(int daysDone)>& progress = {});

// The hits in the store's CSV form, one line each, newest first. false when there are none
// (nothing written) or the file could not be written.
bool ExportHitsCsv(const QList<DayHit>& hits, const QString& path);

// SearchDays on a thread of its own. Progress and the end are signalled to the thread the job
// was made on.
class DaySearchJob : public QObject {
    Q_OBJECT
public:
    DaySearchJob(QString folder, QList<QDate> days, QString expression, QObject* parent = nullptr);
    ~DaySearchJob() override; // cancels and waits for the thread

    void Start();
    void Cancel() { cancel_ = true; }
    bool Running() const;
    int DayCount() const { return int(days_.size()); }

signals:
    void Progress(int daysDone, int dayCount);
    void Finished(const Present::DaySearchOutcome& outcome);

private:
    const QString folder_;
    const QList<QDate> days_;
    const QString expression_;
    std::atomic<bool> cancel_{false};
    QThread* thread_ = nullptr;
};

} // namespace Present

Q_DECLARE_METATYPE(Present::DaySearchOutcome)
