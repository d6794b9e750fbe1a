#include "news/FetchCycle.h"

#include "app/Ports.h"
#include "app/SettingsState.h"
#include "app/Trace.h"
#include "app/Version.h"
#include "news/DayFile.h"
#include "news/NewsStore.h"
#include "news/Sources.h"
#include "parsers/Yahoo.h"
#include "present/HeadlineTable.h"
#include "text/Common.h"
#include "text/Dates.h"

#include <QFile>
#include <cmath>
#include <exception>

namespace News {

qint32 PatrolInterval = PatrolBaseInterval;
bool StopRequested = false;
bool StartingUp = false;
bool TableShown = false;
qint16 BlinkCounter = 0;

namespace {

bool g_cycleRunning = false;
bool g_endRequested = false;
// Who holds the store-changing commands: the patrol from StartPatrol to StopPatrol, and every
// running cycle until it ends. Each lock is released by its own holder only, so a patrol that
// stops in the middle of a manual cycle does not free the commands under that cycle.
bool g_patrolLock = false;
// The running cycle began with the patrol off and also holds the timer button.
bool g_cycleHoldsTimer = false;

using App::Command;
using App::Panel;

// The commands that change the store or the filters; the patrol disables them.
constexpr Command PatrolLockedCommands[] = {Command::Options, Command::AllRead, Command::Filter,
                                            Command::Search, Command::SearchBox};

void ApplyCommandLock() {
    auto& w = Ports::MainWindow();
    const bool enabled = !g_patrolLock && !g_cycleRunning;
    for (Command command : PatrolLockedCommands)
        w.SetButtonEnabled(command, enabled);
}

QString FaultLine(int number, const QString& source, const QString& description) {
    return QStringLiteral("Err  : [") + QString::number(number) + QStringLiteral(" for ") + source +
           QStringLiteral("]") + description;
}

// Merges one parsed page; true when a headline of the page was already known.
bool MergePage(const QList<ParsedHeadline>& page) {
    NewsStore& store = Store();
    bool knownMet = false;
    for (const ParsedHeadline& h : page) {
        // Between two headlines the store is whole, so events may run there.
        Common::YieldIfDue();
        if (store.FindNewsItem(h.Posted, h.Source, h.Category, h.Title, h.Url) >= 0) {
            knownMet = true;
            continue;
        }
        int position = store.FindInsertPosition(h.Posted);
        store.InsertNewsItem(position, h.Posted, h.Source, h.Category, h.Title, h.Url, h.IsVip,
                             h.Mark);
    }
    return knownMet;
}

bool InTradingHours(const QTime& t) {
    const QTime morningFrom(8, 58), morningTo(11, 1), afternoonFrom(12, 28), afternoonTo(15, 10);
    return (t >= morningFrom && t < morningTo) || (t > afternoonFrom && t < afternoonTo);
}

// Lands the disclosure download some 11 to 15 seconds after a five-minute mark, when the
// service publishes.
void AlignToDisclosureRhythm() {
    QTime t = Ports::Clock().Now().time();
    if (!InTradingHours(t) || !RandomChance(85))
        return;
    if (t.minute() % 5 == 0 && t.second() < 10) {
        Common::Pause(RandomBetween(1000, 5000) + (10 - t.second()) * 1000, true, true);
        if (g_endRequested)
            return;
        t = Ports::Clock().Now().time();
    }
    if (t.minute() % 5 == 4 && t.second() >= 50)
        Common::Pause(RandomBetween(1000, 5000) + (70 - t.second()) * 1000, true, false);
}

} // namespace

QString PortalAddress(const QString& sourceCode, const QDate& day) {
    return Program::Settings().NewsHost + QStringLiteral("/cp/") + sourceCode +
           QStringLiteral("?date=") + day.toString(QStringLiteral("yyyyMMdd"));
}

QString TdnetListFolder() {
    return Program::Settings().TdnetHost + QStringLiteral("/inbs/");
}

QString TdnetAddress(const QDate& day) {
    return TdnetListFolder() + QStringLiteral("I_list_001_") +
           day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".html");
}

