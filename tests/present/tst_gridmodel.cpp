#include "present/GridModel.h"

#include <QSignalSpy>
#include <QTest>

using namespace Present;

class TestGridModel : public QObject {
    Q_OBJECT

    static void Fill(GridModel& grid, int rows, int cols) {
        grid.SetCols(cols);
        grid.SetRows(rows);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                grid.SetText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
    }

private slots:
    void clipText() {
        GridModel grid;
        Fill(grid, 3, 3);
        QCOMPARE(grid.ClipText(2, 2, 1, 1), QStringLiteral("1.1\t1.2\r2.1\t2.2"));
        grid.SetClipText(1, 1, 2, 2, QStringLiteral("a\tb\tc\rd\re\tf"));
        QCOMPARE(grid.ClipText(0, 0, 2, 2),
                 QStringLiteral("0.0\t0.1\t0.2\r1.0\ta\tb\r2.0\td\t2.2"));
        // One row: parts beyond the last column are dropped, empty parts clear.
        grid.SetClipH(0, 1, QStringLiteral("x\ty\tz"));
        QCOMPARE(grid.GetClipH(0, 0), QStringLiteral("0.0\tx\ty"));
        grid.SetClipH(0, 0, QStringLiteral("\t"));
        QCOMPARE(grid.GetClipH(0, 0), QStringLiteral("\t\ty"));
    }

    void resizeKeepsCells() {
        GridModel grid;
        Fill(grid, 3, 3);
        grid.SetBackColor(1, 1, MakeRgb(1, 2, 3));
        grid.SetPicture(2, 1, QStringLiteral("VIP"));
        grid.SetCols(4);
        grid.SetRows(2);
        QCOMPARE(grid.Text(1, 2), QStringLiteral("1.2"));
        QCOMPARE(grid.Text(1, 3), QString());
        QCOMPARE(grid.BackColor(1, 1), MakeRgb(1, 2, 3));
        grid.SetRows(3);
        QCOMPARE(grid.Picture(2, 1), QString());
        QCOMPARE(grid.Text(2, 0), QString());
    }

    void sortMovesWholeRows() {
        GridModel grid;
        grid.SetCols(2);
        grid.SetRows(5);
        grid.SetFixedRows(1);
        const QStringList keys{"head", "10", "b", "9", "a"};
        for (int r = 0; r < 5; ++r) {
            grid.SetText(r, 0, keys[r]);
            grid.SetText(r, 1, QString::number(r));
        }
        grid.SetRowHeight(2, 0);
        grid.Sort(0, true);
        QCOMPARE(grid.ClipText(0, 0, 4, 1), QStringLiteral("head\t0\r9\t3\r10\t1\ra\t4\rb\t2"));
        QCOMPARE(grid.RowHeight(4), 0);
        grid.Sort(0, false);
        QCOMPARE(grid.ClipText(1, 0, 4, 0), QStringLiteral("b\ra\r10\r9"));
    }

    void batchSendsOneSignal() {
        GridModel grid;
        Fill(grid, 10, 3);
        QSignalSpy resets(&grid, &GridModel::ModelReset);
        QSignalSpy cells(&grid, &GridModel::CellsChanged);
        grid.BeginBatch();
        grid.SetBackColor(2, 1, MakeRgb(1, 1, 1));
        grid.SetText(7, 0, QStringLiteral("x"));
        grid.EndBatch();
        QCOMPARE(resets.size(), 0);
        QCOMPARE(cells.size(), 1);
        QCOMPARE(cells[0], (QList<QVariant>{2, 0, 7, 1}));
        grid.BeginBatch();
        grid.SetText(1, 1, QStringLiteral("y"));
        grid.SetRowHeight(3, 0);
        grid.EndBatch();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(cells.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestGridModel)
#include "tst_gridmodel.moc"
