#include "ui/FormDaySearch.h"

#include "present/HeadlineTable.h"
#include "text/Dates.h"
#include "ui/Accessibility.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum HitColumn { DayCol, TimeCol, SourceCol, CategoryCol, TitleCol, ColumnCount };

QString TimeOf(double posted) {
    const Present::OleParts parts = Present::SplitOle(posted);
    return QStringLiteral("%1:%2").arg(parts.Hour).arg(parts.Minute, 2, 10, QLatin1Char('0'));
}

} // namespace

FormDaySearch::FormDaySearch(QString dataFolder, const QList<QDate>& stored, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(std::move(dataFolder)), stored_(stored) {
    setObjectName(QStringLiteral("FormDaySearch"));
    setWindowTitle(QStringLiteral("全期間検索"));
    setAttribute(Qt::WA_DeleteOnClose);

    expression_ = new QLineEdit(this);
    expression_->setObjectName(QStringLiteral("TextDaySearch"));
    Accessibility::Name(expression_, expression_->objectName());
    from_ = new QDateEdit(this);
    from_->setObjectName(QStringLiteral("DateSearchFrom"));
    to_ = new QDateEdit(this);
    to_->setObjectName(QStringLiteral("DateSearchTo"));
    for (QDateEdit* edit : {from_, to_}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        Accessibility::Name(edit, edit->objectName());
    }
    if (!stored_.isEmpty())
        SetRange(stored_.first(), stored_.last());
    else
        SetRange(QDate::currentDate(), QDate::currentDate());

    searchButton_ = new QPushButton(QStringLiteral("検索"), this);
    searchButton_->setObjectName(QStringLiteral("ButtonDaySearch"));
    searchButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("中止"), this);
    cancelButton_->setObjectName(QStringLiteral("ButtonDaySearchCancel"));
    csvButton_ = new QPushButton(QStringLiteral("CSV出力"), this);
    csvButton_->setObjectName(QStringLiteral("ButtonDaySearchCsv"));
    for (QPushButton* b : {searchButton_, cancelButton_, csvButton_})
        Accessibility::Name(b, b->objectName());
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressDaySearch"));
    Accessibility::Name(progress_, progress_->objectName());
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("LabelDaySearch"));
    result_->setWordWrap(true);
    Accessibility::Name(result_, result_->objectName());

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("GridDaySearch"));
    Accessibility::Name(table_, table_->objectName());
    table_->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("時刻"),
                                       QStringLiteral("情報源"), QStringLiteral("分類"),
                                       QStringLiteral("見出し")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* query = new QHBoxLayout;
    auto* wordsLabel = new QLabel(QStringLiteral("検索式"), this);
    wordsLabel->setBuddy(expression_);
    query->addWidget(wordsLabel);
    query->addWidget(expression_, 1);
    query->addWidget(from_);
    query->addWidget(new QLabel(QStringLiteral("～"), this));
    query->addWidget(to_);
    query->addWidget(searchButton_);
    auto* state = new QHBoxLayout;
    state->addWidget(progress_, 1);
    state->addWidget(cancelButton_);
    state->addWidget(csvButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(query);
    layout->addLayout(state);
    layout->addWidget(result_);
    layout->addWidget(table_, 1);
    resize(760, 480);

    connect(searchButton_, &QPushButton::clicked, this, &FormDaySearch::StartSearch);
    connect(expression_, &QLineEdit::returnPressed, this, &FormDaySearch::StartSearch);
    connect(cancelButton_, &QPushButton::clicked, this, &FormDaySearch::CancelSearch);
    connect(csvButton_, &QPushButton::clicked, this, &FormDaySearch::ExportCsv);
    connect(table_, &QTableWidget::cellActivated, this, [this](int row, int) { OpenHit(row); });

    SaveFileDialogStep = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("CSV出力"),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
            QStringLiteral("CSVファイル (*.csv)"));
    };
    MessageStep = [this](const QString& text) {
        QMessageBox::information(this, windowTitle(), text);
    };
    SetBusy(false);
}

FormDaySearch::~FormDaySearch() = default;

void FormDaySearch::SetExpression(const QString& expression) {
    expression_->setText(expression);
}

