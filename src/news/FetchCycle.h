#pragma once
// One fetch cycle over every source, and the patrol that repeats it.

#include "news/NewsItem.h"
#include "news/NewsStore.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

class clsWEB;
namespace Program {
struct FeedSource;
struct SettingsState;
} // namespace Program
namespace Yahoo {
struct WordLists;
}
namespace Feeds {
struct FeedItem;
}

namespace News {

class NewsStore;

inline constexpr int PatrolBaseInterval = 65535;

inline const QString NoNewsTip = QStringLiteral("新着はありません。");
inline const QString TdnetSourceName = QStringLiteral("適時開示情報");

// Addresses built from the "SERVER" settings.
QString PortalAddress(const Program::SettingsState& settings, const QString& sourceCode,
                      const QDate& day);
QString TdnetListFolder(const Program::SettingsState& settings);
QString TdnetAddress(const Program::SettingsState& settings, const QDate& day);
bool IsTdnetAddress(const Program::SettingsState& settings, const QString& address);

int RandomBetween(int low, int high);
bool RandomChance(double percent);

// The caption: the program, its version and the newest headline's time.
QString TitleText(const NewsStore& store);
void UpdateTitle(const NewsStore& store);
void SetNetLamp(bool busy);
void ResetNewIndicator();

// One feed read at once, for the options dialog's test: how many items, the newest title, or
// why nothing could be read. Nothing is stored.
struct FeedProbe {
    bool ok = false;
    int itemCount = 0;
    QString newestTitle;
    QString reason;
};
FeedProbe ProbeFeed(clsWEB& web, const QString& url);

// A feed renamed in the options (the same address, another name): the headlines the store holds
// from it under the old name take the new one. Returns how many changed.
int RenameFeedHeadlines(NewsStore& store, const QList<Program::FeedSource>& before,
                        const QList<Program::FeedSource>& after);

// The start-up cycle shows the day file without downloading; every other cycle downloads. A
// re-fetch downloads into an empty store (Patrol::Refetch).
enum class CycleMode { StartUp, Download, Refetch };

// A source from which a cycle read nothing, and why.
struct FailedSource {
    QString name;
    QString reason;
};

// What one cycle did, for the window to announce.
struct CycleResult {
    bool ran = false;    // false: another cycle was running and nothing was done
    bool patrol = false; // the patrol was on when the cycle began
    bool storeHasItems = false;
    bool grew = false; // the store holds more headlines than before the cycle
    int newCount = 0;  // how many more
    // Store indexes of the headlines this cycle added, newest first (valid until the store
    // changes again).
    QList<int> newIndexes;
    bool firstTable = false;   // the table had not been shown yet in this run
    bool endRequested = false; // a close cut the cycle short
    int feedsNotModified = 0;  // feeds the server said were unchanged since the last answer
    // A re-fetch that was cut short or missed a source: the old store and day file stand.
    bool refetchKeptOld = false;
    QList<FailedSource> failed;
    int tried = 0; // sources and feeds the cycle asked, failed ones among them
};

// The patrol: the fetch cycle, the command lock around it, and the two timers that repeat it
// and blink the new-headline panel. TimerTour repeats the cycle about once a minute;
// TimerOnOff runs every 16 ms for the quick start and the blink.
//
// Everything runs on the GUI thread, but every wait inside a cycle pumps events, so a timer, a
// click or the close box can reach this object in the middle of a cycle; the flags below say
// who holds what.
class Patrol : public QObject {
    Q_OBJECT
public:
    Patrol(const Program::SettingsState& settings, NewsStore& store, clsWEB& web,
           Yahoo::WordLists& words, QObject* parent = nullptr);

    // One cycle. A second call while a cycle runs returns at once with ran == false.
    CycleResult RunCycle(CycleMode mode);
    bool CycleRunning() const { return cycleRunning_; }
    // Fetches today's news anew into an empty store. The old store, its read marks and the day
    // file are replaced only when every source was read and the cycle was not cut short;
    // otherwise they stay as they were (refetchKeptOld).
    CycleResult Refetch();
    // Closing the window during a cycle: the cycle ends at its next wait, saves, and returns.
    void RequestCycleEnd() { endRequested_ = true; }
    bool CycleEndRequested() const { return endRequested_; }

