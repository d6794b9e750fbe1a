#include "ui/GridView.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

using namespace Present;

namespace {

QColor ToColor(Rgb rgb) {
    return QColor(RgbRed(rgb), RgbGreen(rgb), RgbBlue(rgb));
}

Qt::Alignment ToAlignment(CellAlign align, bool number) {
    switch (align) {
    case CellAlign::LeftTop:
        return Qt::AlignLeft | Qt::AlignTop;
    case CellAlign::LeftCenter:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case CellAlign::LeftBottom:
        return Qt::AlignLeft | Qt::AlignBottom;
    case CellAlign::CenterTop:
        return Qt::AlignHCenter | Qt::AlignTop;
    case CellAlign::CenterCenter:
        return Qt::AlignCenter;
    case CellAlign::CenterBottom:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case CellAlign::RightTop:
        return Qt::AlignRight | Qt::AlignTop;
    case CellAlign::RightCenter:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlign::RightBottom:
        return Qt::AlignRight | Qt::AlignBottom;
    case CellAlign::General:
        break;
    }
    return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

bool LooksNumeric(const QString& text) {
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

} // namespace

QFont ToQFont(const GridFont& font) {
    QFont f = QApplication::font();
    if (!font.Name.isEmpty())
        f.setFamily(font.Name);
    if (font.Size > 0)
        f.setPointSizeF(font.Size);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    return f;
}

// ---- adapter ----

GridTableAdapter::GridTableAdapter(QObject* parent) : QAbstractTableModel(parent) {}

void GridTableAdapter::SetGridModel(Present::GridModel* model) {
    beginResetModel();
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    if (model_) {
        connect(model_, &Present::GridModel::ModelReset, this, [this] {
            beginResetModel();
            endResetModel();
            emit Reset();
        });
        connect(model_, &Present::GridModel::CellsChanged, this,
                [this](int row1, int col1, int row2, int col2) {
                    const int h = HeaderRows();
                    if (row1 < h)
                        emit headerDataChanged(Qt::Horizontal, col1, col2);
                    row1 = std::max(row1, h);
                    if (row1 <= row2)
                        emit dataChanged(index(row1 - h, col1), index(row2 - h, col2));
                });
    }
    endResetModel();
    emit Reset();
}

int GridTableAdapter::HeaderRows() const {
    return model_ && model_->FixedRows() > 0 ? 1 : 0;
}

int GridTableAdapter::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !model_ ? 0 : std::max(model_->Rows() - HeaderRows(), 0);
}

int GridTableAdapter::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !model_ ? 0 : model_->Cols();
}

QVariant GridTableAdapter::data(const QModelIndex& index, int role) const {
    if (!model_ || !index.isValid())
        return QVariant();
    const int row = index.row() + HeaderRows(), col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return model_->Text(GridRow{row}, GridCol{col});
    case Qt::TextAlignmentRole: {
        const QString text = model_->Text(GridRow{row}, GridCol{col});
        return int(ToAlignment(model_->ColAlignment(col), LooksNumeric(text)));
    }
    default:
        return QVariant();
    }
}

QVariant GridTableAdapter::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!model_ || orientation != Qt::Horizontal || HeaderRows() == 0)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return model_->Text(GridRow{0}, GridCol{section});
    case Qt::TextAlignmentRole:
        return int(ToAlignment(model_->FixedAlignment(section), false));
    case Qt::FontRole:
        return ToQFont(model_->Font());
    default:
        return QVariant();
    }
}

Qt::ItemFlags GridTableAdapter::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---- delegate ----

