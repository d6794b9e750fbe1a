#pragma once
// The headline grid: one row per stored headline, oldest at row 1, newest at the bottom.

#include "present/GridModel.h"

namespace Present {

// The one grid model of the main window's headline list.
GridModel& HeadlineGrid();

inline constexpr CellAlign HeadlinePictureAlign = CellAlign::CenterCenter;

// Ten columns, headers, alignments and widths; no headline rows; the grid hidden.
void InitHeadlineGrid();
// Rebuilds the grid from the news store, the filter button and the search box.
void FillHeadlineGrid();
// Cursor on the title cell of the last row, scrolled into view.
void PutCursorOnLastRow();
// The last row as the top row; the view shows as far down as it can.
void ScrollLastRowToTop();
// The opened picture on a grid row, keeping the grid's visibility.
void MarkOpenedPicture(int row);
// The store index of the headline a grid row shows, found by the headline itself so that it
// holds while pages merge into the store under the table; -1 when there is none.
int StoreIndexOfRow(int row);

// The calendar parts of an OLE date, without going through the time zone.
struct OleParts {
    int Day = 0, Hour = 0, Minute = 0;
};
OleParts SplitOle(double oleDate);

} // namespace Present
