#include "news/FetchCycle.h"

#include "app/Ports.h"
#include "app/SettingsState.h"
#include "app/Trace.h"
#include "app/Version.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "parsers/FeedReader.h"
#include "parsers/Yahoo.h"
#include "text/Common.h"
#include "text/Dates.h"
#include "web/clsWEB.h"

#include <QHash>
#include <QSet>
#include <cmath>
#include <exception>

namespace News {

namespace {

using App::Command;
using App::Panel;

// The commands that rewrite the store or the day file: locked for the patrol and every cycle.
constexpr Command StoreCommands[] = {Command::Options, Command::AllRead};
// Searching only reads the store, which is whole between two merged headlines, so it stays
// open unless the user wants the patrol to hold it too.
constexpr Command SearchCommands[] = {Command::Filter, Command::Search, Command::SearchBox};

QString FaultLine(int number, const QString& source, const QString& description) {
    return QStringLiteral("Err  : [") + QString::number(number) + QStringLiteral(" for ") + source +
           QStringLiteral("]") + description;
}

bool InTradingHours(const QTime& t) {
    const QTime morningFrom(8, 58), morningTo(11, 1), afternoonFrom(12, 28), afternoonTo(15, 10);
    return (t >= morningFrom && t < morningTo) || (t > afternoonFrom && t < afternoonTo);
}

} // namespace

QString PortalAddress(const Program::SettingsState& settings, const QString& sourceCode,
                      const QDate& day) {
    return settings.NewsHost + QStringLiteral("/cp/") + sourceCode + QStringLiteral("?date=") +
           day.toString(QStringLiteral("yyyyMMdd"));
}

QString TdnetListFolder(const Program::SettingsState& settings) {
    return settings.TdnetHost + QStringLiteral("/inbs/");
}

QString TdnetAddress(const Program::SettingsState& settings, const QDate& day) {
    return TdnetListFolder(settings) + QStringLiteral("I_list_001_") +
           day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".html");
}

bool IsTdnetAddress(const Program::SettingsState& settings, const QString& address) {
    // The host is a setting: escape what the matcher would read as pattern characters.
    QString prefix;
    for (QChar c : settings.TdnetHost + QStringLiteral("/")) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[')
            prefix += QStringLiteral("[") + c + QStringLiteral("]");
        else
            prefix += c;
    }
    return Common::IsLike(address, prefix + QStringLiteral("*"));
}

int RandomBetween(int low, int high) {
    const double r = Ports::Random().Next();
    return static_cast<int>(std::floor(low + r * (high - low + 1)));
}

bool RandomChance(double percent) {
    return Ports::Random().Next() * 100.0 < percent;
}

void SetNetLamp(bool busy) {
    auto& w = Ports::MainWindow();
    w.SetPanelPicture(Panel::Net, busy ? QStringLiteral("LAMP_ON") : QStringLiteral("LAMP_OFF"));
    w.SetPanelText(Panel::Net, busy ? QStringLiteral("点灯") : QStringLiteral("消灯"));
}

void ResetNewIndicator() {
    auto& w = Ports::MainWindow();
    w.SetPanelPicture(Panel::New, QStringLiteral("STATUS_NEW_0"));
    w.SetPanelEnabled(Panel::New, false);
    w.SetPanelTip(Panel::New, NoNewsTip);
}

QString TitleText(const NewsStore& store) {
    QString caption = QStringLiteral("Tickerwisp - Market NEWS Viewer - ") +
                      QStringLiteral("Ver.") + Program::VersionText();
    if (store.HasNewsItems())
        caption += QStringLiteral(" : ") + Dates::DateTimeText(store.Item(0).Posted) +
                   QStringLiteral(" 更新");
    return caption;
}

void UpdateTitle(const NewsStore& store) {
    Ports::MainWindow().SetCaption(TitleText(store));
}

int RenameFeedHeadlines(NewsStore& store, const QList<Program::FeedSource>& before,
                        const QList<Program::FeedSource>& after) {
    QHash<QString, QString> oldNames;
    for (const Program::FeedSource& feed : before)
        oldNames.insert(feed.Url, feed.Name);
    // By the feed's address, which each of its headlines keeps: old name -> new name.
    QHash<QString, std::pair<QString, QString>> renamed;
    for (const Program::FeedSource& feed : after) {
        const auto old = oldNames.constFind(feed.Url);
        if (old != oldNames.constEnd() && *old != feed.Name)
            renamed.insert(feed.Url, {*old, feed.Name});
    }
    if (renamed.isEmpty())
        return 0;
    int changed = 0;
    for (int i = 0; i < store.Count(); ++i) {
        const auto names = renamed.constFind(store.Item(i).Reserved2);
        if (names == renamed.constEnd() || store.Item(i).Source != names->first)
            continue;
        store.MutableItem(i).Source = names->second;
        ++changed;
    }
    return changed;
}