bool IsTdnetAddress(const QString& address) {
    // The host is a setting: escape what the matcher would read as pattern characters.
    QString prefix;
    for (QChar c : Program::Settings().TdnetHost + QStringLiteral("/")) {
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

bool CycleRunning() {
    return g_cycleRunning;
}
void RequestCycleEnd() {
    g_endRequested = true;
}
bool CycleEndRequested() {
    return g_endRequested;
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

QString TitleText() {
    QString caption = QStringLiteral("Tickerwisp - Market NEWS Viewer - ") +
                      QStringLiteral("Ver.") + Program::VersionText();
    if (Store().HasNewsItems())
        caption += QStringLiteral(" : ") + Dates::DateTimeText(Store().Item(0).Posted) +
                   QStringLiteral(" 更新");
    return caption;
}

void UpdateTitle() {
    Ports::MainWindow().SetCaption(TitleText());
}

void StartPatrol() {
    g_patrolLock = true;
    ApplyCommandLock();
    StopRequested = false;
}

void FetchSource(const QString& address, const QString& sourceName, int minPauseMs,
                 int maxPauseMs) {
    auto& w = Ports::MainWindow();
    const bool disclosure = IsTdnetAddress(address);
    QString current = address;
    // A page that points back at itself must not keep the cycle going for ever.
    int pagesLeft = 200;
    while (pagesLeft-- > 0 && !g_endRequested) {
        QString next;
        w.SetPanelText(Panel::Message, disclosure ? QStringLiteral("適時開示情報読み込み中…")
                                                  : sourceName + QStringLiteral("読み込み中…"));
        bool knownMet = false;
        try {
            ParsedHeadlines page;
            if (disclosure) {
                Common::TraceLine(QStringLiteral("Stat : 適時開示情報"));
                double lastModified = 0;
                page = Yahoo::ParseTdnetList(current, next, 0, lastModified);
            } else {
                Common::TraceLine(QStringLiteral("Stat : Yahoo! Finance"));
                page = Yahoo::ParseYahooNewsList(current, sourceName, next);
            }
            if (!page)
                break;
            Common::TraceLine(QStringLiteral("Comm : Data Arrangement"));
            knownMet = MergePage(*page);
        } catch (const Yahoo::ParseFault& fault) {
            Common::TraceLine(FaultLine(fault.number, fault.source, fault.description));
            break;
        } catch (const std::exception& e) {
            Common::TraceLine(
                FaultLine(0, QStringLiteral("FetchSource"), QString::fromLocal8Bit(e.what())));
            break;
        }
        if (next.isEmpty() || knownMet || next == current)
            break;
        current = next;
    }
    if (!g_endRequested)
        Common::Pause(RandomBetween(minPauseMs, maxPauseMs), true, true);
}

bool RunFetchCycle() {
    if (g_cycleRunning)
        return false;
    g_cycleRunning = true;
    g_endRequested = false;
    auto& w = Ports::MainWindow();
    NewsStore& store = Store();

    const bool patrol = w.ButtonPressed(Command::Timer);
    w.SetButtonEnabled(Command::Reload, false);
    ApplyCommandLock();
    g_cycleHoldsTimer = !patrol;
    if (g_cycleHoldsTimer)
        w.SetButtonEnabled(Command::Timer, false);

    if (QFile::exists(DayFilePath()))
        LoadDayFile();
    const int countBefore = store.Count();
    store.ClearNewFlags();
    SetNetLamp(true);

    if (!StartingUp) {
        for (int d = 0; d <= 1 && !g_endRequested; ++d) {
            if (d == 1 && !w.ButtonPressed(Command::Timer))
                break;
            for (int i = 0; i < SourceCodes().size() && !g_endRequested; ++i) {
                const QDate day = Ports::Clock().Today().addDays(-d);
                FetchSource(PortalAddress(SourceCodes().at(i), day), SourceNames().at(i), 1000,
                            3000);
            }
        }
        if (!g_endRequested && w.ButtonPressed(Command::Timer)) {
            AlignToDisclosureRhythm();
            if (!g_endRequested)
                FetchSource(TdnetAddress(Ports::Clock().Today()), TdnetSourceName, 1500, 4000);
        }
    }

    w.SetPanelText(Panel::Message, QString());
    SetNetLamp(false);

    bool grew = false;
    bool save = false;
    if (store.HasNewsItems()) {
        grew = store.Count() > countBefore;
        const auto& s = Program::Settings();
        if (grew) {
            w.SetPanelTip(Panel::New, QStringLiteral("新着あり！"));
            w.SetPanelEnabled(Panel::New, true);
            Present::FillHeadlineGrid();
            if (!TableShown)
                Present::PutCursorOnLastRow();
            if (!s.DontForward)
                w.SetTopmost(true);
            w.SetPanelText(Panel::Message, QString::number(store.Count() - countBefore) +
                                               QStringLiteral(" 件の新着ニュースがあります！！"));
            if (!s.DontForward)
                w.SetTopmost(false);
            w.PlaySound(s.SoundFile);
            Present::ScrollLastRowToTop();
            if (!s.FromTray) {
                w.SetTrayIcon(1);
                w.SetTrayTip(QStringLiteral("Tickerwisp[新着あり]"));
            } else {
                w.RemoveTrayIcon();
                w.ShowWindow();
            }
            w.SetGridVisible(true);
            save = true;
        } else {
            w.SetGridVisible(true);
            w.SetPanelTip(Panel::New, NoNewsTip);
            w.SetPanelEnabled(Panel::New, false);
            const QDateTime now = Ports::Clock().Now();
            w.SetPanelText(Panel::Message,
                           QStringLiteral("[") + Dates::ShortDate(now.date()) +
                               QStringLiteral(" ") + QString::number(now.time().hour()) +
                               QStringLiteral(":") + QString::number(now.time().minute()) +
                               QStringLiteral("] … 更新はありませんでした。"));
            if (!TableShown) {
                Present::FillHeadlineGrid();
                Present::PutCursorOnLastRow();
                Present::ScrollLastRowToTop();
                save = true;
            }
        }
    }
    // The table is done: let the window draw it before the day file is written.
    Common::YieldIfDue();
    if (save) {
        SaveDayFile();
        TableShown = true;
    }

    w.SetButtonEnabled(Command::Reload, true);
    g_cycleRunning = false;
    // A patrol started meanwhile (the quick start during the start-up cycle) keeps its lock.
    ApplyCommandLock();
    if (g_cycleHoldsTimer) {
        g_cycleHoldsTimer = false;
        w.SetButtonEnabled(Command::Timer, true);
    }
    return grew;
}

void StopPatrol() {
    // The timer itself belongs to the controller; the window's commands come back here, unless
    // a cycle still holds them.
    g_patrolLock = false;
    ApplyCommandLock();
    if (!g_cycleHoldsTimer)
        Ports::MainWindow().SetButtonEnabled(Command::Timer, true);
}

PatrolController::PatrolController(QObject* parent) : QObject(parent) {
    timerTour_.setSingleShot(false);
    connect(&timerTour_, &QTimer::timeout, this, &PatrolController::TimerTour_Timer);
    connect(&timerOnOff_, &QTimer::timeout, this, &PatrolController::TimerOnOff_Timer);
}

void PatrolController::Arm() {
    // No Qt timer runs faster than 16 ms: that keeps the 64-tick blink at about one second.
    timerOnOff_.start(16);
    timerTour_.start(PatrolInterval);
}

void PatrolController::TimerTour_Timer() {
    timerTour_.stop();
    Common::TraceLine(QStringLiteral("Timr : Call"));
    auto& w = Ports::MainWindow();
    if (!StopRequested && w.ButtonPressed(Command::Timer)) {
        if (CycleRunning()) {
            // A manual reload is under way: try again shortly.
            timerTour_.start(1000);
            return;
        }
        const bool grew = RunFetchCycle();
        UpdateTitle();
        emit CycleFinished(grew);
        if (w.ButtonPressed(Command::Timer) && !StopRequested) {
            PatrolInterval = PatrolBaseInterval - RandomBetween(0, 3000);
            timerTour_.start(PatrolInterval);
        } else {
            StopPatrol();
        }
    } else {
        StopPatrol();
    }
}

void PatrolController::TimerOnOff_Timer() {
    auto& w = Ports::MainWindow();
    if (!quickStartDone_) {
        quickStartDone_ = true;
        if (Program::Settings().QuickStart) {
            w.SetButtonPressed(Command::Timer, true);
            StartPatrol();
            // Run the first cycle from the event loop, not inside this tick, so the blink
            // timer keeps firing while the cycle pumps events.
            QTimer::singleShot(0, this, &PatrolController::TimerTour_Timer);
        }
    }
    if (w.PanelTip(Panel::New) != NoNewsTip) {
        if (BlinkCounter == 0 || BlinkCounter == 32)
            w.SetPanelPicture(Panel::New,
                              QStringLiteral("STATUS_NEW_") + QString::number(BlinkCounter / 32));
        BlinkCounter = static_cast<qint16>((BlinkCounter + 1) % 64);
    }
}

void PatrolController::TimerButtonPressed() {
    StartPatrol();
    TimerTour_Timer();
}

void PatrolController::TimerButtonReleased() {
    auto& w = Ports::MainWindow();
    w.SetButtonEnabled(Command::Timer, false);
    if (timerTour_.isActive()) {
        timerTour_.stop();
        StopPatrol();
    }
    StopRequested = true;
}

} // namespace News
