#pragma once
// The grid model shown in a table view: row 0 of the model is the header when the model has a
// fixed row, cells are drawn with their own colours and pictures, and nothing is editable.

#include "present/GridModel.h"
#include "present/GridPort.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

class GridTableAdapter : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridTableAdapter(QObject* parent = nullptr);
    void SetGridModel(Present::GridModel* model);
    Present::GridModel* GridModel() const { return model_; }
    // Model rows above this one are shown in the header.
    int HeaderRows() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void Reset();

private:
    QPointer<Present::GridModel> model_;
};

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using ImageProvider = std::function<QPixmap(const QString& key)>;
    explicit GridDelegate(QObject* parent = nullptr);
    void SetImageProvider(ImageProvider provider) { images_ = std::move(provider); }
    QPixmap Image(const QString& key) const { return images_ ? images_(key) : QPixmap(); }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    ImageProvider images_;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    void SetGridModel(Present::GridModel* model);
    Present::GridModel* GridModel() const { return adapter_->GridModel(); }
    void SetImageProvider(GridDelegate::ImageProvider provider);
    void SetImages(const QHash<QString, QPixmap>& images);

    int ViewRow(int modelRow) const { return modelRow - adapter_->HeaderRows(); }
    int ModelRow(int viewRow) const { return viewRow + adapter_->HeaderRows(); }
    QModelIndex IndexOf(int modelRow, int col) const;

    // A line shown across the table while it has no headlines; the headers stay. Set it after
    // the table's accessible description, which it stands in for meanwhile.
    void SetEmptyHint(const QString& text);
    QString EmptyHint() const { return emptyHint_; }
    // No row below the header holds anything: the hint is showing.
    bool ShowsEmptyHint() const;

signals:
    // Every key press, before the view moves the cursor by the navigation keys.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyLayout();
    void ShowCursor();
    void ShowScroll();

    GridTableAdapter* adapter_;
    GridDelegate* delegate_;
    void UpdateEmptyHint();

    bool syncing_ = false;
    QString emptyHint_;
    QString ownDescription_;
    bool emptyShown_ = false;
};

// Font metrics and the system colour for the table builder, from the screen.
class ScreenGridPort : public Present::GridPort {
public:
    int TextHeight(const QString& text, const Present::GridFont& font) const override;
    int TextWidth(const QString& text, const Present::GridFont& font) const override;
    Present::Rgb ButtonShadowColor() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
};

QFont ToQFont(const Present::GridFont& font);
