#include "present/GridModel.h"

#include <algorithm>
#include <numeric>

namespace Present {

GridModel::GridModel(QObject* parent) : QObject(parent) {}

qsizetype GridModel::CellSize() {
    return qsizetype(sizeof(Cell));
}

void GridModel::Resize(int rows, int cols) {
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    if (cols != cols_) {
        std::vector<Cell> cells(size_t(rows) * size_t(cols));
        const int keepRows = std::min(rows, rows_), keepCols = std::min(cols, cols_);
        for (int r = 0; r < keepRows; ++r)
            for (int c = 0; c < keepCols; ++c)
                cells[size_t(r) * size_t(cols) + size_t(c)] = std::move(At(r, c));
        cells_ = std::move(cells);
        columns_.resize(size_t(cols));
        QHash<qint64, GridFont> fonts;
        for (auto it = cellFonts_.cbegin(); it != cellFonts_.cend(); ++it) {
            const int r = int(it.key() / cols_), c = int(it.key() % cols_);
            if (r < rows && c < cols)
                fonts.insert(qint64(r) * cols + c, it.value());
        }
        cellFonts_ = fonts;
    } else {
        cells_.resize(size_t(rows) * size_t(cols));
        for (auto it = cellFonts_.begin(); it != cellFonts_.end();)
            it = it.key() >= qint64(rows) * cols ? cellFonts_.erase(it) : std::next(it);
    }
    heights_.resize(size_t(rows), defaultRowHeight_);
    rows_ = rows;
    cols_ = cols;
    fixedRows_ = std::min(fixedRows_, rows_);
    fixedCols_ = std::min(fixedCols_, cols_);
    ClampCursor();
    StructureChanged();
}

void GridModel::SetRows(int rows) {
    if (rows != rows_)
        Resize(rows, cols_);
}
void GridModel::SetCols(int cols) {
    if (cols != cols_)
        Resize(rows_, cols);
}
void GridModel::SetFixedRows(int n) {
    fixedRows_ = std::clamp(n, 0, rows_);
    StructureChanged();
}
void GridModel::SetFixedCols(int n) {
    fixedCols_ = std::clamp(n, 0, cols_);
    StructureChanged();
}

void GridModel::ClampCursor() {
    const int lastRow = std::max(rows_ - 1, 0), lastCol = std::max(cols_ - 1, 0);
    row_ = std::clamp(row_, 0, lastRow);
    rowSel_ = std::clamp(rowSel_, 0, lastRow);
    col_ = std::clamp(col_, 0, lastCol);
    colSel_ = std::clamp(colSel_, 0, lastCol);
    topRow_ = std::clamp(topRow_, 0, lastRow);
    leftCol_ = std::clamp(leftCol_, 0, lastCol);
}

void GridModel::Clear() {
    for (Cell& cell : cells_)
        cell = Cell();
    cellFonts_.clear();
    StructureChanged();
}

void GridModel::BeginBatch() {
    ++batch_;
}

void GridModel::EndBatch() {
    if (batch_ == 0 || --batch_ > 0)
        return;
    if (pendingReset_) {
        pendingReset_ = false;
        dirtyRow1_ = -1;
        emit ModelReset();
    } else if (dirtyRow1_ >= 0) {
        const int r1 = dirtyRow1_, c1 = dirtyCol1_, r2 = dirtyRow2_, c2 = dirtyCol2_;
        dirtyRow1_ = -1;
        emit CellsChanged(r1, c1, r2, c2);
    }
    if (pendingScroll_) {
        pendingScroll_ = false;
        emit ScrollChanged();
    }
    if (pendingCursor_) {
        pendingCursor_ = false;
        emit CursorChanged();
    }
}

void GridModel::StructureChanged() {
    if (batch_ > 0)
        pendingReset_ = true;
    else
        emit ModelReset();
}

void GridModel::Changed(int row1, int col1, int row2, int col2) {
    if (batch_ == 0) {
        emit CellsChanged(row1, col1, row2, col2);
        return;
    }
    if (pendingReset_)
        return;
    if (dirtyRow1_ < 0) {
        dirtyRow1_ = row1, dirtyCol1_ = col1, dirtyRow2_ = row2, dirtyCol2_ = col2;
    } else {
        dirtyRow1_ = std::min(dirtyRow1_, row1);
        dirtyCol1_ = std::min(dirtyCol1_, col1);
        dirtyRow2_ = std::max(dirtyRow2_, row2);
        dirtyCol2_ = std::max(dirtyCol2_, col2);
    }
}

bool GridModel::Normalise(GridRow& row1, GridCol& col1, GridRow& row2, GridCol& col2) const {
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    row1 = GridRow{std::max<int>(row1, 0)};
    col1 = GridCol{std::max<int>(col1, 0)};
    row2 = GridRow{std::min<int>(row2, rows_ - 1)};
    col2 = GridCol{std::min<int>(col2, cols_ - 1)};
    return row1 <= row2 && col1 <= col2;
}

QString GridModel::Text(GridRow row, GridCol col) const {
    return IsValid(row, col) ? At(row, col).text : QString();
}

void GridModel::SetText(GridRow row, GridCol col, const QString& text) {
    if (!IsValid(row, col))
        return;
    At(row, col).text = text;
    Changed(row, col, row, col);
}

void GridModel::SetRowTexts(GridRow row, GridCol col, const QStringList& parts) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return;
    const int last = std::min<qsizetype>(cols_ - 1, col + parts.size() - 1);
    for (int c = col; c <= last; ++c)
        At(row, c).text = parts[c - col];
    if (last >= col)
        Changed(row, col, row, last);
}