void FormDaySearch::SetStoredDays(const QList<QDate>& stored) {
    const bool wasAll =
        !stored_.isEmpty() && from_->date() == stored_.first() && to_->date() == stored_.last();
    stored_ = stored;
    if ((wasAll || from_->date() > to_->date()) && !stored_.isEmpty())
        SetRange(stored_.first(), stored_.last());
}

void FormDaySearch::SetRange(const QDate& from, const QDate& to) {
    from_->setDate(from);
    to_->setDate(to);
}

bool FormDaySearch::Searching() const {
    return job_ && job_->Running();
}

void FormDaySearch::SetBusy(bool busy) {
    searchButton_->setEnabled(!busy);
    cancelButton_->setEnabled(busy);
    csvButton_->setEnabled(!busy && !outcome_.hits.isEmpty());
}

void FormDaySearch::StartSearch() {
    const QString expression = expression_->text().trimmed();
    if (expression.isEmpty()) {
        result_->setText(QStringLiteral("検索式を入力してください。"));
        return;
    }
    // A stopped job is let go only once its thread has ended (the destructor waits).
    job_.reset();
    const QDate from = std::min(from_->date(), to_->date());
    const QDate to = std::max(from_->date(), to_->date());
    QList<QDate> days;
    for (const QDate& day : stored_) {
        if (day >= from && day <= to)
            days.append(day);
    }
    table_->setRowCount(0);
    outcome_ = {};
    progress_->setRange(0, std::max<int>(1, int(days.size())));
    progress_->setValue(0);
    result_->setText(QStringLiteral("検索しています…"));
    job_ = std::make_unique<Present::DaySearchJob>(folder_, days, expression);
    connect(job_.get(), &Present::DaySearchJob::Progress, this,
            [this](int done, int) { progress_->setValue(done); });
    connect(job_.get(), &Present::DaySearchJob::Finished, this,
            [this](const Present::DaySearchOutcome& outcome) { ShowOutcome(outcome); });
    SetBusy(true);
    job_->Start();
}

void FormDaySearch::CancelSearch() {
    if (job_)
        job_->Cancel();
}

void FormDaySearch::ShowOutcome(const Present::DaySearchOutcome& outcome) {
    outcome_ = outcome;
    const QList<Present::DayHit>& hits = outcome_.hits;
    table_->setUpdatesEnabled(false);
    table_->setRowCount(int(hits.size()));
    for (int row = 0; row < hits.size(); ++row) {
        const News::NewsItem& item = hits[row].item;
        const QDate day = Dates::FromOle(item.Posted).date();
        const QString texts[ColumnCount] = {Dates::ShortDate(day), TimeOf(item.Posted), item.Source,
                                            item.Category, item.Title};
        for (int col = 0; col < ColumnCount; ++col)
            table_->setItem(row, col, new QTableWidgetItem(texts[col]));
    }
    table_->resizeColumnsToContents();
    table_->setUpdatesEnabled(true);
    QString text = QString::number(hits.size()) + QStringLiteral(" 件見つかりました（") +
                   QString::number(outcome_.daysSearched) + QStringLiteral(" 日分、") +
                   QString::number(outcome_.headlinesSearched) + QStringLiteral(" 件を検索）");
    if (outcome_.cancelled)
        text += QStringLiteral("。途中で中止しました");
    text += QStringLiteral("。");
    for (const QString& note : outcome_.notes)
        text += QStringLiteral("\n") + note;
    result_->setText(text);
    progress_->setValue(progress_->maximum());
    SetBusy(false);
    emit SearchFinished();
}

void FormDaySearch::OpenHit(int row) {
    if (row < 0 || row >= outcome_.hits.size() || !OpenAddressStep)
        return;
    const News::NewsItem& item = outcome_.hits[row].item;
    OpenAddressStep(item.Url, item.Title);
}

void FormDaySearch::ExportCsv() {
    if (outcome_.hits.isEmpty()) {
        MessageStep(QStringLiteral("検索結果がないので出力できません。"));
        return;
    }
    const QString path = SaveFileDialogStep();
    if (path.isEmpty())
        return;
    if (Present::ExportHitsCsv(outcome_.hits, path))
        MessageStep(path + QStringLiteral(" に検索結果を出力しました。"));
    else
        MessageStep(path + QStringLiteral(" に書き込めませんでした。"));
}
