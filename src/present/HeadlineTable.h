#pragma once
// The headline grid: one row per stored headline, oldest at row 1, newest at the bottom.

#include "present/GridModel.h"

#include <QList>
#include <QString>
#include <vector>

namespace News {
class NewsStore;
}
namespace Program {
struct SettingsState;
}

namespace Present {

inline constexpr CellAlign HeadlinePictureAlign = CellAlign::CenterCenter;

// The main window's headline list: the grid model it shows and which headline each row holds.
class HeadlineTable {
public:
    HeadlineTable(const News::NewsStore& store, const Program::SettingsState& settings);

    GridModel& Model() { return grid_; }
    const News::NewsStore& Store() const { return store_; }
    const GridModel& Model() const { return grid_; }

    // Ten columns, headers, alignments and widths; no headline rows; the grid hidden.
    void Init();
    // Rebuilds the grid from the news store, the filter button and the search box.
    void Fill();
    // Cursor on the title cell of the last row, scrolled into view.
    void PutCursorOnLastRow();
    // The last row as the top row; the view shows as far down as it can.
    void ScrollLastRowToTop();
    // The opened picture on a grid row, keeping the grid's visibility.
    void MarkOpenedPicture(int row);
    // The store index of the headline a grid row shows, found by the headline itself so that
    // it holds while pages merge into the store under the table; -1 when there is none.
    int StoreIndexOfRow(int row) const;
    // Shows another store (an earlier day) until ShowStore(nullptr) brings back the session's
    // own. The caller rebuilds with Fill().
    void ShowStore(const News::NewsStore* other) { shown_ = other ? other : &store_; }
    bool ShowsOtherStore() const { return shown_ != &store_; }
    const News::NewsStore& ShownStore() const { return *shown_; }
    // The highest index of the headlines the rows show: the store's UBound as of the last
    // build. Row r shows index UBound() + 1 - r.
    int UBound() const { return int(keys_.size()) - 1; }
    // Scans the headlines the rows show from startIndex (direction 1: upwards to the last one,
    // else down to 0) with the search-box text, colouring the title cells. Returns the hit (the
    // last one when marking all) or -1; 0 for an empty store.
    int Search(int startIndex, int direction, bool markAll, bool colourCells);

private:
    // What each row shows, by the headline's own fields: store positions move while a page
    // merges into the store, the headline does not.
    struct RowKey {
        double Posted = 0;
        QString Source, Category, Title, Url;
    };

    GridFont SettingsFont() const;
    // Day, hour and minute texts are shared, not made anew for every row.
    const QString& SmallNumber(int n) const;

    const News::NewsStore& store_;
    const News::NewsStore* shown_ = &store_;
    const Program::SettingsState& settings_;
    GridModel grid_;
    std::vector<RowKey> keys_;
    QList<QString> smallNumbers_;
};

// The calendar parts of an OLE date, without going through the time zone.
struct OleParts {
    int Day = 0, Hour = 0, Minute = 0;
};
OleParts SplitOle(double oleDate);

} // namespace Present
