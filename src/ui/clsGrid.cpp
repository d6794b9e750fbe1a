#include "ui/clsGrid.h"

#include "app/Ports.h"
#include "text/Common.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>

using namespace Present;

namespace {
const QString AscendingMark = QStringLiteral("> ");
const QString DescendingMark = QStringLiteral("< ");
} // namespace

clsGrid::clsGrid(QObject* parent) : QObject(parent) {}

void clsGrid::SetObject(GridView* view) {
    if (view_)
        disconnect(view_, nullptr, this, nullptr);
    view_ = view;
    if (!view_)
        return;
    connect(view_, &GridView::KeyDown, this, &clsGrid::Grid_KeyDown);
    if (GridModel* m = Model())
        for (int c = 0; c < m->Cols(); ++c)
            RemoveSortMark(c);
}

void clsGrid::Point(GridCol col, GridRow row, Rgb fore, Rgb back) {
    if (GridModel* m = Model())
        m->FillColors(GridRow{row}, GridCol{col}, GridRow{row}, GridCol{col}, fore, back);
}

void clsGrid::Fill(GridCol col1, GridRow row1, GridCol col2, GridRow row2, Rgb fore, Rgb back,
                   bool hide) {
    GridModel* m = Model();
    if (!m)
        return;
    // One change notice for the whole range stands for hiding the grid while it is painted.
    Q_UNUSED(hide);
    m->FillColors(GridRow{row1}, GridCol{col1}, GridRow{row2}, GridCol{col2}, fore, back);
}

void clsGrid::Font(GridCol col1, GridRow row1, GridCol col2, GridRow row2, const QString& name,
                   double size, bool hide) {
    Q_UNUSED(hide);
    if (GridModel* m = Model())
        m->SetCellFont(GridRow{row1}, GridCol{col1}, GridRow{row2}, GridCol{col2}, name, size);
}

Rgb clsGrid::GetForeColor(GridCol col, GridRow row) const {
    GridModel* m = Model();
    const Rgb c = m ? m->ForeColor(GridRow{row}, GridCol{col}) : NoColor;
    if (c != NoColor || !view_)
        return c;
    const QColor d = view_->palette().color(QPalette::Text);
    return MakeRgb(d.red(), d.green(), d.blue());
}

Rgb clsGrid::GetBackColor(GridCol col, GridRow row) const {
    GridModel* m = Model();
    const Rgb c = m ? m->BackColor(GridRow{row}, GridCol{col}) : NoColor;
    if (c != NoColor || !view_)
        return c;
    const bool fixed = row < m->FixedRows() || col < m->FixedCols();
    const QColor d = view_->palette().color(fixed ? QPalette::Button : QPalette::Base);
    return MakeRgb(d.red(), d.green(), d.blue());
}

void clsGrid::Clear(GridCol col1, GridRow row1, GridCol col2, GridRow row2) {
    if (GridModel* m = Model())
        m->ClearTexts(GridRow{row1}, GridCol{col1}, GridRow{row2}, GridCol{col2});
}

void clsGrid::SetClipH(GridCol col, GridRow row, const QString& text) {
    if (GridModel* m = Model())
        m->SetClipH(GridRow{row}, GridCol{col}, text);
}

QString clsGrid::GetClipH(GridCol col, GridRow row) const {
    GridModel* m = Model();
    return m ? m->GetClipH(GridRow{row}, GridCol{col}) : QString();
}

void clsGrid::SetClipV(GridCol col, GridRow row, const QString& text) {
    GridModel* m = Model();
    if (!m || col < 0 || col >= m->Cols())
        return;
    const QStringList parts = text.split(QStringLiteral("\r\n"));
    m->BeginBatch();
    for (int i = 0; i < parts.size() && row + i < m->Rows(); ++i)
        m->SetText(GridRow{row + i}, GridCol{col}, parts[i]);
    m->EndBatch();
}

QString clsGrid::GetClipV(GridCol col, GridRow row, int count) const {
    GridModel* m = Model();
    if (!m)
        return QString();
    const int last = count < 0 ? m->Rows() - 1 : std::min(m->Rows() - 1, row + count - 1);
    QStringList parts;
    for (int r = row; r <= last; ++r)
        parts.append(m->Text(GridRow{r}, GridCol{col}));
    return parts.join(QStringLiteral("\r\n"));
}

QString clsGrid::GetClip(GridCol col1, GridRow row1, GridCol col2, GridRow row2) {
    GridModel* m = Model();
    if (!m)
        return QString();
    m->SetCursor(GridRow{row1}, GridCol{col1});
    m->SetSelection(GridRow{row2}, GridCol{col2});
    return m->ClipText(GridRow{m->Row()}, GridCol{m->Col()}, GridRow{m->RowSel()},
                       GridCol{m->ColSel()});
}

