#pragma once
// Earlier days in the main window: the calendar that picks a stored day, the day shown in the
// headline table in place of today's, the way back to today, and the search across days.

#include <QDate>
#include <QDialog>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

#include "ui/FormDaySearch.h"
class FormMain;
class ImageRegistry;
class QAction;
class QCalendarWidget;
class QLabel;
class QPushButton;
class QStatusBar;
class QToolBar;
namespace Program {
class Session;
}
namespace News {
class DayFill;
}

// What the calendar was closed with: a day to show, or a day to fill from the disclosure
// service first.
struct DayChoice {
    QDate day; // invalid: closed without a choice
    bool fill = false;
};

// The calendar: the days that have a day file are bold on a coloured ground, and only they can
// be chosen.
class FormDays : public QDialog {
    Q_OBJECT
public:
    // folder: where the day files are, to tell which days can still be filled.
    FormDays(const QList<QDate>& stored, const QDate& today, const QString& folder,
             QWidget* parent = nullptr);
    // A stored day that is selected; invalid otherwise.
    QDate ChosenDay() const;
    DayChoice Choice() const { return choice_; }
    QCalendarWidget* Calendar() const { return calendar_; }
    QPushButton* OpenButton() const { return open_; }
    QPushButton* FillButton() const { return fill_; }

private:
    void UpdateOpenButton();

    QList<QDate> stored_;
    QDate today_;
    QString folder_;
    DayChoice choice_;
    QCalendarWidget* calendar_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* fill_ = nullptr;
};

class DayBrowser : public QObject {
    Q_OBJECT
public:
    DayBrowser(FormMain& window, Program::Session& session, const ImageRegistry& images);
    ~DayBrowser() override;

    void AddToToolBar(QToolBar* bar);
    void AddToStatusBar(QStatusBar* bar);

    // "過去の日付": the calendar, then the day chosen.
    void CommandEarlierDay();
    // Shows the day's headlines instead of today's; today itself returns to today. false when
    // the day's file could not be read (the status bar says why).
    bool ShowDay(const QDate& day);
    // "今日に戻る": today's table with everything that arrived meanwhile.
    void ReturnToToday();
    bool ShowsEarlierDay() const;
    QDate DayShown() const;
    // Opening a headline of the day shown marks it in that day's file.
    void MarkOpened(int storeIndex);
    // "全期間検索": the search window, with the search box's text.
    void CommandDaySearch();

    // Steps that show a window of their own; tests replace them. The day chosen, or an invalid
    // date when the calendar was closed.
    std::function<DayChoice(const QList<QDate>& stored, const QDate& today)> ChooseDayStep;
    // Fetches the day's disclosures into its file, then shows the day. false when nothing could
    // be fetched (the status bar says why).
    bool FillDay(const QDate& day);
    bool Filling() const { return fill_ != nullptr; }
    // "中止" in the status bar, and closing the window: the fill stops and its day's file stays
    // as it was.
    void CancelFill();

    QAction* EarlierDayAction() const { return earlierAction_; }
    QAction* DaySearchAction() const { return searchAction_; }
    QPushButton* TodayButton() const { return todayButton_; }
    QPushButton* CancelFillButton() const { return cancelFillButton_; }
    QLabel* DayLabel() const { return dayLabel_; }
    FormDaySearch* SearchWindow() const { return searchWindow_; }

private:
    void ShowDayControls(bool on);

    FormMain& window_;
    Program::Session& session_;
    const ImageRegistry& images_;
    QAction* earlierAction_ = nullptr;
    QAction* searchAction_ = nullptr;
    QLabel* dayLabel_ = nullptr;
    QPushButton* todayButton_ = nullptr;
    QPushButton* cancelFillButton_ = nullptr;
    QPointer<FormDaySearch> searchWindow_;
    News::DayFill* fill_ = nullptr;
};
