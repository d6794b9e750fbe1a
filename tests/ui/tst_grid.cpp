#include "RecordingPorts.h"
#include "app/Ports.h"
#include "ui/GridView.h"
#include "ui/clsGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTest>
#include <type_traits>

using namespace Present;

// Column before row here, each of its own type: the model's order does not compile.
static_assert(std::is_invocable_v<decltype(&clsGrid::GetClipH), clsGrid&, GridCol, GridRow>);
static_assert(!std::is_invocable_v<decltype(&clsGrid::GetClipH), clsGrid&, GridRow, GridCol>);

class TestGrid : public QObject {
    Q_OBJECT
    GridModel* model = nullptr;
    GridView* view = nullptr;
    clsGrid* grid = nullptr;
    RecordingPrompt prompt;

    // Rows 0 (header) to 5, columns 0 to 9, cell text "r.c".
    void Build() {
        model->SetCols(10);
        model->SetRows(6);
        model->SetFixedRows(1);
        model->SetFixedCols(0);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 10; ++c)
                model->SetText(GridRow{r}, GridCol{c}, QStringLiteral("%1.%2").arg(r).arg(c));
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(view, Qt::Key(key), mods);
    }
    // The cursor as "row.col", the way the cells are named.
    QString At() const { return QStringLiteral("%1.%2").arg(model->Row()).arg(model->Col()); }