void clsGrid::SetPicture(GridCol col, GridRow row, const QString& key, CellAlign align) {
    GridModel* m = Model();
    if (!m)
        return;
    m->SetCursor(GridRow{row}, GridCol{col});
    m->SetPicture(GridRow{row}, GridCol{col}, key, align);
}

void clsGrid::Push() {
    if (GridModel* m = Model()) {
        savedCol_ = m->Col();
        savedRow_ = m->Row();
        savedColSel_ = m->ColSel();
        savedRowSel_ = m->RowSel();
    }
}

void clsGrid::Pop() {
    if (GridModel* m = Model()) {
        m->SetCursor(GridRow{savedRow_}, GridCol{savedCol_});
        m->SetSelection(GridRow{savedRowSel_}, GridCol{savedColSel_});
    }
}

bool clsGrid::Search(const QString& pattern, GridCol col1, GridRow row1, GridCol col2, GridRow row2,
                     int step, bool quiet, bool fromCursor, bool scroll) {
    GridModel* m = Model();
    if (!m || m->Rows() == 0 || m->Cols() == 0)
        return false;
    step = step < 0 ? -1 : 1;
    const int c1 = std::max<int>(col1, 0);
    const int c2 = (col2 < 0 || col2 < c1) ? m->Cols() - 1 : std::min<int>(col2, m->Cols() - 1);
    const int r1 = row1 < 0 ? m->FixedRows() : int(row1);
    const int r2 = row2 < 0 ? m->Rows() - 1 : std::min<int>(row2, m->Rows() - 1);

    int r, c;
    if (fromCursor) {
        r = m->Row();
        c = m->Col() + step;
        if (step > 0 && r < r1)
            r = r1, c = c1;
        else if (step < 0 && r > r2)
            r = r2, c = c2;
    } else {
        r = step > 0 ? r1 : r2;
        c = step > 0 ? c1 : c2;
    }
    auto wrap = [&] {
        if (c > c2)
            c = c1, ++r;
        else if (c < c1)
            c = c2, --r;
    };
    wrap();
    for (; r >= r1 && r <= r2; c += step, wrap()) {
        if (Common::IsLike(m->Text(GridRow{r}, GridCol{c}), pattern)) {
            m->SetCursor(GridRow{r}, GridCol{c});
            if (scroll && (r < m->TopRow() || r > BottomRow()))
                m->SetTopRow(r);
            return true;
        }
    }
    // The cursor was never moved, so it already stands where it stood.
    if (!quiet)
        QApplication::beep();
    return false;
}

void clsGrid::SwapRow(int row1, int row2) {
    if (GridModel* m = Model())
        m->SwapRows(row1, row2);
}

void clsGrid::RemoveSortMark(int col) {
    GridModel* m = Model();
    if (!m || m->FixedRows() == 0)
        return;
    const QString head = m->Text(GridRow{0}, GridCol{col});
    if (head.startsWith(AscendingMark) || head.startsWith(DescendingMark))
        m->SetText(GridRow{0}, GridCol{col}, head.mid(2));
}

void clsGrid::Sort(int col) {
    GridModel* m = Model();
    if (!m || col < 0 || col >= m->Cols())
        return;
    sortAscending_ = col == sortCol_ ? !sortAscending_ : true;
    sortCol_ = col;
    m->BeginBatch();
    m->Sort(col, sortAscending_);
    if (m->FixedRows() > 0) {
        RemoveSortMark(col);
        m->SetText(GridRow{0}, GridCol{col},
                   (sortAscending_ ? AscendingMark : DescendingMark) +
                       m->Text(GridRow{0}, GridCol{col}));
    }
    m->EndBatch();
}

void clsGrid::SortReset() {
    sortCol_ = -1;
    sortAscending_ = false;
    if (GridModel* m = Model())
        m->SetSortSetting(0);
}

int clsGrid::GetCursorX() const {
    GridModel* m = Model();
    if (!m)
        return 0;
    const QModelIndex index = view_->IndexOf(std::max(m->Row(), m->FixedRows()), m->Col());
    return view_->visualRect(index).x() + view_->viewport()->x();
}

int clsGrid::GetCursorY() const {
    GridModel* m = Model();
    if (!m)
        return 0;
    if (m->Row() < m->FixedRows())
        return view_->horizontalHeader()->y();
    const QModelIndex index = view_->IndexOf(m->Row(), m->Col());
    return view_->visualRect(index).y() + view_->viewport()->y();
}

int clsGrid::VisibleRows() const {
    GridModel* m = Model();
    if (!m)
        return 0;
    const int room = view_->viewport()->height();
    int used = 0, count = 0;
    for (int r = std::max(m->TopRow(), m->FixedRows()); r < m->Rows(); ++r) {
        used += m->RowHeight(r);
        if (used > room)
            break;
        if (m->RowHeight(r) > 0)
            ++count;
    }
    return count;
}