FeedProbe ProbeFeed(clsWEB& web, const QString& url) {
    FeedProbe probe;
    const clsWEB::ConditionalReply reply = web.DownloadIfChanged(url, {}, {}, 10);
    if (reply.body.isEmpty()) {
        probe.reason =
            web.LastFailure().isEmpty() ? QStringLiteral("ページが空です") : web.LastFailure();
        return probe;
    }
    const Feeds::FeedParse parsed = Feeds::ParseFeed(reply.body, reply.contentType, url);
    // A page that is no feed at all says so, rather than where its markup stopped parsing.
    if (parsed.Format == Feeds::FeedFormat::Unknown) {
        probe.reason = QStringLiteral("RSS や Atom のフィードではありません");
        return probe;
    }
    if (parsed.Items.isEmpty() && !parsed.Fault.isEmpty()) {
        probe.reason = parsed.Fault;
        return probe;
    }
    probe.ok = true;
    probe.itemCount = int(parsed.Items.size());
    // The newest by date; a feed without dates lists its newest first.
    const Feeds::FeedItem* newest = nullptr;
    for (const Feeds::FeedItem& item : parsed.Items)
        if (!newest || item.Posted > newest->Posted)
            newest = &item;
    if (newest)
        probe.newestTitle = newest->Title;
    return probe;
}

Patrol::Patrol(const Program::SettingsState& settings, NewsStore& store, clsWEB& web,
               Yahoo::WordLists& words, QObject* parent)
    : QObject(parent), settings_(settings), store_(store), web_(web), words_(words) {
    timerTour_.setSingleShot(false);
    connect(&timerTour_, &QTimer::timeout, this, &Patrol::TimerTour_Timer);
    connect(&timerOnOff_, &QTimer::timeout, this, &Patrol::TimerOnOff_Timer);
}

void Patrol::ApplyCommandLock() {
    auto& w = Ports::MainWindow();
    const bool locked = patrolLock_ || cycleRunning_;
    for (Command command : StoreCommands)
        w.SetButtonEnabled(command, !locked);
    const bool searchLocked = locked && settings_.LockSearchInPatrol;
    for (Command command : SearchCommands)
        w.SetButtonEnabled(command, !searchLocked);
}

bool Patrol::MergePage(const QList<ParsedHeadline>& page) {
    bool knownMet = false;
    for (const ParsedHeadline& h : page) {
        // Between two headlines the store is whole, so events may run there.
        Common::YieldIfDue();
        if (store_.FindNewsItem(h.Posted, h.Source, h.Category, h.Title, h.Url) >= 0) {
            knownMet = true;
            continue;
        }
        int position = store_.FindInsertPosition(h.Posted);
        store_.InsertNewsItem(position, h.Posted, h.Source, h.Category, h.Title, h.Url, h.IsVip,
                              h.Mark);
    }
    return knownMet;
}

// Lands the disclosure download some 11 to 15 seconds after a five-minute mark, when the
// service publishes.
void Patrol::AlignToDisclosureRhythm() {
    QTime t = Ports::Clock().Now().time();
    if (!InTradingHours(t) || !RandomChance(85))
        return;
    if (t.minute() % 5 == 0 && t.second() < 10) {
        Common::Pause(RandomBetween(1000, 5000) + (10 - t.second()) * 1000, true, true);
        if (endRequested_)
            return;
        t = Ports::Clock().Now().time();
    }
    if (t.minute() % 5 == 4 && t.second() >= 50)
        Common::Pause(RandomBetween(1000, 5000) + (70 - t.second()) * 1000, true, false);
}

void Patrol::StartPatrol() {
    patrolOn_ = true;
    patrolLock_ = true;
    ApplyCommandLock();
    stopRequested_ = false;
}

void Patrol::StopPatrol() {
    // The timer itself stops in the tick; the window's commands come back here, unless a cycle
    // still holds them.
    patrolLock_ = false;
    ApplyCommandLock();
    if (!cycleHoldsTimer_)
        Ports::MainWindow().SetButtonEnabled(Command::Timer, true);
}

