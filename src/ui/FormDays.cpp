#include "ui/FormDays.h"

#include "app/Ports.h"
#include "news/DayArchive.h"
#include "news/FetchCycle.h"
#include "present/HeadlineTable.h"
#include "present/Session.h"
#include "text/Dates.h"
#include "ui/Accessibility.h"
#include "ui/FormDaySearch.h"
#include "ui/FormMain.h"
#include "ui/ImageRegistry.h"
#include "ui/WindowPorts.h"
#include "web/clsWEB.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTextCharFormat>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using App::Panel;

// --- the calendar ---

FormDays::FormDays(const QList<QDate>& stored, const QDate& today, const QString& folder,
                   QWidget* parent)
    : QDialog(parent), stored_(stored), today_(today), folder_(folder) {
    setObjectName(QStringLiteral("FormDays"));
    setWindowTitle(QStringLiteral("過去の日付"));
    Accessibility::Name(this, objectName(), Accessibility::Tip::None);
    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("CalendarDays"));
    Accessibility::Name(calendar_, calendar_->objectName());
    calendar_->setGridVisible(true);
    QTextCharFormat storedDay;
    storedDay.setFontWeight(QFont::Bold);
    storedDay.setBackground(QColor(255, 230, 160));
    for (const QDate& day : stored_)
        calendar_->setDateTextFormat(day, storedDay);
    // Stored days, and the month the disclosure service still holds.
    const QDate serviceFirst = today.addDays(-News::DisclosureListDays);
    calendar_->setDateRange(stored_.isEmpty() ? serviceFirst
                                              : std::min(stored_.first(), serviceFirst),
                            stored_.isEmpty() ? today : std::max(stored_.last(), today));
    calendar_->setSelectedDate(today.addDays(-1));
    if (!stored_.isEmpty()) {
        // The newest day before today is the one most often wanted.
        QDate start = stored_.last();
        for (auto it = stored_.crbegin(); it != stored_.crend(); ++it) {
            if (*it < today) {
                start = *it;
                break;
            }
        }
        calendar_->setSelectedDate(start);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    open_ = buttons->addButton(Accessibility::Of(QStringLiteral("ButtonOpenDay")).text,
                               QDialogButtonBox::AcceptRole);
    open_->setObjectName(QStringLiteral("ButtonOpenDay"));
    Accessibility::Name(open_, open_->objectName());
    fill_ = buttons->addButton(Accessibility::Of(QStringLiteral("ButtonFillDay")).text,
                               QDialogButtonBox::ActionRole);
    fill_->setObjectName(QStringLiteral("ButtonFillDay"));
    Accessibility::Name(fill_, fill_->objectName());
    connect(open_, &QPushButton::clicked, this, [this] {
        choice_ = {ChosenDay(), false};
        accept();
    });
    connect(fill_, &QPushButton::clicked, this, [this] {
        choice_ = {calendar_->selectedDate(), true};
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &FormDays::UpdateOpenButton);
    connect(calendar_, &QCalendarWidget::activated, this, [this](const QDate& day) {
        if (stored_.contains(day)) {
            choice_ = {day, false};
            accept();
        }
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(calendar_);
    layout->addWidget(buttons);
    UpdateOpenButton();
}

QDate FormDays::ChosenDay() const {
    const QDate day = calendar_->selectedDate();
    return stored_.contains(day) ? day : QDate();
}

void FormDays::UpdateOpenButton() {
    open_->setEnabled(ChosenDay().isValid());
    fill_->setEnabled(News::CanFillDay(folder_, calendar_->selectedDate(), today_));
}

// --- the day shown ---

DayBrowser::DayBrowser(FormMain& window, Program::Session& session, const ImageRegistry& images)
    : QObject(&window), window_(window), session_(session), images_(images) {
    ChooseDayStep = [this](const QList<QDate>& stored, const QDate& today) {
        FormDays dialog(stored, today, News::DataFolder(), &window_);
        return dialog.exec() == QDialog::Accepted ? dialog.Choice() : DayChoice();
    };
}

DayBrowser::~DayBrowser() {
    if (searchWindow_)
        delete searchWindow_.data();
}

void DayBrowser::AddToToolBar(QToolBar* bar) {
    auto add = [&](const QString& objectName, const QKeySequence& key, void (DayBrowser::*run)()) {
        const Accessibility::Names names = Accessibility::Of(objectName);
        QAction* action = bar->addAction(images_.Icon(names.icon), names.text);
        action->setObjectName(objectName);
        action->setToolTip(names.description);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        // The button gets the object name too, so that the tool bar names it for screen readers.
        if (QWidget* button = bar->widgetForAction(action))
            button->setObjectName(objectName);
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    earlierAction_ = add(QStringLiteral("ButtonEarlierDay"), QKeySequence(Qt::CTRL | Qt::Key_D),
                         &DayBrowser::CommandEarlierDay);
    searchAction_ =
        add(QStringLiteral("ButtonDaySearchAll"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
            &DayBrowser::CommandDaySearch);
}

void DayBrowser::AddToStatusBar(QStatusBar* bar) {
    dayLabel_ = new QLabel(bar);
    dayLabel_->setObjectName(QStringLiteral("LabelDayShown"));
    Accessibility::Name(dayLabel_, dayLabel_->objectName());
    dayLabel_->setStyleSheet(QStringLiteral("QLabel { background: #ffe6a0; padding: 0 4px; }"));
    todayButton_ = new QPushButton(Accessibility::Of(QStringLiteral("ButtonToday")).text, bar);
    todayButton_->setObjectName(QStringLiteral("ButtonToday"));
    Accessibility::Name(todayButton_, todayButton_->objectName());
    connect(todayButton_, &QPushButton::clicked, this, &DayBrowser::ReturnToToday);
    cancelFillButton_ =
        new QPushButton(Accessibility::Of(QStringLiteral("ButtonCancelFill")).text, bar);
    cancelFillButton_->setObjectName(QStringLiteral("ButtonCancelFill"));
    Accessibility::Name(cancelFillButton_, cancelFillButton_->objectName());
    connect(cancelFillButton_, &QPushButton::clicked, this, &DayBrowser::CancelFill);
    bar->insertPermanentWidget(0, dayLabel_);
    bar->insertPermanentWidget(1, todayButton_);
    bar->insertPermanentWidget(2, cancelFillButton_);
    cancelFillButton_->setVisible(false);
    ShowDayControls(false);
}

void DayBrowser::ShowDayControls(bool on) {
    if (dayLabel_) {
        dayLabel_->setText(on ? Dates::ShortDate(DayShown()) + QStringLiteral(" を表示中")
                              : QString());
        dayLabel_->setVisible(on);
    }
    if (todayButton_)
        todayButton_->setVisible(on);
    if (MainWindowPorts* ports = window_.WindowPorts()) {
        ports->SetCaptionNote(on ? QStringLiteral("［") + Dates::ShortDate(DayShown()) +
                                       QStringLiteral(" を表示中］")
                                 : QString());
    }
}

bool DayBrowser::ShowsEarlierDay() const {
    return session_.earlier.IsOpen() && session_.table.ShowsOtherStore();
}

QDate DayBrowser::DayShown() const {
    return ShowsEarlierDay() ? session_.earlier.Day() : Ports::Clock().Today();
}

void DayBrowser::CommandEarlierDay() {
    const QList<QDate> stored = News::StoredDays(News::DataFolder());
    const DayChoice choice = ChooseDayStep(stored, Ports::Clock().Today());
    if (!choice.day.isValid())
        return;
    if (choice.fill)
        FillDay(choice.day);
    else
        ShowDay(choice.day);
}

bool DayBrowser::ShowDay(const QDate& day) {
    if (day == Ports::Clock().Today()) {
        ReturnToToday();
        return true;
    }
    const News::DayFileResult read = session_.earlier.Open(day);
    if (read == News::DayFileResult::Missing) {
        Ports::MainWindow().SetPanelText(
            Panel::Message, Dates::ShortDate(day) + QStringLiteral(" のニュースはありません。"));
    }
    if (read != News::DayFileResult::Loaded)
        return false;
    Present::HeadlineTable& table = session_.table;
    table.ShowStore(&session_.earlier.Store());
    table.Fill();
    table.PutCursorOnLastRow();
    table.ScrollLastRowToTop();
    Ports::MainWindow().SetGridVisible(true);
    ShowDayControls(true);
    Ports::MainWindow().SetPanelText(Panel::Message,
                                     Dates::ShortDate(day) + QStringLiteral(" のニュース ") +
                                         QString::number(session_.earlier.Store().Count()) +
                                         QStringLiteral(" 件を表示しています。"));
    return true;
}

void DayBrowser::ReturnToToday() {
    Present::HeadlineTable& table = session_.table;
    const bool wasEarlier = table.ShowsOtherStore();
    table.ShowStore(nullptr);
    session_.earlier.Close();
    ShowDayControls(false);
    if (!wasEarlier)
        return;
    // Whatever the patrol merged meanwhile is in the table now.
    table.Fill();
    table.PutCursorOnLastRow();
    table.ScrollLastRowToTop();
    News::UpdateTitle(session_.store);
    Ports::MainWindow().SetPanelText(Panel::Message, QString());
}

bool DayBrowser::FillDay(const QDate& day) {
    if (fill_ || !News::CanFillDay(News::DataFolder(), day, Ports::Clock().Today()))
        return false;
    auto& w = Ports::MainWindow();
    // A download object of its own, so the patrol's may go on meanwhile.
    clsWEB web;
    web.Proxy = session_.pageWeb.Proxy;
    News::DayFill fill(session_.settings, web, session_.words, day);
    fill_ = &fill;
    earlierAction_->setEnabled(false);
    if (cancelFillButton_)
        cancelFillButton_->setVisible(true);
    w.SetPanelText(Panel::Message,
                   Dates::ShortDate(day) + QStringLiteral(" の適時開示情報を取得しています…"));
    const News::FillResult result = fill.Run();
    fill_ = nullptr;
    if (cancelFillButton_)
        cancelFillButton_->setVisible(false);
    earlierAction_->setEnabled(true);
    // A close asked for meanwhile goes ahead now.
    window_.CloseIfPending();
    if (result.cancelled) {
        w.SetPanelText(Panel::Message, Dates::ShortDate(day) +
                                           QStringLiteral(" の適時開示情報の取得を中止しました。"));
        return false;
    }
    if (!result.ok) {
        w.SetPanelText(Panel::Message,
                       Dates::ShortDate(day) +
                           QStringLiteral(" の適時開示情報を取得できませんでした：") +
                           result.reason);
        return false;
    }
    const bool shown = QFile::exists(News::DayFilePathOf(day)) && ShowDay(day);
    w.SetPanelText(Panel::Message, Dates::ShortDate(day) + QStringLiteral(" の適時開示情報を ") +
                                       QString::number(result.added) +
                                       QStringLiteral(" 件補いました。"));
    return shown || result.added == 0;
}

void DayBrowser::CancelFill() {
    if (fill_)
        fill_->Cancel();
}

void DayBrowser::MarkOpened(int storeIndex) {
    session_.earlier.MarkOpened(storeIndex);
}

void DayBrowser::CommandDaySearch() {
    if (!searchWindow_) {
        searchWindow_ =
            new FormDaySearch(News::DataFolder(), News::StoredDays(News::DataFolder()), &window_);
        searchWindow_->OpenAddressStep = [this](const QString& url, const QString&) {
            if (url.isEmpty())
                return;
            window_.OpenAddressStep(url, false);
        };
    }
    // Days stored since the window was made can be searched too.
    if (!searchWindow_->Searching())
        searchWindow_->SetStoredDays(News::StoredDays(News::DataFolder()));
    if (window_.ComboSearch())
        searchWindow_->SetExpression(window_.ComboSearch()->currentText());
    searchWindow_->show();
    searchWindow_->raise();
    searchWindow_->activateWindow();
}