void GridModel::SetClipH(GridRow row, GridCol col, const QString& text) {
    SetRowTexts(row, col, text.split(u'\t'));
}

QString GridModel::GetClipH(GridRow row, GridCol col) const {
    return ClipText(row, col, row, GridCol{cols_ - 1});
}

QString GridModel::ClipText(GridRow row1, GridCol col1, GridRow row2, GridCol col2) const {
    if (!Normalise(row1, col1, row2, col2))
        return QString();
    QString out;
    for (int r = row1; r <= row2; ++r) {
        if (r > row1)
            out += u'\r';
        for (int c = col1; c <= col2; ++c) {
            if (c > col1)
                out += u'\t';
            out += At(r, c).text;
        }
    }
    return out;
}

void GridModel::SetClipText(GridRow row1, GridCol col1, GridRow row2, GridCol col2,
                            const QString& text) {
    if (!Normalise(row1, col1, row2, col2))
        return;
    const QStringList lines = text.split(u'\r');
    for (int i = 0; i < lines.size() && row1 + i <= row2; ++i) {
        const QStringList parts = lines[i].split(u'\t');
        for (int j = 0; j < parts.size() && col1 + j <= col2; ++j)
            At(row1 + i, col1 + j).text = parts[j];
    }
    Changed(row1, col1, row2, col2);
}

void GridModel::ClearTexts(GridRow row1, GridCol col1, GridRow row2, GridCol col2) {
    if (!Normalise(row1, col1, row2, col2))
        return;
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c)
            At(r, c).text.clear();
    Changed(row1, col1, row2, col2);
}

Rgb GridModel::ForeColor(GridRow row, GridCol col) const {
    return IsValid(row, col) ? At(row, col).fore : NoColor;
}
Rgb GridModel::BackColor(GridRow row, GridCol col) const {
    return IsValid(row, col) ? At(row, col).back : NoColor;
}

void GridModel::FillColors(GridRow row1, GridCol col1, GridRow row2, GridCol col2, Rgb fore,
                           Rgb back) {
    if (!Normalise(row1, col1, row2, col2) || (fore == KeepColor && back == KeepColor))
        return;
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c) {
            Cell& cell = At(r, c);
            if (fore != KeepColor)
                cell.fore = fore;
            if (back != KeepColor)
                cell.back = back;
        }
    Changed(row1, col1, row2, col2);
}