bool Patrol::FetchSource(const QString& address, const QString& sourceName, int minPauseMs,
                         int maxPauseMs, QString* reason) {
    auto& w = Ports::MainWindow();
    const bool disclosure = IsTdnetAddress(settings_, address);
    QString current = address;
    bool readSomething = false;
    QString fault;
    // A page that points back at itself must not keep the cycle going for ever.
    int pagesLeft = 200;
    while (pagesLeft-- > 0 && !endRequested_) {
        QString next;
        w.SetPanelText(Panel::Message, disclosure ? QStringLiteral("適時開示情報読み込み中…")
                                                  : sourceName + QStringLiteral("読み込み中…"));
        bool knownMet = false;
        try {
            ParsedHeadlines page;
            if (disclosure) {
                Common::TraceLine(QStringLiteral("Stat : 適時開示情報"));
                double lastModified = 0;
                page = Yahoo::ParseTdnetList(web_, settings_.TdnetHost, current, next, 0,
                                             lastModified);
            } else {
                Common::TraceLine(QStringLiteral("Stat : Yahoo! Finance"));
                page = Yahoo::ParseYahooNewsList(web_, words_, current, sourceName, next);
            }
            if (!page)
                break;
            readSomething = true;
            Common::TraceLine(QStringLiteral("Comm : Data Arrangement"));
            knownMet = MergePage(*page);
        } catch (const Yahoo::ParseFault& f) {
            Common::TraceLine(FaultLine(f.number, f.source, f.description));
            fault = f.description;
            break;
        } catch (const std::exception& e) {
            Common::TraceLine(
                FaultLine(0, QStringLiteral("FetchSource"), QString::fromLocal8Bit(e.what())));
            fault = QString::fromLocal8Bit(e.what());
            break;
        }
        if (next.isEmpty() || knownMet || next == current)
            break;
        current = next;
    }
    if (!endRequested_)
        Common::Pause(RandomBetween(minPauseMs, maxPauseMs), true, true);
    if (!readSomething && reason) {
        if (!fault.isEmpty())
            *reason = fault;
        else if (!web_.LastFailure().isEmpty())
            *reason = web_.LastFailure();
        else
            *reason = QStringLiteral("見出しを読み取れませんでした");
    }
    return readSomething || endRequested_;
}

bool Patrol::FetchFeed(const Program::FeedSource& feed, QString* reason, bool* notModified) {
    auto& w = Ports::MainWindow();
    w.SetPanelText(Panel::Message, feed.Name + QStringLiteral("読み込み中…"));
    Common::TraceLine(QStringLiteral("Stat : ") + feed.Name);
    FeedValidators& validators = feedValidators_[feed.Url];
    const clsWEB::ConditionalReply reply =
        web_.DownloadIfChanged(feed.Url, validators.etag, validators.lastModified, 10);
    bool read = true;
    QString why;
    if (notModified)
        *notModified = reply.notModified;
    if (reply.notModified) {
        // Nothing new: neither parsed nor merged, and the validators stand.
    } else if (reply.body.isEmpty()) {
        read = false;
        why = web_.LastFailure().isEmpty() ? QStringLiteral("ページが空です") : web_.LastFailure();
    } else {
        const Feeds::FeedParse parsed = Feeds::ParseFeed(reply.body, reply.contentType, feed.Url);
        if (!parsed.Fault.isEmpty())
            Common::TraceLine(FaultLine(0, feed.Name, parsed.Fault));
        if (parsed.Items.isEmpty() && !parsed.Fault.isEmpty()) {
            read = false;
            why = parsed.Fault;
        } else {
            // Only a feed read whole may skip its next download.
            if (parsed.Fault.isEmpty())
                validators = {reply.etag, reply.lastModified};
            Common::TraceLine(QStringLiteral("Comm : Data Arrangement"));
            MergeFeedItems(feed, parsed.Items);
        }
    }
    if (!read)
        validators = FeedValidators();
    if (!endRequested_)
        Common::Pause(RandomBetween(1000, 3000), true, true);
    if (!read && reason)
        *reason = why;
    return read || endRequested_;
}