private slots:
    void init() {
        model = new GridModel;
        view = new GridView;
        view->SetGridModel(model);
        view->resize(600, 300);
        grid = new clsGrid;
        grid->SetObject(view);
        Build();
        prompt = RecordingPrompt();
        Ports::SetPrompt(&prompt);
    }
    void cleanup() {
        Ports::SetPrompt(nullptr);
        delete grid;
        delete view;
        delete model;
    }

    void paste_data() {
        QTest::addColumn<QString>("clip");
        QTest::newRow("plain") << "a\tb\tc\rd\te\tf";
        QTest::newRow("trailing CR LF") << "a\tb\tc\r\nd\te\tf\r\n";
        QTest::newRow("LF lines") << "a\tb\tc\nd\te\tf\n";
    }
    void paste() {
        QFETCH(QString, clip);
        model->SetCursor(GridRow{2}, GridCol{8});
        QApplication::clipboard()->setText(clip);
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(model->ClipText(GridRow{2}, GridCol{7}, GridRow{3}, GridCol{9}),
                 QStringLiteral("2.7\ta\tb\r3.7\td\te"));
        QCOMPARE(model->Text(GridRow{4}, GridCol{8}), QStringLiteral("4.8"));
        QCOMPARE(model->RowSel(), 3);
        QCOMPARE(model->ColSel(), 9);
    }

    void pasteAtBottomDropsRows() {
        model->SetCursor(GridRow{5}, GridCol{0});
        QApplication::clipboard()->setText(QStringLiteral("x\ry\rz"));
        Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(model->Text(GridRow{5}, GridCol{0}), QStringLiteral("x"));
        QCOMPARE(model->Text(GridRow{4}, GridCol{0}), QStringLiteral("4.0"));
        QCOMPARE(model->RowSel(), 5);
    }

    // Copy and cut put the block on the clipboard; cut empties it only when it runs down and
    // to the right from the cursor.
    void copyAndCut_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("rowSel");
        QTest::addColumn<int>("colSel");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("copy") << int(Qt::Key_C) << 1 << 1 << false;
        QTest::newRow("cut downwards") << int(Qt::Key_X) << 4 << 3 << true;
        QTest::newRow("cut upwards") << int(Qt::Key_X) << 1 << 3 << false;
        QTest::newRow("cut leftwards") << int(Qt::Key_X) << 4 << 1 << false;
    }
    void copyAndCut() {
        QFETCH(int, key);
        QFETCH(int, rowSel);
        QFETCH(int, colSel);
        QFETCH(bool, emptied);
        model->SetCursor(GridRow{3}, GridCol{2});
        model->SetSelection(GridRow{rowSel}, GridCol{colSel});
        const QString before =
            model->ClipText(GridRow{3}, GridCol{2}, GridRow{rowSel}, GridCol{colSel});
        Key(key, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), before);
        QCOMPARE(model->Text(GridRow{3}, GridCol{2}).isEmpty(), emptied);
        QCOMPARE(model->Text(GridRow{rowSel}, GridCol{colSel}).isEmpty(), emptied);
        QCOMPARE(std::tuple(model->Row(), model->Col(), model->RowSel(), model->ColSel()),
                 std::tuple(3, 2, rowSel, colSel));
    }

    void moves_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("to");
        const int shift = int(Qt::ShiftModifier);
        QTest::newRow("shift+enter up") << int(Qt::Key_Return) << shift << 3 << 4 << "2.4";
        QTest::newRow("shift+enter first row") << int(Qt::Key_Return) << shift << 1 << 4 << "1.4";
        QTest::newRow("shift+tab left") << int(Qt::Key_Backtab) << shift << 3 << 4 << "3.3";
        QTest::newRow("enter alone") << int(Qt::Key_Return) << 0 << 3 << 4 << "3.4";
    }
    void moves() {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, row);
        QFETCH(int, col);
        model->SetCursor(GridRow{row}, GridCol{col});
        Key(key, Qt::KeyboardModifiers(mods));
        QTEST(At(), "to");
    }

    void findKeys() {
        model->SetText(GridRow{4}, GridCol{6}, QStringLiteral("日銀会合"));
        model->SetText(GridRow{2}, GridCol{1}, QStringLiteral("日銀"));
        model->SetCursor(GridRow{1}, GridCol{0});
        prompt.inputAnswer = QStringLiteral("日銀");
        Key(Qt::Key_F3);
        QCOMPARE(prompt.inputPrompts, QStringList{QStringLiteral("検索ワード")});
        QCOMPARE(At(), "2.1");
        Key(Qt::Key_F3);
        QCOMPARE(prompt.inputPrompts.size(), 1); // the word is kept
        QCOMPARE(At(), "4.6");
        Key(Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(At(), "2.1");
        // Ctrl+F always asks and takes the word as the whole pattern: "日銀会合" is passed over.
        Key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(prompt.inputPrompts.size(), 2);
        QCOMPARE(At(), "2.1");
    }

    // From the cursor at 3.5 unless said otherwise.
    void search_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("fromCursor");
        QTest::addColumn<QString>("at"); // where the cursor ends; it stays when nothing is found
        QTest::newRow("next in row") << "3.*" << 1 << true << "3.6";
        QTest::newRow("wraps to next row") << "4.[0-2]" << 1 << true << "4.0";
        QTest::newRow("backward wraps") << "2.9" << -1 << true << "2.9";
        QTest::newRow("from range start") << "#.#" << 1 << false << "1.0";
        QTest::newRow("header is not searched") << "0.1" << -1 << true << "3.5";
        QTest::newRow("nothing") << "x" << 1 << true << "3.5";
    }
    void search() {
        QFETCH(QString, pattern);
        QFETCH(int, step);
        QFETCH(bool, fromCursor);
        QFETCH(QString, at);
        model->SetCursor(GridRow{3}, GridCol{5});
        const bool found = grid->Search(pattern, GridCol{-1}, GridRow{-1}, GridCol{-1}, GridRow{-1},
                                        step, true, fromCursor, false);
        QCOMPARE(found, at != "3.5");
        QCOMPARE(At(), at);
    }

    void sortMarksHeader() {
        grid->Sort(2);
        QCOMPARE(model->Text(GridRow{0}, GridCol{2}), QStringLiteral("> 0.2"));
        QCOMPARE(model->Text(GridRow{1}, GridCol{2}), QStringLiteral("1.2"));
        grid->Sort(2);
        QCOMPARE(model->Text(GridRow{0}, GridCol{2}), QStringLiteral("< 0.2"));
        QCOMPARE(model->Text(GridRow{1}, GridCol{2}), QStringLiteral("5.2"));
        grid->SortReset();
        grid->Sort(2);
        QCOMPARE(model->Text(GridRow{0}, GridCol{2}), QStringLiteral("> 0.2"));
        grid->SetObject(view); // binding anew takes the mark away
        QCOMPARE(model->Text(GridRow{0}, GridCol{2}), QStringLiteral("0.2"));
    }

    void clipHelpers() {
        grid->SetClipV(GridCol{3}, GridRow{4}, QStringLiteral("a\r\nb\r\nc"));
        QCOMPARE(grid->GetClipV(GridCol{3}, GridRow{3}), QStringLiteral("3.3\r\na\r\nb"));
        QCOMPARE(grid->GetClipV(GridCol{3}, GridRow{4}, 1), QStringLiteral("a"));
        grid->SwapRow(1, 2);
        QCOMPARE(grid->GetClipH(GridCol{8}, GridRow{1}), QStringLiteral("2.8\t2.9"));
        QCOMPARE(grid->GetClip(GridCol{0}, GridRow{2}, GridCol{1}, GridRow{1}),
                 QStringLiteral("2.0\t2.1\r1.0\t1.1"));
        QCOMPARE(model->Row(), 2);
        QCOMPARE(model->RowSel(), 1);
    }

    void hiddenRowsAndVisibleCounts() {
        model->SetAllRowHeights(20);
        model->SetRowHeight(2, 0);
        for (int c = 0; c < 10; ++c)
            model->SetColWidth(c, 40);
        QVERIFY(view->isRowHidden(view->ViewRow(2)));
        QVERIFY(!view->isRowHidden(view->ViewRow(3)));
        view->resize(600, view->horizontalHeader()->height() + 2 * view->frameWidth() + 50);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QCOMPARE(view->viewport()->height(), 50);
        QCOMPARE(grid->VisibleCols(), 10);
        // 50 px from row 1: rows 1 and 3 whole (row 2 is hidden), row 4 in part.
        QCOMPARE(grid->VisibleRows(), 2);
        QCOMPARE(grid->BottomRow(), 4);
        model->SetCursor(GridRow{0}, GridCol{0});
        QCOMPARE(grid->GetCursorY(), view->horizontalHeader()->y());
        model->SetCursor(GridRow{3}, GridCol{0});
        QCOMPARE(grid->GetCursorY(), view->viewport()->y() + 20);

        // The next pass shows every row again: a filter released brings its rows back, and a
        // row once taller is back at the common height.
        model->SetRowHeight(4, 33);
        QCOMPARE(view->rowHeight(view->ViewRow(4)), 33);
        model->SetAllRowHeights(20);
        for (int r = 1; r < model->Rows(); ++r) {
            QVERIFY2(!view->isRowHidden(view->ViewRow(r)), qPrintable(QString::number(r)));
            QCOMPARE(view->rowHeight(view->ViewRow(r)), 20);
        }
        QCOMPARE(grid->VisibleRows(), 2);
        QCOMPARE(grid->BottomRow(), 3);
    }

    void largeGridHidesRows() {
        model->BeginBatch();
        model->SetRows(100001);
        model->SetAllRowHeights(18);
        for (int r = 1; r <= 100000; r += 2)
            model->SetRowHeight(r, 0);
        model->EndBatch();
        QVERIFY(view->isRowHidden(view->ViewRow(99999)));
        QVERIFY(!view->isRowHidden(view->ViewRow(100000)));
        QCOMPARE(view->rowHeight(view->ViewRow(100000)), 18);
        model->SetTopRow(100000);
        // The last row cannot reach the top: the view shows as far down as it can.
        QVERIFY(view->viewport()->rect().contains(view->visualRect(view->IndexOf(100000, 0))));
    }

    void drawsCellColoursAndPictures() {
        model->SetAllRowHeights(24);
        for (int c = 0; c < 10; ++c)
            model->SetColWidth(c, 40);
        model->SetText(GridRow{1}, GridCol{1}, QString());
        grid->Point(GridCol{1}, GridRow{1}, KeepColor, MakeRgb(255, 191, 191));
        QPixmap blue(8, 8);
        blue.fill(QColor(0, 0, 255));
        view->SetImages({{QStringLiteral("VIP"), blue}});
        grid->SetPicture(GridCol{2}, GridRow{1}, QStringLiteral("VIP"), CellAlign::CenterCenter);
        model->SetCursor(GridRow{5}, GridCol{9});
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        const QImage image = view->viewport()->grab().toImage();
        const QRect colour = view->visualRect(view->IndexOf(1, 1));
        QCOMPARE(image.pixelColor(colour.center() + QPoint(10, 0)), QColor(255, 191, 191));
        const QRect picture = view->visualRect(view->IndexOf(1, 2));
        QCOMPARE(image.pixelColor(picture.center()), QColor(0, 0, 255));
        QVERIFY(image.pixelColor(picture.left() + 3, picture.center().y()) != QColor(0, 0, 255));
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