quint16 GridModel::PictureIndex(const QString& key) {
    if (key.isEmpty())
        return 0;
    auto it = pictureIndex_.constFind(key);
    if (it != pictureIndex_.cend())
        return it.value();
    if (pictureKeys_.size() >= 0xFFFF)
        return 0;
    const quint16 index = quint16(pictureKeys_.size());
    pictureKeys_.append(key);
    pictureIndex_.insert(key, index);
    return index;
}

QString GridModel::Picture(GridRow row, GridCol col) const {
    return IsValid(row, col) ? pictureKeys_[At(row, col).picture] : QString();
}

CellAlign GridModel::PictureAlign(GridRow row, GridCol col) const {
    return IsValid(row, col) ? At(row, col).pictureAlign : CellAlign::CenterCenter;
}

void GridModel::SetPicture(GridRow row, GridCol col, const QString& key, CellAlign align) {
    if (!IsValid(row, col))
        return;
    Cell& cell = At(row, col);
    cell.picture = PictureIndex(key);
    cell.pictureAlign = align;
    Changed(row, col, row, col);
}

bool GridModel::HasCellFont(GridRow row, GridCol col) const {
    return IsValid(row, col) && cellFonts_.contains(qint64(row) * cols_ + col);
}

GridFont GridModel::CellFont(GridRow row, GridCol col) const {
    if (!IsValid(row, col))
        return font_;
    return cellFonts_.value(qint64(row) * cols_ + col, font_);
}

void GridModel::SetCellFont(GridRow row1, GridCol col1, GridRow row2, GridCol col2,
                            const QString& name, double size) {
    if (!Normalise(row1, col1, row2, col2))
        return;
    for (int r = row1; r <= row2; ++r)
        for (int c = col1; c <= col2; ++c) {
            const qint64 key = qint64(r) * cols_ + c;
            GridFont f = cellFonts_.value(key, font_);
            f.Name = name;
            f.Size = size;
            cellFonts_.insert(key, f);
        }
    Changed(row1, col1, row2, col2);
}

void GridModel::SetFont(const GridFont& font) {
    font_ = font;
    StructureChanged();
}

void GridModel::SetWordWrap(bool on) {
    wordWrap_ = on;
    StructureChanged();
}

int GridModel::RowHeight(int row) const {
    return row >= 0 && row < rows_ ? heights_[size_t(row)] : 0;
}

void GridModel::SetRowHeight(int row, int height) {
    if (row < 0 || row >= rows_)
        return;
    heights_[size_t(row)] = std::max(height, 0);
    StructureChanged();
}

void GridModel::SetAllRowHeights(int height) {
    defaultRowHeight_ = std::max(height, 0);
    std::fill(heights_.begin(), heights_.end(), defaultRowHeight_);
    StructureChanged();
}

int GridModel::ColWidth(int col) const {
    return col >= 0 && col < cols_ ? columns_[size_t(col)].width : -1;
}
void GridModel::SetColWidth(int col, int width) {
    if (col < 0 || col >= cols_)
        return;
    columns_[size_t(col)].width = width;
    StructureChanged();
}
CellAlign GridModel::ColAlignment(int col) const {
    return col >= 0 && col < cols_ ? columns_[size_t(col)].align : CellAlign::General;
}
void GridModel::SetColAlignment(int col, CellAlign align) {
    if (col < 0 || col >= cols_)
        return;
    columns_[size_t(col)].align = align;
    StructureChanged();
}
CellAlign GridModel::FixedAlignment(int col) const {
    return col >= 0 && col < cols_ ? columns_[size_t(col)].fixedAlign : CellAlign::General;
}
void GridModel::SetFixedAlignment(int col, CellAlign align) {
    if (col < 0 || col >= cols_)
        return;
    columns_[size_t(col)].fixedAlign = align;
    StructureChanged();
}
bool GridModel::ColResizable(int col) const {
    return col >= 0 && col < cols_ && columns_[size_t(col)].resizable;
}
void GridModel::SetColResizable(int col, bool on) {
    if (col < 0 || col >= cols_)
        return;
    columns_[size_t(col)].resizable = on;
    StructureChanged();
}