void Patrol::MergeFeedItems(const Program::FeedSource& feed, const QList<Feeds::FeedItem>& items) {
    // What the store already holds of feeds: by feed and link, and by guid. The day file keeps a
    // feed item's guid in the first spare text field and the feed's address in the second.
    QSet<QString> links, guids;
    for (int i = 0; i < store_.Count(); ++i) {
        const NewsItem& stored = store_.Item(i);
        if (stored.Reserved2.isEmpty())
            continue;
        links.insert(stored.Reserved2 + QChar(0x1F) + stored.Url);
        if (!stored.Reserved1.isEmpty())
            guids.insert(stored.Reserved1);
    }
    const QDateTime now = Ports::Clock().Now();
    const double oldest = Dates::ToOle(QDateTime(now.date().addDays(-1), QTime(0, 0)));
    for (const Feeds::FeedItem& item : items) {
        Common::YieldIfDue();
        if (item.Title.isEmpty() && item.Link.isEmpty())
            continue;
        const QString linkKey = feed.Url + QChar(0x1F) + item.Link;
        if ((!item.Link.isEmpty() && links.contains(linkKey)) ||
            (!item.Guid.isEmpty() && guids.contains(item.Guid)))
            continue;
        // A feed item without a date is taken as of now; one before yesterday is left out.
        const double posted = item.Posted != 0 ? item.Posted : Dates::ToOle(now);
        if (posted < oldest)
            continue;
        int position = store_.FindInsertPosition(posted);
        if (!store_.InsertNewsItem(position, posted, feed.Name, item.Category,
                                   item.Title.isEmpty() ? item.Link : item.Title, item.Link, false,
                                   QString()))
            continue;
        NewsItem& added = store_.MutableItem(position);
        added.Reserved1 = item.Guid;
        added.Reserved2 = feed.Url;
        links.insert(linkKey);
        if (!item.Guid.isEmpty())
            guids.insert(item.Guid);
    }
}

CycleResult Patrol::RunCycle(CycleMode mode) {
    CycleResult result;
    if (cycleRunning_)
        return result;
    result.ran = true;
    cycleRunning_ = true;
    endRequested_ = false;
    auto& w = Ports::MainWindow();

    result.patrol = patrolOn_;
    w.SetButtonEnabled(Command::Reload, false);
    ApplyCommandLock();
    cycleHoldsTimer_ = !result.patrol;
    if (cycleHoldsTimer_)
        w.SetButtonEnabled(Command::Timer, false);

    // The store already holds what this program last wrote there; only a file put in place by
    // someone else (or a store emptied since) is read again. A re-fetch starts from nothing.
    if (mode != CycleMode::Refetch && DayFileNeedsLoad(store_))
        LoadDayFile(store_);
    int countBefore = store_.Count();
    store_.ClearNewFlags();
    SetNetLamp(true);

    auto fetch = [&](const QString& address, const QString& name, int minMs, int maxMs) {
        QString reason;
        ++result.tried;
        if (!FetchSource(address, name, minMs, maxMs, &reason))
            result.failed.append({name, reason});
    };
    if (mode != CycleMode::StartUp) {
        for (int d = 0; d <= 1 && !endRequested_; ++d) {
            if (d == 1 && !patrolOn_)
                break;
            const QStringList codes = SourceCodes(), names = SourceNames();
            for (qsizetype i = 0; i < codes.size() && !endRequested_; ++i) {
                const QDate day = Ports::Clock().Today().addDays(-d);
                fetch(PortalAddress(settings_, codes.at(i), day), names.at(i), 1000, 3000);
            }
        }
        for (const Program::FeedSource& feed : settings_.Feeds) {
            if (endRequested_)
                break;
            if (!feed.Enabled)
                continue;
            QString reason;
            bool unchanged = false;
            ++result.tried;
            if (!FetchFeed(feed, &reason, &unchanged))
                result.failed.append({feed.Name, reason});
            result.feedsNotModified += unchanged ? 1 : 0;
        }
        if (!endRequested_ && patrolOn_) {
            AlignToDisclosureRhythm();
            if (!endRequested_)
                fetch(TdnetAddress(settings_, Ports::Clock().Today()), TdnetSourceName, 1500, 4000);
        }
    }

    w.SetPanelText(Panel::Message, QString());
    SetNetLamp(false);

    if (mode == CycleMode::Refetch && !KeepRefetch(result)) {
        // Nothing of the old day is lost: the store goes back as it was, and with nothing
        // new in it the day file is not written.
        result.refetchKeptOld = true;
        store_ = std::move(*previous_);
        countBefore = store_.Count();
    }
    previous_.reset();

    result.storeHasItems = store_.HasNewsItems();
    result.grew = result.storeHasItems && store_.Count() > countBefore;
    result.newCount = result.grew ? store_.Count() - countBefore : 0;
    if (result.grew) {
        for (int i = 0; i < store_.Count(); ++i) {
            if (store_.Item(i).IsNew)
                result.newIndexes.append(i);
        }
    }
    result.firstTable = !tableShown_;
    result.endRequested = endRequested_;
    if (result.storeHasItems)
        emit CycleReported(result);
    // The table is done: let the window draw it before the day file is written.
    Common::YieldIfDue();
    if (result.storeHasItems && (result.grew || !tableShown_) && !result.refetchKeptOld) {
        SaveDayFile(store_);
        tableShown_ = true;
    }

    w.SetButtonEnabled(Command::Reload, true);
    cycleRunning_ = false;
    // A patrol started meanwhile (the quick start during the start-up cycle) keeps its lock.
    ApplyCommandLock();
    if (cycleHoldsTimer_) {
        cycleHoldsTimer_ = false;
        w.SetButtonEnabled(Command::Timer, true);
    }
    return result;
}

