#pragma once
// The cells of a grid: texts, colours, pictures, row heights, column widths, cursor and
// selection. The view in ui/ draws it; the table builder and the search write it without any
// widget. Colours are plain RGB values (0x00RRGGBB).

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace Present {

using Rgb = quint32;
inline constexpr Rgb NoColor = 0xFF000000u;   // unset: the view's default colour
inline constexpr Rgb KeepColor = 0xFFFFFFFFu; // as an argument (-1): leave the colour unchanged
constexpr Rgb MakeRgb(int r, int g, int b) {
    return (Rgb(r & 255) << 16) | (Rgb(g & 255) << 8) | Rgb(b & 255);
}
constexpr int RgbRed(Rgb c) {
    return int((c >> 16) & 255);
}
constexpr int RgbGreen(Rgb c) {
    return int((c >> 8) & 255);
}
constexpr int RgbBlue(Rgb c) {
    return int(c & 255);
}

// Cell and picture alignments; 4 is the centre.
enum class CellAlign : quint8 {
    LeftTop = 0,
    LeftCenter = 1,
    LeftBottom = 2,
    CenterTop = 3,
    CenterCenter = 4,
    CenterBottom = 5,
    RightTop = 6,
    RightCenter = 7,
    RightBottom = 8,
    General = 9, // text left, numbers right
};

// A row and a column of a grid. Each is its own type, made only by naming it (GridRow{3}), so a
// column given where a row belongs does not compile; inside, each reads as its number. They type
// every call that takes both; a call with a single row or column takes a plain number.
struct GridRow {
    constexpr explicit GridRow(int number) : v(number) {}
    constexpr operator int() const { return v; }
    int v;
};
struct GridCol {
    constexpr explicit GridCol(int number) : v(number) {}
    constexpr operator int() const { return v; }
    int v;
};

struct GridFont {
    QString Name;
    double Size = 9.0;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const GridFont&) const = default;
};

class GridModel : public QObject {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    // Keeps the cells that remain; new rows are empty with the default height.
    void SetRows(int rows);
    void SetCols(int cols);
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    void SetFixedRows(int n);
    void SetFixedCols(int n);
    // Empties every cell (text, colours, pictures, cell fonts); sizes stay.
    void Clear();

    QString Text(GridRow row, GridCol col) const;
    void SetText(GridRow row, GridCol col, const QString& text);
    // The parts from col on; parts beyond the last column are dropped. One change signal.
    void SetRowTexts(GridRow row, GridCol col, const QStringList& parts);
    // Same, splitting text at tabs.
    void SetClipH(GridRow row, GridCol col, const QString& text);
    QString GetClipH(GridRow row, GridCol col) const;
    // Tab between cells, CR between rows.
    QString ClipText(GridRow row1, GridCol col1, GridRow row2, GridCol col2) const;
    // Fills the range row by row from text (tabs and CRs); what does not fit is dropped.
    void SetClipText(GridRow row1, GridCol col1, GridRow row2, GridCol col2, const QString& text);
    void ClearTexts(GridRow row1, GridCol col1, GridRow row2, GridCol col2);

    Rgb ForeColor(GridRow row, GridCol col) const;
    Rgb BackColor(GridRow row, GridCol col) const;
    // KeepColor leaves a colour as it is. One change signal for the range.
    void FillColors(GridRow row1, GridCol col1, GridRow row2, GridCol col2, Rgb fore, Rgb back);
    void SetForeColor(GridRow row, GridCol col, Rgb fore) {
        FillColors(row, col, row, col, fore, KeepColor);
    }
    void SetBackColor(GridRow row, GridCol col, Rgb back) {
        FillColors(row, col, row, col, KeepColor, back);
    }

    // Empty key removes the picture.
    QString Picture(GridRow row, GridCol col) const;
    CellAlign PictureAlign(GridRow row, GridCol col) const;
    void SetPicture(GridRow row, GridCol col, const QString& key,
                    CellAlign align = CellAlign::CenterCenter);