GridDelegate::GridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    auto* view = qobject_cast<const GridView*>(option.widget);
    Present::GridModel* model = view ? view->GridModel() : nullptr;
    if (!model) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const int row = view->ModelRow(index.row()), col = index.column();
    const bool fixed = row < model->FixedRows() || col < model->FixedCols();
    const bool current = option.state & QStyle::State_HasFocus;
    const bool selected = (option.state & QStyle::State_Selected) && !current;
    const QPalette& pal = option.palette;

    const Rgb back = model->BackColor(GridRow{row}, GridCol{col}),
              fore = model->ForeColor(GridRow{row}, GridCol{col});
    QColor background =
        back != NoColor ? ToColor(back) : pal.color(fixed ? QPalette::Button : QPalette::Base);
    QColor foreground =
        fore != NoColor ? ToColor(fore) : pal.color(fixed ? QPalette::ButtonText : QPalette::Text);
    if (selected && !fixed) {
        background = pal.color(QPalette::Highlight);
        foreground = pal.color(QPalette::HighlightedText);
    }
    painter->save();
    painter->fillRect(option.rect, background);
    if (fixed) {
        painter->setPen(pal.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    }

    const QRect inner = option.rect.adjusted(2, 0, -2, 0);
    const QString key = model->Picture(GridRow{row}, GridCol{col});
    if (!key.isEmpty()) {
        QPixmap pixmap = Image(key);
        if (!pixmap.isNull()) {
            QSize size = pixmap.deviceIndependentSize().toSize();
            if (size.height() > option.rect.height() || size.width() > option.rect.width())
                size.scale(option.rect.size(), Qt::KeepAspectRatio);
            const QRect target = QStyle::alignedRect(
                Qt::LeftToRight,
                ToAlignment(model->PictureAlign(GridRow{row}, GridCol{col}), false), size,
                option.rect);
            painter->drawPixmap(target, pixmap);
        }
    }

    const QString text = model->Text(GridRow{row}, GridCol{col});
    if (!text.isEmpty()) {
        painter->setFont(model->HasCellFont(GridRow{row}, GridCol{col})
                             ? ToQFont(model->CellFont(GridRow{row}, GridCol{col}))
                             : ToQFont(model->Font()));
        painter->setPen(foreground);
        int flags = int(ToAlignment(model->ColAlignment(col), LooksNumeric(text)));
        if (model->WordWrap())
            flags |= Qt::TextWordWrap;
        painter->drawText(inner, flags, text);
    }
    if (current) {
        QPen pen(pal.color(QPalette::Text));
        pen.setStyle(Qt::DotLine);
        painter->setPen(pen);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

// ---- view ----

GridView::GridView(QWidget* parent)
    : QTableView(parent), adapter_(new GridTableAdapter(this)), delegate_(new GridDelegate(this)) {
    setModel(adapter_);
    setItemDelegate(delegate_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    connect(adapter_, &GridTableAdapter::Reset, this, [this] {
        ApplyLayout();
        ShowScroll();
        ShowCursor();
        UpdateEmptyHint();
    });
    connect(adapter_, &QAbstractItemModel::dataChanged, this, &GridView::UpdateEmptyHint);
}

void GridView::SetEmptyHint(const QString& text) {
    emptyHint_ = text;
    emptyShown_ = !ShowsEmptyHint();
    UpdateEmptyHint();
}

bool GridView::ShowsEmptyHint() const {
    const Present::GridModel* model = GridModel();
    if (emptyHint_.isEmpty() || !model)
        return false;
    // The first row with anything in it ends the look; a filled table ends it at once.
    for (int r = adapter_->HeaderRows(); r < model->Rows(); ++r) {
        for (int c = 0; c < model->Cols(); ++c) {
            if (!model->Text(Present::GridRow{r}, Present::GridCol{c}).isEmpty())
                return false;
        }
    }
    return true;
}

void GridView::UpdateEmptyHint() {
    const bool empty = ShowsEmptyHint();
    if (empty == emptyShown_)
        return;
    emptyShown_ = empty;
    // Said to a screen reader as well as drawn, in place of the table's own description.
    if (empty) {
        ownDescription_ = accessibleDescription();
        setAccessibleDescription(emptyHint_);
    } else {
        setAccessibleDescription(ownDescription_);
    }
    viewport()->update();
}

void GridView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (!emptyShown_)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int line = fontMetrics().height();
    // Below the blank first row, where a headline would be.
    const QRect band(0, rowHeight(0) + line / 2, viewport()->width(), line * 2);
    painter.drawText(band, Qt::AlignHCenter | Qt::AlignVCenter, emptyHint_);
}

void GridView::SetGridModel(Present::GridModel* model) {
    if (Present::GridModel* old = adapter_->GridModel())
        disconnect(old, nullptr, this, nullptr);
    adapter_->SetGridModel(model);
    if (model) {
        connect(model, &Present::GridModel::CursorChanged, this, &GridView::ShowCursor);
        connect(model, &Present::GridModel::ScrollChanged, this, &GridView::ShowScroll);
    }
}

void GridView::SetImageProvider(GridDelegate::ImageProvider provider) {
    delegate_->SetImageProvider(std::move(provider));
    viewport()->update();
}

void GridView::SetImages(const QHash<QString, QPixmap>& images) {
    SetImageProvider([images](const QString& key) { return images.value(key); });
}

QModelIndex GridView::IndexOf(int modelRow, int col) const {
    return adapter_->index(ViewRow(modelRow), col);
}

void GridView::ApplyLayout() {
    Present::GridModel* model = GridModel();
    if (!model)
        return;
    const QFont font = ToQFont(model->Font());
    setFont(font);
    horizontalHeader()->setVisible(adapter_->HeaderRows() > 0);
    QHeaderView* rows = verticalHeader();
    const int height = model->DefaultRowHeight();
    rows->setDefaultSectionSize(std::max(height, 1));
    // One pass over the rows with the header quiet, so that the view does not re-lay itself out
    // per row. The header keeps a section's hidden state and size across resets, so a row that
    // an earlier pass hid or resized is put back as well.
    rows->blockSignals(true);
    for (int r = adapter_->HeaderRows(); r < model->Rows(); ++r) {
        const int h = model->RowHeight(r);
        const int v = ViewRow(r);
        if (h == 0) {
            if (!rows->isSectionHidden(v))
                rows->hideSection(v);
            continue;
        }
        if (rows->isSectionHidden(v))
            rows->showSection(v);
        if (rows->sectionSize(v) != h)
            rows->resizeSection(v, h);
    }
    rows->blockSignals(false);
    QHeaderView* cols = horizontalHeader();
    for (int c = 0; c < model->Cols(); ++c) {
        const int w = model->ColWidth(c);
        cols->resizeSection(c, w >= 0 ? w : cols->defaultSectionSize());
        cols->setSectionResizeMode(c, model->ColResizable(c) ? QHeaderView::Interactive
                                                             : QHeaderView::Fixed);
    }
    updateGeometries();
    viewport()->update();
}

void GridView::ShowCursor() {
    Present::GridModel* model = GridModel();
    if (!model || syncing_)
        return;
    syncing_ = true;
    const QModelIndex current = IndexOf(model->Row(), model->Col());
    QItemSelectionModel* sel = selectionModel();
    sel->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    const int top = std::min(model->Row(), model->RowSel()),
              bottom = std::max(model->Row(), model->RowSel());
    const int left = std::min(model->Col(), model->ColSel()),
              right = std::max(model->Col(), model->ColSel());
    const QModelIndex a = IndexOf(std::max(top, adapter_->HeaderRows()), left);
    const QModelIndex b = IndexOf(bottom, right);
    if (a.isValid() && b.isValid())
        sel->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
    else
        sel->clearSelection();
    syncing_ = false;
}

void GridView::ShowScroll() {
    Present::GridModel* model = GridModel();
    if (!model || syncing_)
        return;
    syncing_ = true;
    if (model->TopRow() < adapter_->HeaderRows())
        verticalScrollBar()->setValue(0);
    else
        scrollTo(IndexOf(model->TopRow(), std::max(model->LeftCol(), 0)),
                 QAbstractItemView::PositionAtTop);
    horizontalScrollBar()->setValue(model->LeftCol());
    syncing_ = false;
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    Present::GridModel* model = GridModel();
    if (!model || syncing_)
        return;
    syncing_ = true;
    const int top = rowAt(0), left = columnAt(0);
    if (top >= 0)
        model->SetTopRow(ModelRow(top));
    if (left >= 0)
        model->SetLeftCol(left);
    syncing_ = false;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    Present::GridModel* model = GridModel();
    if (!model || syncing_ || !current.isValid())
        return;
    syncing_ = true;
    model->SetCursor(GridRow{ModelRow(current.row())}, GridCol{current.column()});
    syncing_ = false;
    selectionChanged(QItemSelection(), QItemSelection());
}

void GridView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    Present::GridModel* model = GridModel();
    if (!model || syncing_)
        return;
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    const QModelIndex current = currentIndex();
    if (indexes.isEmpty() || !current.isValid())
        return;
    int top = current.row(), bottom = top, left = current.column(), right = left;
    for (const QModelIndex& i : indexes) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    // The selection end is the corner opposite the cursor.
    syncing_ = true;
    model->SetSelection(GridRow{ModelRow(current.row() == top ? bottom : top)},
                        GridCol{current.column() == left ? right : left});
    syncing_ = false;
}

bool GridView::event(QEvent* event) {
    // Shift+Tab belongs to the grid's keys (one column left). Tab alone does nothing in the grid,
    // so it moves the focus on: the keyboard must never be caught in the grid.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tabAlone =
            key->key() == Qt::Key_Tab && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (!tabAlone && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTableView::event(event);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), event->modifiers() & ~Qt::KeypadModifier);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        QTableView::keyPressEvent(event);
        return;
    default:
        event->accept(); // nothing in the grid is editable
    }
}

// ---- screen port ----

int ScreenGridPort::TextHeight(const QString& text, const GridFont& font) const {
    const QFontMetrics metrics(ToQFont(font));
    return std::max(metrics.height(), metrics.boundingRect(text).height());
}

int ScreenGridPort::TextWidth(const QString& text, const GridFont& font) const {
    return QFontMetrics(ToQFont(font)).horizontalAdvance(text);
}

Rgb ScreenGridPort::ButtonShadowColor() const {
    const QColor c = QApplication::palette().color(QPalette::Dark);
    return MakeRgb(c.red(), c.green(), c.blue());
}

double ScreenGridPort::TwipsPerPixelX() const {
    const QScreen* screen = QApplication::primaryScreen();
    return 1440.0 / (screen ? screen->logicalDotsPerInchX() : 96.0);
}

double ScreenGridPort::TwipsPerPixelY() const {
    const QScreen* screen = QApplication::primaryScreen();
    return 1440.0 / (screen ? screen->logicalDotsPerInchY() : 96.0);
}