bool Patrol::KeepRefetch(const CycleResult& result) const {
    return !endRequested_ && result.failed.isEmpty() && store_.HasNewsItems();
}

CycleResult Patrol::Refetch() {
    if (cycleRunning_)
        return CycleResult();
    // The old day stays in memory until the new one is whole; the day file is not touched
    // before then.
    previous_.emplace(store_);
    store_.Clear();
    // Every feed is read whole again, not skipped as unchanged since the last answer.
    feedValidators_.clear();
    return RunCycle(CycleMode::Refetch);
}

void Patrol::Reset() {
    interval_ = PatrolBaseInterval;
    tableShown_ = false;
    blinkCounter_ = 0;
}

void Patrol::Arm() {
    // No Qt timer runs faster than 16 ms: that keeps the 64-tick blink at about one second.
    timerOnOff_.start(16);
    timerTour_.start(interval_);
}

void Patrol::Stop() {
    timerTour_.stop();
    timerOnOff_.stop();
}

void Patrol::TimerTour_Timer() {
    timerTour_.stop();
    Common::TraceLine(QStringLiteral("Timr : Call"));
    if (!stopRequested_ && patrolOn_) {
        if (cycleRunning_) {
            // A manual reload is under way: try again shortly.
            timerTour_.start(1000);
            return;
        }
        const CycleResult result = RunCycle(CycleMode::Download);
        UpdateTitle(store_);
        emit CycleFinished(result);
        if (patrolOn_ && !stopRequested_) {
            interval_ = PatrolBaseInterval - RandomBetween(0, 3000);
            timerTour_.start(interval_);
        } else {
            StopPatrol();
        }
    } else {
        StopPatrol();
    }
}

void Patrol::TimerOnOff_Timer() {
    auto& w = Ports::MainWindow();
    if (!quickStartDone_) {
        quickStartDone_ = true;
        if (settings_.QuickStart) {
            w.SetButtonPressed(Command::Timer, true);
            StartPatrol();
            // Run the first cycle from the event loop, not inside this tick, so the blink
            // timer keeps firing while the cycle pumps events.
            QTimer::singleShot(0, this, &Patrol::TimerTour_Timer);
        }
    }
    if (w.PanelTip(Panel::New) != NoNewsTip) {
        if (blinkCounter_ == 0 || blinkCounter_ == 32)
            w.SetPanelPicture(Panel::New,
                              QStringLiteral("STATUS_NEW_") + QString::number(blinkCounter_ / 32));
        blinkCounter_ = static_cast<qint16>((blinkCounter_ + 1) % 64);
    }
}

void Patrol::TimerButtonPressed() {
    StartPatrol();
    TimerTour_Timer();
}

void Patrol::TimerButtonReleased() {
    patrolOn_ = false;
    Ports::MainWindow().SetButtonEnabled(Command::Timer, false);
    if (timerTour_.isActive()) {
        timerTour_.stop();
        StopPatrol();
    }
    stopRequested_ = true;
}

void Patrol::ReleaseTimerButton() {
    Ports::MainWindow().SetButtonPressed(Command::Timer, false);
    patrolOn_ = false;
}

} // namespace News
