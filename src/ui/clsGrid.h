#pragma once
// Spreadsheet-like handling of one grid: colours and fonts by range, rows from tab-separated
// text, pictures, wildcard search, row swapping, sorting, cursor helpers and the clipboard keys.
// Rows and columns count from 0; argument order is column before row, each of its own type.

#include "present/GridModel.h"
#include "ui/GridView.h"

#include <QObject>
#include <QPointer>
#include <QString>

class clsGrid : public QObject {
    Q_OBJECT
public:
    explicit clsGrid(QObject* parent = nullptr);

    // Binds the grid; its key presses go to Grid_KeyDown. Clears a sort mark left in the header.
    void SetObject(GridView* view);
    GridView* Object() const { return view_; }
    Present::GridModel* Model() const { return view_ ? view_->GridModel() : nullptr; }

    // A colour of -1 (KeepColor) is left unchanged.
    void Point(Present::GridCol col, Present::GridRow row, Present::Rgb fore, Present::Rgb back);
    void Fill(Present::GridCol col1, Present::GridRow row1, Present::GridCol col2,
              Present::GridRow row2, Present::Rgb fore, Present::Rgb back, bool hide);
    void Font(Present::GridCol col1, Present::GridRow row1, Present::GridCol col2,
              Present::GridRow row2, const QString& name, double size, bool hide);
    Present::Rgb GetForeColor(Present::GridCol col, Present::GridRow row) const;
    Present::Rgb GetBackColor(Present::GridCol col, Present::GridRow row) const;
    void Clear(Present::GridCol col1, Present::GridRow row1, Present::GridCol col2,
               Present::GridRow row2);

    void SetClipH(Present::GridCol col, Present::GridRow row, const QString& text);
    // From col to the last column, tab-separated.
    QString GetClipH(Present::GridCol col, Present::GridRow row) const;
    void SetClipV(Present::GridCol col, Present::GridRow row, const QString& text);
    // count rows from row down (-1: to the last row), joined with CR LF.
    QString GetClipV(Present::GridCol col, Present::GridRow row, int count = -1) const;
    QString GetClip(Present::GridCol col1, Present::GridRow row1, Present::GridCol col2,
                    Present::GridRow row2);

    void SetPicture(Present::GridCol col, Present::GridRow row, const QString& key,
                    Present::CellAlign align);

    void Push();
    void Pop();

    // A corner of -1 is the grid's edge; the first row then is the first below the fixed rows.
    bool Search(const QString& pattern, Present::GridCol col1 = Present::GridCol{-1},
                Present::GridRow row1 = Present::GridRow{-1},
                Present::GridCol col2 = Present::GridCol{-1},
                Present::GridRow row2 = Present::GridRow{-1}, int step = 1, bool quiet = false,
                bool fromCursor = true, bool scroll = false);
    void SwapRow(int row1, int row2);
    // "> " marks ascending, "< " descending.
    void Sort(int col);
    void SortReset();

    int GetCursorX() const;
    int GetCursorY() const;
    int VisibleRows() const;
    int VisibleCols() const;
    int BottomRow() const;

    void Grid_KeyDown(int key, Qt::KeyboardModifiers shift);

    QString SearchWord() const { return searchWord_; }

private:
    bool AskSearchWord();
    void CopySelection();
    void Paste();
    void RemoveSortMark(int col);
    void ShowCursor();

    QPointer<GridView> view_;
    QString searchWord_;
    int savedCol_ = 0, savedRow_ = 0, savedColSel_ = 0, savedRowSel_ = 0;
    int sortCol_ = -1;
    bool sortAscending_ = false;
};
