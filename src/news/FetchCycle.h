#pragma once
// One fetch cycle over every source, and the patrol that repeats it.

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>

namespace News {

// Patrol state shared with the main window.
extern qint32 PatrolInterval; // ms; 65535 at start-up
extern bool StopRequested;    // the user released the timer button
extern bool StartingUp;       // the start-up cycle: no download
extern bool TableShown;       // false until the first cycle has ended
extern qint16 BlinkCounter;   // 0 .. 63

inline constexpr int PatrolBaseInterval = 65535;

inline const QString NoNewsTip = QStringLiteral("新着はありません。");
inline const QString TdnetSourceName = QStringLiteral("適時開示情報");

// Addresses built from the "SERVER" settings.
QString PortalAddress(const QString& sourceCode, const QDate& day);
QString TdnetListFolder();
QString TdnetAddress(const QDate& day);
bool IsTdnetAddress(const QString& address);

// True when the store grew during the cycle. A second call while a cycle runs returns false
// at once.
bool RunFetchCycle();
bool CycleRunning();
// Closing the window during a cycle: the cycle ends at its next wait, saves, and returns.
void RequestCycleEnd();
bool CycleEndRequested();

void FetchSource(const QString& address, const QString& sourceName, int minPauseMs, int maxPauseMs);
void StartPatrol();
void StopPatrol();
void UpdateTitle();
QString TitleText();
void SetNetLamp(bool busy);
void ResetNewIndicator();
int RandomBetween(int low, int high);
bool RandomChance(double percent);

// The patrol's two timers, driven by the main window. TimerTour repeats the cycle about once a
// minute; TimerOnOff runs every 16 ms for the quick start and the new-headline blink.
class PatrolController : public QObject {
    Q_OBJECT
public:
    explicit PatrolController(QObject* parent = nullptr);

    QTimer& TimerTour() { return timerTour_; }
    QTimer& TimerOnOff() { return timerOnOff_; }

    // Start-up: both timers armed (TimerTour with PatrolInterval).
    void Arm();
    void TimerTour_Timer();
    void TimerOnOff_Timer();
    // The timer button was pressed or released by the user.
    void TimerButtonPressed();
    void TimerButtonReleased();

    bool QuickStartDone() const { return quickStartDone_; }

signals:
    // After a patrol cycle: the window may want to refresh what it shows.
    void CycleFinished(bool grew);

private:
    QTimer timerTour_;
    QTimer timerOnOff_;
    bool quickStartDone_ = false;
};

} // namespace News
