#pragma once
// The search across the stored days: an expression and a range of days, the search running on
// a thread of its own with progress and a cancel button, and the hits newest first.

#include "present/DaySearch.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

class FormDaySearch : public QWidget {
    Q_OBJECT
public:
    // stored: the days that have a day file, oldest first; the range starts as all of them.
    FormDaySearch(QString dataFolder, const QList<QDate>& stored, QWidget* parent = nullptr);
    ~FormDaySearch() override;

    void SetExpression(const QString& expression);
    // The days on disk now; the range widens to all of them when it covered all before.
    void SetStoredDays(const QList<QDate>& stored);
    void SetRange(const QDate& from, const QDate& to);
    // Starts a search with the expression and range shown; a running one is cancelled first.
    void StartSearch();
    void CancelSearch();
    bool Searching() const;
    // Opens the hit of a table row.
    void OpenHit(int row);
    void ExportCsv();

    // The last search that ended.
    const Present::DaySearchOutcome& Outcome() const { return outcome_; }

    // Opens an address (the main window's article viewer); the save dialog. Tests replace them.
    std::function<void(const QString& url, const QString& title)> OpenAddressStep;
    std::function<QString()> SaveFileDialogStep;
    std::function<void(const QString& text)> MessageStep;

    QLineEdit* ExpressionEdit() const { return expression_; }
    QPushButton* SearchButton() const { return searchButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QPushButton* CsvButton() const { return csvButton_; }
    QProgressBar* ProgressBar() const { return progress_; }
    QTableWidget* HitTable() const { return table_; }
    QLabel* ResultLabel() const { return result_; }

signals:
    void SearchFinished();

private:
    void ShowOutcome(const Present::DaySearchOutcome& outcome);
    void SetBusy(bool busy);

    const QString folder_;
    QList<QDate> stored_;
    QLineEdit* expression_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* result_ = nullptr;
    std::unique_ptr<Present::DaySearchJob> job_;
    Present::DaySearchOutcome outcome_;
};