    // Per-cell font name and size; none set means the grid font.
    bool HasCellFont(GridRow row, GridCol col) const;
    GridFont CellFont(GridRow row, GridCol col) const;
    void SetCellFont(GridRow row1, GridCol col1, GridRow row2, GridCol col2, const QString& name,
                     double size);
    GridFont Font() const { return font_; }
    void SetFont(const GridFont& font);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);

    // Pixels; 0 hides the row.
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Also gives every existing row this height.
    void SetAllRowHeights(int height);
    // Pixels; -1 = the view's default.
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    CellAlign ColAlignment(int col) const;
    void SetColAlignment(int col, CellAlign align);
    CellAlign FixedAlignment(int col) const;
    void SetFixedAlignment(int col, CellAlign align);
    // Whether the user may resize the column.
    bool ColResizable(int col) const;
    void SetColResizable(int col, bool on);

    int Row() const { return row_; }
    int Col() const { return col_; }
    int RowSel() const { return rowSel_; }
    int ColSel() const { return colSel_; }
    // Setting the cursor collapses the selection onto it.
    void SetCursor(GridRow row, GridCol col);
    void SetSelection(GridRow rowSel, GridCol colSel);
    int TopRow() const { return topRow_; }
    int LeftCol() const { return leftCol_; }
    void SetTopRow(int row);
    void SetLeftCol(int col);

    // Sorts the non-fixed rows (with all their cells and heights) by a column's text; numbers
    // compare as numbers. Stable.
    void Sort(int col, bool ascending);
    int SortSetting() const { return sortSetting_; }
    void SetSortSetting(int setting) { sortSetting_ = setting; }
    void SwapRows(int row1, int row2);

    // Changes between Begin and End are announced once, at the end.
    void BeginBatch();
    void EndBatch();

    bool IsValid(GridRow row, GridCol col) const {
        return row >= 0 && row < rows_ && col >= 0 && col < cols_;
    }
    static qsizetype CellSize();

signals:
    // Everything may have changed (sizes, heights, widths, fonts, many cells).
    void ModelReset();
    void CellsChanged(int row1, int col1, int row2, int col2);
    void CursorChanged();
    void ScrollChanged();

private:
    struct Cell {
        QString text;
        Rgb fore = NoColor;
        Rgb back = NoColor;
        quint16 picture = 0; // index into pictureKeys_, 0 = none
        CellAlign pictureAlign = CellAlign::CenterCenter;
    };
    struct Column {
        int width = -1;
        CellAlign align = CellAlign::General;
        CellAlign fixedAlign = CellAlign::General;
        bool resizable = false;
    };

    Cell& At(int row, int col) { return cells_[size_t(row) * size_t(cols_) + size_t(col)]; }
    const Cell& At(int row, int col) const {
        return cells_[size_t(row) * size_t(cols_) + size_t(col)];
    }
    quint16 PictureIndex(const QString& key);
    bool Normalise(GridRow& row1, GridCol& col1, GridRow& row2, GridCol& col2) const;
    void Changed(int row1, int col1, int row2, int col2);
    void StructureChanged();
    void Resize(int rows, int cols);
    void ClampCursor();

    std::vector<Cell> cells_;
    std::vector<int> heights_;
    std::vector<Column> columns_;
    QHash<qint64, GridFont> cellFonts_;
    QStringList pictureKeys_{QString()};
    QHash<QString, quint16> pictureIndex_;
    GridFont font_;
    int rows_ = 0, cols_ = 0, fixedRows_ = 0, fixedCols_ = 0;
    int defaultRowHeight_ = 16;
    int row_ = 0, col_ = 0, rowSel_ = 0, colSel_ = 0, topRow_ = 0, leftCol_ = 0;
    int sortSetting_ = 0;
    bool wordWrap_ = false;

    int batch_ = 0;
    bool pendingReset_ = false, pendingCursor_ = false, pendingScroll_ = false;
    int dirtyRow1_ = -1, dirtyCol1_ = 0, dirtyRow2_ = -1, dirtyCol2_ = 0;
};

} // namespace Present