int clsGrid::VisibleCols() const {
    GridModel* m = Model();
    if (!m)
        return 0;
    const int room = view_->viewport()->width();
    int used = 0, count = 0;
    for (int c = std::max(m->LeftCol(), 0); c < m->Cols(); ++c) {
        const int w = view_->isColumnHidden(c) ? 0 : view_->columnWidth(c);
        used += w;
        if (used > room)
            break;
        if (w > 0)
            ++count;
    }
    return count;
}

int clsGrid::BottomRow() const {
    GridModel* m = Model();
    if (!m)
        return 0;
    const int room = view_->viewport()->height();
    int used = 0, bottom = std::max(m->TopRow(), m->FixedRows());
    for (int r = bottom; r < m->Rows() && used < room; ++r) {
        if (m->RowHeight(r) > 0)
            bottom = r;
        used += m->RowHeight(r);
    }
    return std::min(bottom, m->Rows() - 1);
}

bool clsGrid::AskSearchWord() {
    const std::optional<QString> word =
        Ports::Prompt().InputBox(QStringLiteral("検索ワード"), QString(), searchWord_);
    if (!word)
        return false;
    searchWord_ = *word;
    return !searchWord_.isEmpty();
}

void clsGrid::CopySelection() {
    GridModel* m = Model();
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m->ClipText(GridRow{m->Row()}, GridCol{m->Col()}, GridRow{m->RowSel()},
                                   GridCol{m->ColSel()}));
}

void clsGrid::Paste() {
    GridModel* m = Model();
    QString text = QApplication::clipboard()->text();
    if (text.endsWith(QStringLiteral("\r\n")))
        text.chop(2);
    else if (text.endsWith(u'\n'))
        text.chop(1);
    // Texts from Linux programs end their lines with LF alone.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(u'\n', u'\r');
    const int tabs = int(text.count(u'\t')), crs = int(text.count(u'\r'));
    int colSel = m->Col() + tabs / (crs + 1);
    if (colSel >= m->Cols())
        colSel = m->Cols() - 1;
    int rowSel = m->Row() + crs;
    if (rowSel >= m->Rows())
        rowSel = m->Rows() - 1;
    m->SetSelection(GridRow{rowSel}, GridCol{colSel});
    m->SetClipText(GridRow{m->Row()}, GridCol{m->Col()}, GridRow{rowSel}, GridCol{colSel}, text);
}

void clsGrid::ShowCursor() {
    GridModel* m = Model();
    if (m->Row() >= m->FixedRows())
        view_->scrollTo(view_->IndexOf(m->Row(), m->Col()));
}

void clsGrid::Grid_KeyDown(int key, Qt::KeyboardModifiers shift) {
    GridModel* m = Model();
    if (!m)
        return;
    shift &= ~Qt::KeypadModifier;
    const bool none = shift == Qt::NoModifier, ctrl = shift == Qt::ControlModifier,
               shifted = shift == Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_F3:
        if (none || shifted) {
            if (searchWord_.isEmpty() && !AskSearchWord())
                return;
            const QString pattern = QStringLiteral("*") + searchWord_ + QStringLiteral("*");
            if (Search(pattern, GridCol{-1}, GridRow{-1}, GridCol{-1}, GridRow{-1},
                       shifted ? -1 : 1, true, true, false))
                ShowCursor();
        }
        return;
    case Qt::Key_F:
        if (ctrl && AskSearchWord() &&
            Search(searchWord_, GridCol{-1}, GridRow{-1}, GridCol{-1}, GridRow{-1}, 1, true, true,
                   false))
            ShowCursor();
        return;
    case Qt::Key_C:
        if (ctrl)
            CopySelection();
        return;
    case Qt::Key_X:
        if (ctrl) {
            CopySelection();
            Push();
            m->BeginBatch();
            // A selection made upwards or leftwards empties nothing.
            for (int r = m->Row(); r <= m->RowSel(); ++r)
                for (int c = m->Col(); c <= m->ColSel(); ++c)
                    m->SetText(GridRow{r}, GridCol{c}, QString());
            m->EndBatch();
            Pop();
        }
        return;
    case Qt::Key_V:
        if (ctrl)
            Paste();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shifted && m->Row() > m->FixedRows()) {
            m->SetCursor(GridRow{m->Row() - 1}, GridCol{m->Col()});
            ShowCursor();
        }
        return;
    case Qt::Key_Backtab:
    case Qt::Key_Tab:
        if ((shifted || key == Qt::Key_Backtab) && !ctrl && m->Col() > m->FixedCols()) {
            m->SetCursor(GridRow{m->Row()}, GridCol{m->Col() - 1});
            ShowCursor();
        }
        return;
    default:
        return;
    }
}
