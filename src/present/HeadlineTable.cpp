#include "present/HeadlineTable.h"

#include "app/Ports.h"
#include "app/SettingsState.h"
#include "news/NewsStore.h"
#include "present/GridPort.h"
#include "present/HeadlineSearch.h"
#include "present/Watch.h"

#include <QDate>
#include <QHash>
#include <cmath>
#include <vector>

#include "news/Sources.h"

namespace Present {

namespace {

const QString FormatString = QStringLiteral(
    "番号|>日|>時|>分|　|　|　|<              分類              |^付|<              見出し    "
    "          ");
const QString HeaderLine = QStringLiteral("\t日\t時\t分\t\t\t\t分類\t付\t見出し");
const QString RakutenSource = QStringLiteral("楽天市場");
constexpr int ColumnCount = 10;

// Background of the hour and minute cells by the hour of publication.
constexpr Rgb HourBands[24] = {
    MakeRgb(175, 175, 255), MakeRgb(175, 175, 255), MakeRgb(175, 175, 255), MakeRgb(175, 175, 255),
    MakeRgb(175, 175, 255), MakeRgb(175, 175, 255), MakeRgb(175, 175, 255), // 0 to 6
    MakeRgb(191, 191, 255),                                                 // 7
    MakeRgb(191, 223, 255),                                                 // 8
    MakeRgb(191, 239, 255),                                                 // 9
    MakeRgb(191, 255, 255),                                                 // 10
    MakeRgb(223, 255, 255),                                                 // 11
    MakeRgb(255, 255, 255),                                                 // 12
    MakeRgb(223, 255, 255),                                                 // 13
    MakeRgb(191, 255, 255),                                                 // 14
    MakeRgb(191, 239, 255),                                                 // 15
    MakeRgb(191, 223, 255),                                                 // 16
    MakeRgb(223, 233, 191),                                                 // 17
    MakeRgb(255, 233, 191),                                                 // 18
    MakeRgb(191, 223, 223),                                                 // 19
    MakeRgb(191, 119, 255),                                                 // 20
    MakeRgb(175, 175, 255), MakeRgb(175, 175, 255), MakeRgb(175, 175, 255), // 21 to 23
};

constexpr Rgb OtherDayColor = MakeRgb(255, 255, 191);
constexpr Rgb RakutenTextColor = MakeRgb(255, 0, 0);

Rgb MarkColor(const QString& mark) {
    if (mark == u"再")
        return MakeRgb(223, 223, 223);
    if (mark == u"追")
        return MakeRgb(223, 223, 255);
    if (mark == u"更")
        return MakeRgb(223, 255, 223);
    return KeepColor;
}

} // namespace

HeadlineTable::HeadlineTable(const News::NewsStore& store, const Program::SettingsState& settings)
    : store_(store), settings_(settings) {
    smallNumbers_.reserve(60);
    for (int i = 0; i < 60; ++i)
        smallNumbers_.append(QString::number(i));
}

const QString& HeadlineTable::SmallNumber(int n) const {
    return n >= 0 && n < 60 ? smallNumbers_[n] : smallNumbers_[0];
}

GridFont HeadlineTable::SettingsFont() const {
    const Program::SettingsState& s = settings_;
    return GridFont{s.FontName, s.FontSize, s.FontBold, s.FontItalic};
}

int HeadlineTable::StoreIndexOfRow(int row) const {
    const std::vector<RowKey>& keys = keys_;
    if (row < 1 || size_t(row) > keys.size())
        return -1;
    const RowKey& k = keys[size_t(row) - 1];
    return shown_->FindNewsItem(k.Posted, k.Source, k.Category, k.Title, k.Url);
}

OleParts SplitOle(double oleDate) {
    // Whole seconds, as date parts are read from a date value.
    const qint64 seconds = std::llround(oleDate * 86400.0);
    qint64 days = seconds / 86400, inDay = seconds % 86400;
    if (inDay < 0) {
        inDay += 86400;
        --days;
    }
    const QDate date = QDate(1899, 12, 30).addDays(days);
    return OleParts{date.day(), int(inDay / 3600), int(inDay % 3600 / 60)};
}

void HeadlineTable::Init() {
    GridModel& grid = grid_;
    keys_.clear();
    GridPort& port = Grid();
    const GridFont font = SettingsFont();
    grid.BeginBatch();
    grid.Clear();
    grid.SetCols(ColumnCount);
    grid.SetRows(1);
    grid.SetFixedRows(1);
    grid.SetFixedCols(1);
    grid.SetFont(font);
    const QStringList parts = FormatString.split(u'|');
    for (int c = 0; c < ColumnCount; ++c) {
        QString text = parts.value(c);
        CellAlign align = CellAlign::General;
        if (text.startsWith(u'<'))
            align = CellAlign::LeftCenter;
        else if (text.startsWith(u'>'))
            align = CellAlign::RightCenter;
        else if (text.startsWith(u'^'))
            align = CellAlign::CenterCenter;
        if (align != CellAlign::General)
            text.remove(0, 1);
        grid.SetText(GridRow{0}, GridCol{c}, text);
        grid.SetColAlignment(c, align);
        grid.SetFixedAlignment(c, CellAlign::CenterCenter);
        grid.SetColResizable(c, c != 5);
        // The padded headers give the category and title columns their width.
        grid.SetColWidth(c, port.TextWidth(text, font) + 8);
    }
    grid.SetColWidth(4, 18);
    grid.SetColWidth(5, 18);
    grid.SetColWidth(6, 34);
    grid.SetCursor(GridRow{0}, GridCol{0});
    grid.EndBatch();
    Ports::MainWindow().SetGridVisible(false);
    Ports::MainWindow().SetPanelText(App::Panel::Message, QString());
}

void HeadlineTable::Fill() {
    GridModel& grid = grid_;
    GridPort& port = Grid();
    Ports::MainWindowPort& window = Ports::MainWindow();
    const News::NewsStore& store = *shown_;

    const int savedTop = grid.TopRow(), savedRow = grid.Row(), savedCol = grid.Col();
    window.SetGridVisible(false);
    grid.BeginBatch();
    grid.Clear();
    if (grid.Cols() < ColumnCount)
        grid.SetCols(ColumnCount);
    grid.SetRows(2);
    grid.SetClipH(GridRow{0}, GridCol{0}, HeaderLine);

    const GridFont font = SettingsFont();
    grid.SetFont(font);
    grid.SetWordWrap(false);
    grid.SetAllRowHeights(port.TextHeight(QStringLiteral("株式"), font) + 4);

    const int count = store.Count();
    std::vector<RowKey>& keys = keys_;
    keys.clear();
    if (count > 0) {
        grid.SetRows(count + 1);
        keys.reserve(size_t(count));

        for (int k = 0; k < count; ++k) {
            const News::NewsItem& item = store.Item(count - 1 - k);
            keys.push_back({item.Posted, item.Source, item.Category, item.Title, item.Url});
            const OleParts when = SplitOle(item.Posted);
            const int row = k + 1;
            if (item.Category.contains(u'\t') || item.Mark.contains(u'\t') ||
                item.Title.contains(u'\t')) {
                // A tab in a field shifts the later columns, as the row text is tab-separated.
                grid.SetClipH(GridRow{row}, GridCol{0},
                              QStringList{QString::number(k), SmallNumber(when.Day),
                                          SmallNumber(when.Hour), SmallNumber(when.Minute),
                                          QString(), QString(), QString(), item.Category, item.Mark,
                                          item.Title}
                                  .join(u'\t'));
                continue;
            }
            grid.SetText(GridRow{row}, GridCol{0}, QString::number(k));
            grid.SetText(GridRow{row}, GridCol{1}, SmallNumber(when.Day));
            grid.SetText(GridRow{row}, GridCol{2}, SmallNumber(when.Hour));
            grid.SetText(GridRow{row}, GridCol{3}, SmallNumber(when.Minute));
            grid.SetText(GridRow{row}, GridCol{7}, item.Category);
            grid.SetText(GridRow{row}, GridCol{8}, item.Mark);
            grid.SetText(GridRow{row}, GridCol{9}, item.Title);
        }

        QHash<QString, QString> logoKeys;
        const QStringList names = News::SourceNames();
        const QStringList logos = News::SourceLogoKeys();
        for (qsizetype i = names.size() - 1; i >= 0; --i) // the first of equal names wins
            logoKeys.insert(names[i], logos.value(i));

        const Rgb shadow = port.ButtonShadowColor();
        const int today = Ports::Clock().Today().day();
        const QString searchText = window.SearchText();
        const bool filtering = window.ButtonPressed(App::Command::Filter) && !searchText.isEmpty();
        const CompiledExpression filter(filtering ? searchText : QString());
        const WatchList watch(settings_.WatchWord);
        const QString vip = QStringLiteral("VIP"), lookNew = QStringLiteral("LOOK_NEW"),
                      lookOpen = QStringLiteral("LOOK_OPEN"),
                      lookClose = QStringLiteral("LOOK_CLOSE"),
                      feedPicture = QStringLiteral("FEED");

        for (int j = 0; j < count; ++j) {
            const News::NewsItem& item = store.Item(j);
            const int row = count - j;
            const OleParts when = SplitOle(item.Posted);
            // A feed's item (its feed's address kept in the spare field) gets the feed picture.
            grid.SetPicture(GridRow{row}, GridCol{6},
                            item.Reserved2.isEmpty() ? logoKeys.value(item.Source) : feedPicture,
                            HeadlinePictureAlign);
            if (item.Category.isEmpty())
                grid.SetBackColor(GridRow{row}, GridCol{7}, shadow);
            const Rgb markColor = MarkColor(item.Mark);
            if (markColor != KeepColor)
                grid.SetBackColor(GridRow{row}, GridCol{8}, markColor);
            if (j % 2 == 0)
                grid.SetBackColor(GridRow{row}, GridCol{9}, EvenTitleColor);
            if (when.Day != today)
                grid.SetBackColor(GridRow{row}, GridCol{1}, OtherDayColor);
            // A watched headline keeps the VIP picture, which says it cannot be opened.
            const bool watched = watch.Matches(item);
            if (item.IsVip)
                grid.SetPicture(GridRow{row}, GridCol{4}, vip, HeadlinePictureAlign);
            else if (watched)
                grid.SetPicture(GridRow{row}, GridCol{4}, WatchPicture, HeadlinePictureAlign);
            if (watched)
                grid.SetBackColor(GridRow{row}, GridCol{7}, WatchColor);
            grid.SetPicture(GridRow{row}, GridCol{5},
                            item.IsNew ? lookNew : (item.IsOpened ? lookOpen : lookClose),
                            HeadlinePictureAlign);
            const bool rakuten = item.Source == RakutenSource;
            if (rakuten)
                grid.SetForeColor(GridRow{row}, GridCol{9}, RakutenTextColor);
            grid.FillColors(GridRow{row}, GridCol{2}, GridRow{row}, GridCol{3}, KeepColor,
                            HourBands[when.Hour % 24]);

            if (filtering && !rakuten && !filter.Matches(item)) {
                grid.SetRowHeight(row, 0);
                for (int c = 4; c <= 6; ++c)
                    grid.SetPicture(GridRow{row}, GridCol{c}, QString(), HeadlinePictureAlign);
            }
        }
    }

    const int lastRow = grid.Rows() - 1;
    grid.SetTopRow(std::min(savedTop, lastRow));
    grid.SetCursor(GridRow{std::min(savedRow, lastRow)}, GridCol{savedCol});
    for (int c = 4; c <= 6; ++c)
        grid.SetColWidth(c, 18);
    // Row numbers grow with the store: keep the widest one readable.
    const int numberWidth =
        port.TextWidth(QString::number(std::max(0, grid.Rows() - 2)), grid.Font()) + 8;
    if (grid.ColWidth(0) < numberWidth)
        grid.SetColWidth(0, numberWidth);
    grid.EndBatch();
    window.SetGridVisible(true);

    if (!window.SearchText().isEmpty())
        Search(0, 1, true, true);
}

void HeadlineTable::PutCursorOnLastRow() {
    GridModel& grid = grid_;
    grid.SetCursor(GridRow{grid.Rows() - 1}, GridCol{9});
}

void HeadlineTable::ScrollLastRowToTop() {
    GridModel& grid = grid_;
    grid.SetTopRow(grid.Rows() - 1);
}

void HeadlineTable::MarkOpenedPicture(int row) {
    Ports::MainWindowPort& window = Ports::MainWindow();
    const bool wasVisible = window.GridVisible();
    window.SetGridVisible(false);
    grid_.SetPicture(GridRow{row}, GridCol{5}, QStringLiteral("LOOK_OPEN"), HeadlinePictureAlign);
    window.SetGridVisible(wasVisible);
}

int HeadlineTable::Search(int startIndex, int direction, bool markAll, bool colourCells) {
    if (!shown_->HasNewsItems())
        return 0;
    Ports::MainWindowPort& window = Ports::MainWindow();
    const CompiledExpression expression(window.SearchText());
    // The headlines the rows show, not the store: a cycle may be merging pages into the store
    // under the table, and a mark must land on the row of the headline that matched.
    const int count = UBound() + 1;
    GridModel& grid = grid_;

    window.SetGridVisible(false);
    grid.BeginBatch();
    int hit = -1;
    const int step = direction == 1 ? 1 : -1;
    int i = step > 0 ? std::max(startIndex, 0) : std::min(startIndex, count - 1);
    for (; i >= 0 && i < count; i += step) {
        const RowKey& key = keys_[size_t(count - 1 - i)];
        if (expression.Matches(key.Title, key.Category, key.Source)) {
            hit = i;
            if (colourCells)
                grid.SetBackColor(GridRow{count - i}, GridCol{9}, HitColor);
            if (!markAll)
                break;
        } else if (colourCells) {
            grid.SetBackColor(GridRow{count - i}, GridCol{9},
                              i % 2 == 0 ? EvenTitleColor : OddTitleColor);
        }
    }
    grid.EndBatch();
    window.SetGridVisible(true);
    if (markAll && hit < 0)
        window.SetPanelText(App::Panel::Message, QStringLiteral("該当記事がありませんでした。"));
    return hit;
}

} // namespace Present
