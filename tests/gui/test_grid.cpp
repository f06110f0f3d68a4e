// The grid: header row and body cells through the style helpers, check boxes,
// pictures, in-place editing with its switch, sort indicator and title tips.

#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "controls/grid/grid_ctrl.h"
#include "settings/style_helpers.h"

namespace {
QString SkinFile(const char* name) {
  return QStringLiteral(SOURCE_DIR "/resources/Skin/") + QLatin1String(name);
}
}  // namespace

class TestGrid : public QObject {
  Q_OBJECT
 private:
  SkinStyle style_;

  void Fill(CGridCtrl& grid, int rows) {
    grid.SetColumnCount(3);
    SetGridHeaderCell(style_, grid, 0, QString(), 20);
    SetGridHeaderCell(style_, grid, 1, QStringLiteral("Location"), 90);
    SetGridHeaderCell(style_, grid, 2, QStringLiteral("Operate"), 70);
    grid.SetCellCheckBox(0, 0);
    for (int i = 0; i < rows; ++i) {
      const int row = grid.AppendRow();
      grid.SetCellCheckBox(row, 0);
      SetGridCell(style_, grid, row, 1, QStringLiteral("tower-%1").arg(row));
      grid.SetItemImage(row, 2, 0);
    }
  }

 private slots:
  void headerAndBodyCells() {
    CGridCtrl grid;
    Fill(grid, 2);
    QCOMPARE(grid.GetRowCount(), 3);
    QCOMPARE(grid.GetColumnWidth(1), 90);
    const GridCell* header = grid.Cell(0, 1);
    QCOMPARE(header->text, QStringLiteral("Location"));
    QCOMPARE(*header->backgroundColour, style_.gridTitleBkColor);
    QCOMPARE(*header->textColour, style_.gridTextColor);
    QVERIFY(header->font->bold());
    QVERIFY(grid.GetRowHeight(0) > 0);

    QCOMPARE(grid.GetItemText(2, 1), QStringLiteral("tower-2"));
    QCOMPARE(*grid.Cell(2, 1)->textColour, style_.gridTitleTextColor);
    QCOMPARE(grid.GetRowHeight(2), GridRowHeight);
    SetGridCellOffline(style_, grid, 1, 1, QStringLiteral("announced"));
    QCOMPARE(*grid.Cell(1, 1)->textColour, style_.textUnlineColor);
    SetGridCellOnline(style_, grid, 1, 1, QStringLiteral("back"));
    QCOMPARE(*grid.Cell(1, 1)->textColour, style_.textOnlineColor);

    grid.SetItemData(1, 1, 10);
    QCOMPARE(grid.GetItemData(1, 1), 10);
    QCOMPARE(grid.GetItemText(9, 9), QString());  // outside: nothing, no crash
    grid.SetItemText(9, 9, QStringLiteral("x"));

    grid.DeleteNonFixedRows();
    QCOMPARE(grid.GetRowCount(), 1);
    QCOMPARE(grid.GetItemText(0, 1), QStringLiteral("Location"));
  }

  void checkBoxesAndClicks() {
    CGridCtrl grid;
    Fill(grid, 2);
    QSignalSpy clicks(&grid, &CGridCtrl::cellClicked);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    // The grid reports; the page decides what a click on a box means.
    const QRect box = grid.visualRect(grid.model()->index(1, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, box.center());
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks[0][0].toInt(), 2);
    QCOMPARE(clicks[0][1].toInt(), 0);
    QVERIFY(!grid.GetCheck(2, 0));
    grid.SetCheck(2, 0, true);
    QVERIFY(grid.GetCheck(2, 0));
    grid.SetCheck(2, 1, true);  // not a check-box cell
    QVERIFY(!grid.GetCheck(2, 1));

    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid.horizontalHeader()->sectionPosition(0) + 5, 5));
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(clicks[1][0].toInt(), 0);
    grid.SetCheck(0, 0, true);
    QVERIFY(grid.GetCheck(0, 0));

    grid.setEnabled(false);
    grid.ClickCell(1, 1);
    QCOMPARE(clicks.size(), 2);
  }

  void pictures() {
    CGridCtrl grid;
    grid.SetImageList(SkinFile("web_other.bmp"));
    QCOMPARE(grid.ImageCount(), 1);
    grid.SetImageList(SkinFile("line.bmp"), 50, 2);  // a 900-pixel strip cut in 18
    QCOMPARE(grid.ImageCount(), 18);
    grid.SetImageList(SkinFile("missing.bmp"));
    QCOMPARE(grid.ImageCount(), 0);
  }

  void editingFollowsTheSwitch() {
    CGridCtrl grid;
    Fill(grid, 1);
    grid.resize(400, 300);
    grid.show();
    QSignalSpy begun(&grid, &CGridCtrl::editBegun);
    QSignalSpy ended(&grid, &CGridCtrl::editEnded);
    grid.ClickCell(1, 1);
    QCOMPARE(begun.size(), 0);  // switch off: no edit

    // The page turns the switch on from its click handler, before the grid edits.
    connect(&grid, &CGridCtrl::cellClicked, &grid,
            [&grid](int, int column) { grid.SetEditable(column == 1); });
    grid.ClickCell(1, 1);
    QCOMPARE(begun.size(), 1);
    QCOMPARE(begun[0][0].toInt(), 1);
    QVERIFY(grid.IsEditing());
    auto* editor = grid.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("ridge-east"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(ended.size(), 1);  // the delegate commits on the next turn of the loop
    QCOMPARE(ended[0][1].toInt(), 1);
    QCOMPARE(grid.GetItemText(1, 1), QStringLiteral("ridge-east"));
    QVERIFY(!grid.IsEditing());

    grid.ClickCell(1, 2);  // the page switched editing off for this column
    QCOMPARE(begun.size(), 1);
  }

  void sortIndicator() {
    CGridCtrl grid;
    Fill(grid, 1);
    QCOMPARE(grid.SortColumn(), -1);
    grid.SetSortIndicator(1, false);
    QCOMPARE(grid.SortColumn(), 1);
    QVERIFY(!grid.SortAscending());
    grid.SetSortIndicator(2, true);
    QCOMPARE(grid.SortColumn(), 2);
    QVERIFY(grid.SortAscending());
  }

  void titleTipsOnlyForCutTexts() {
    CGridCtrl grid;
    Fill(grid, 2);
    grid.resize(400, 300);
    grid.show();
    SetGridCell(style_, grid, 1, 1, QStringLiteral("a very long location name that cannot fit"));
    const QPoint cut = grid.visualRect(grid.model()->index(0, 1)).center();
    const QPoint fits = grid.visualRect(grid.model()->index(1, 1)).center();
    QCOMPARE(grid.TitleTipAt(cut), QStringLiteral("a very long location name that cannot fit"));
    QCOMPARE(grid.TitleTipAt(fits), QString());
  }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
