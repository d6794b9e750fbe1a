#pragma once
// Spreadsheet-like handling of one grid: colours and fonts by range, rows from tab-separated
// text, pictures, wildcard search, row swapping, sorting, cursor helpers and the clipboard keys.
// Rows and columns count from 0; argument order is column before row.

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
    void Point(int col, int row, Present::Rgb fore, Present::Rgb back);
    void Fill(int col1, int row1, int col2, int row2, Present::Rgb fore, Present::Rgb back,
              bool hide);
    void Font(int col1, int row1, int col2, int row2, const QString& name, double size, bool hide);
    Present::Rgb GetForeColor(int col, int row) const;
    Present::Rgb GetBackColor(int col, int row) const;
    void Clear(int col1, int row1, int col2, int row2);

    void SetClipH(int col, int row, const QString& text);
    // From col to the last column, tab-separated.
    QString GetClipH(int col, int row) const;
    void SetClipV(int col, int row, const QString& text);
    // count rows from row down (-1: to the last row), joined with CR LF.
    QString GetClipV(int col, int row, int count = -1) const;
    QString GetClip(int col1, int row1, int col2, int row2);

    void SetPicture(int col, int row, const QString& key, Present::CellAlign align);

    void Push();
    void Pop();

    bool Search(const QString& pattern, int col1 = -1, int row1 = -1, int col2 = -1, int row2 = -1,
                int step = 1, bool quiet = false, bool fromCursor = true, bool scroll = false);
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
