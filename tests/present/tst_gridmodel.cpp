#include "present/GridModel.h"

#include <QSignalSpy>
#include <QTest>
#include <type_traits>

using namespace Present;

// A bare number, or a column where a row belongs, does not compile.
static_assert(!std::is_convertible_v<int, GridRow> && !std::is_convertible_v<int, GridCol>);
static_assert(!std::is_convertible_v<GridCol, GridRow> && !std::is_convertible_v<GridRow, GridCol>);
static_assert(std::is_invocable_v<decltype(&GridModel::SetText), GridModel&, GridRow, GridCol,
                                  const QString&>);
static_assert(!std::is_invocable_v<decltype(&GridModel::SetText), GridModel&, GridCol, GridRow,
                                   const QString&>);
static_assert(
    !std::is_invocable_v<decltype(&GridModel::SetText), GridModel&, int, int, const QString&>);

class TestGridModel : public QObject {
    Q_OBJECT

    static void Fill(GridModel& grid, int rows, int cols) {
        grid.SetCols(cols);
        grid.SetRows(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid.SetText(GridRow{r}, GridCol{c}, QStringLiteral("%1.%2").arg(r).arg(c));
    }

private slots:
    void clipText() {
        GridModel grid;
        Fill(grid, 3, 3);
        QCOMPARE(grid.ClipText(GridRow{2}, GridCol{2}, GridRow{1}, GridCol{1}),
                 QStringLiteral("1.1\t1.2\r2.1\t2.2"));
        grid.SetClipText(GridRow{1}, GridCol{1}, GridRow{2}, GridCol{2},
                         QStringLiteral("a\tb\tc\rd\re\tf"));
        QCOMPARE(grid.ClipText(GridRow{0}, GridCol{0}, GridRow{2}, GridCol{2}),
                 QStringLiteral("0.0\t0.1\t0.2\r1.0\ta\tb\r2.0\td\t2.2"));
        // One row: parts beyond the last column are dropped, empty parts clear.
        grid.SetClipH(GridRow{0}, GridCol{1}, QStringLiteral("x\ty\tz"));
        QCOMPARE(grid.GetClipH(GridRow{0}, GridCol{0}), QStringLiteral("0.0\tx\ty"));
        grid.SetClipH(GridRow{0}, GridCol{0}, QStringLiteral("\t"));
        QCOMPARE(grid.GetClipH(GridRow{0}, GridCol{0}), QStringLiteral("\t\ty"));
    }

    void resizeKeepsCells() {
        GridModel grid;
        Fill(grid, 3, 3);
        grid.SetBackColor(GridRow{1}, GridCol{1}, MakeRgb(1, 2, 3));
        grid.SetPicture(GridRow{2}, GridCol{1}, QStringLiteral("VIP"));
        grid.SetCols(4);
        grid.SetRows(2);
        QCOMPARE(grid.Text(GridRow{1}, GridCol{2}), QStringLiteral("1.2"));
        QCOMPARE(grid.Text(GridRow{1}, GridCol{3}), QString());
        QCOMPARE(grid.BackColor(GridRow{1}, GridCol{1}), MakeRgb(1, 2, 3));
        grid.SetRows(3);
        QCOMPARE(grid.Picture(GridRow{2}, GridCol{1}), QString());
        QCOMPARE(grid.Text(GridRow{2}, GridCol{0}), QString());
    }

    void sortMovesWholeRows() {
        GridModel grid;
        grid.SetCols(2);
        grid.SetRows(5);
        grid.SetFixedRows(1);
        const QStringList keys{"head", "10", "b", "9", "a"};
        for (int r = 0; r < 5; ++r) {
            grid.SetText(GridRow{r}, GridCol{0}, keys[r]);
            grid.SetText(GridRow{r}, GridCol{1}, QString::number(r));
        }
        grid.SetRowHeight(2, 0);
        grid.Sort(0, true);
        QCOMPARE(grid.ClipText(GridRow{0}, GridCol{0}, GridRow{4}, GridCol{1}),
                 QStringLiteral("head\t0\r9\t3\r10\t1\ra\t4\rb\t2"));
        QCOMPARE(grid.RowHeight(4), 0);
        grid.Sort(0, false);
        QCOMPARE(grid.ClipText(GridRow{1}, GridCol{0}, GridRow{4}, GridCol{0}),
                 QStringLiteral("b\ra\r10\r9"));
    }

    void batchSendsOneSignal() {
        GridModel grid;
        Fill(grid, 10, 3);
        QSignalSpy resets(&grid, &GridModel::ModelReset);
        QSignalSpy cells(&grid, &GridModel::CellsChanged);
        grid.BeginBatch();
        grid.SetBackColor(GridRow{2}, GridCol{1}, MakeRgb(1, 1, 1));
        grid.SetText(GridRow{7}, GridCol{0}, QStringLiteral("x"));
        grid.EndBatch();
        QCOMPARE(resets.size(), 0);
        QCOMPARE(cells.size(), 1);
        QCOMPARE(cells[0], (QList<QVariant>{2, 0, 7, 1}));
        grid.BeginBatch();
        grid.SetText(GridRow{1}, GridCol{1}, QStringLiteral("y"));
        grid.SetRowHeight(3, 0);
        grid.EndBatch();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(cells.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