void GridModel::SetCursor(GridRow row, GridCol col) {
    row_ = rowSel_ = row;
    col_ = colSel_ = col;
    ClampCursor();
    if (batch_ > 0)
        pendingCursor_ = true;
    else
        emit CursorChanged();
}

void GridModel::SetSelection(GridRow rowSel, GridCol colSel) {
    rowSel_ = rowSel;
    colSel_ = colSel;
    ClampCursor();
    if (batch_ > 0)
        pendingCursor_ = true;
    else
        emit CursorChanged();
}

void GridModel::SetTopRow(int row) {
    topRow_ = row;
    ClampCursor();
    if (batch_ > 0)
        pendingScroll_ = true;
    else
        emit ScrollChanged();
}

void GridModel::SetLeftCol(int col) {
    leftCol_ = col;
    ClampCursor();
    if (batch_ > 0)
        pendingScroll_ = true;
    else
        emit ScrollChanged();
}

void GridModel::SwapRows(int row1, int row2) {
    if (row1 < 0 || row2 < 0 || row1 >= rows_ || row2 >= rows_ || row1 == row2)
        return;
    for (int c = 0; c < cols_; ++c)
        std::swap(At(row1, c).text, At(row2, c).text);
    Changed(std::min(row1, row2), 0, std::max(row1, row2), cols_ - 1);
}

namespace {

// Numbers before texts, numbers by value, texts by code units.
int CompareGeneric(const QString& a, const QString& b) {
    bool okA = false, okB = false;
    const double x = a.trimmed().toDouble(&okA), y = b.trimmed().toDouble(&okB);
    if (okA && okB)
        return x < y ? -1 : (x > y ? 1 : 0);
    if (okA != okB)
        return okA ? -1 : 1;
    return a.compare(b);
}

} // namespace

void GridModel::Sort(int col, bool ascending) {
    if (col < 0 || col >= cols_ || rows_ - fixedRows_ < 2)
        return;
    std::vector<int> order(size_t(rows_ - fixedRows_));
    std::iota(order.begin(), order.end(), fixedRows_);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int cmp = CompareGeneric(At(a, col).text, At(b, col).text);
        return ascending ? cmp < 0 : cmp > 0;
    });
    std::vector<Cell> cells(cells_.size());
    std::vector<int> heights(heights_);
    for (int r = 0; r < fixedRows_; ++r)
        for (int c = 0; c < cols_; ++c)
            cells[size_t(r) * cols_ + c] = std::move(At(r, c));
    QHash<qint64, GridFont> fonts;
    for (size_t i = 0; i < order.size(); ++i) {
        const int to = fixedRows_ + int(i), from = order[i];
        for (int c = 0; c < cols_; ++c) {
            cells[size_t(to) * cols_ + c] = std::move(At(from, c));
            auto it = cellFonts_.constFind(qint64(from) * cols_ + c);
            if (it != cellFonts_.cend())
                fonts.insert(qint64(to) * cols_ + c, it.value());
        }
        heights[size_t(to)] = heights_[size_t(from)];
    }
    for (auto it = cellFonts_.cbegin(); it != cellFonts_.cend(); ++it)
        if (it.key() < qint64(fixedRows_) * cols_)
            fonts.insert(it.key(), it.value());
    cells_ = std::move(cells);
    heights_ = std::move(heights);
    cellFonts_ = std::move(fonts);
    sortSetting_ = ascending ? 1 : 2;
    StructureChanged();
}

} // namespace Present