    // A new run of the program's window: the table is not shown yet, the interval and the
    // blink start over.
    void Reset();
    // Start-up: both timers armed (TimerTour with the interval).
    void Arm();
    void Stop();

    QTimer& TimerTour() { return timerTour_; }
    QTimer& TimerOnOff() { return timerOnOff_; }
    void TimerTour_Timer();
    void TimerOnOff_Timer();
    // The timer button was pressed or released by the user.
    void TimerButtonPressed();
    void TimerButtonReleased();
    // The window releases the button itself (the options command): the patrol ends at its
    // next tick, as when the user releases it between cycles.
    void ReleaseTimerButton();

    bool PatrolOn() const { return patrolOn_; }
    bool TableShown() const { return tableShown_; }
    bool QuickStartDone() const { return quickStartDone_; }
    int Interval() const { return interval_; }
    int BlinkCounter() const { return blinkCounter_; }

    // The timer button is down: the patrol takes its lock.
    void StartPatrol();
    // The patrol gives its lock back (the timer itself stops in the tick).
    void StopPatrol();
    // Downloads one source's pages (following the paging) and merges them into the store.
    // false when nothing could be read from it; reason then says why.
    bool FetchSource(const QString& address, const QString& sourceName, int minPauseMs,
                     int maxPauseMs, QString* reason = nullptr);
    // Reads one news feed (unless it is unchanged since the last answer) and merges its items
    // of yesterday and today that the store does not hold yet, then pauses as after a list.
    // false when nothing could be read; reason then says why.
    bool FetchFeed(const Program::FeedSource& feed, QString* reason = nullptr,
                   bool* notModified = nullptr);

signals:
    // At the end of every cycle that ran, before the day file is written: the window turns it
    // into the table, the status bar, the sound, the tray and the raised window.
    void CycleReported(const News::CycleResult& result);
    // After a patrol cycle, once its locks are released.
    void CycleFinished(const News::CycleResult& result);

private:
    void ApplyCommandLock();
    // A re-fetch's result may take the place of the old day.
    bool KeepRefetch(const CycleResult& result) const;
    void AlignToDisclosureRhythm();
    // Merges one parsed page; true when a headline of the page was already known.
    bool MergePage(const QList<ParsedHeadline>& page);
    void MergeFeedItems(const Program::FeedSource& feed, const QList<Feeds::FeedItem>& items);

    const Program::SettingsState& settings_;
    NewsStore& store_;
    clsWEB& web_;
    Yahoo::WordLists& words_;

    QTimer timerTour_;
    QTimer timerOnOff_;
    int interval_ = PatrolBaseInterval; // ms; 65535 at start-up, then 65535 - 0..3000
    bool patrolOn_ = false;             // the timer button is down
    bool stopRequested_ = false;        // the user released the timer button
    bool tableShown_ = false;           // false until the first cycle has shown the table
    bool cycleRunning_ = false;
    bool endRequested_ = false;
    // Who holds the store-changing commands: the patrol from StartPatrol to StopPatrol, and
    // every running cycle until it ends. Each lock is released by its own holder only, so a
    // patrol that stops in the middle of a manual cycle does not free the commands under it.
    bool patrolLock_ = false;
    // The running cycle began with the patrol off and also holds the timer button.
    bool cycleHoldsTimer_ = false;
    bool quickStartDone_ = false;
    qint16 blinkCounter_ = 0; // 0 .. 63
    // The validators of each feed's last answer, by address, for conditional requests.
    struct FeedValidators {
        QByteArray etag, lastModified;
    };
    QHash<QString, FeedValidators> feedValidators_;
    // The store as it was before a re-fetch, until that re-fetch has ended.
    std::optional<NewsStore> previous_;
};

} // namespace News
