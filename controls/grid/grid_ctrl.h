#pragma once
// CGridCtrl: the device grid of the list pages and tool pages. Row 0 is a
// fixed header row; body rows start at 1. Cells carry text, alignment, font,
// colours, an integer, a picture from the grid's image list and an optional
// check box. The grid reports clicks (row 0 for the header) and the beginning
// and end of an in-place text edit; it starts an edit on a click only while
// the owner has switched editing on. Texts that do not fit show in full as a
// tip.
//
// Owns its model. User-interface thread only.

#include <QTableView>
#include <vector>

#include "controls/grid/grid_cell.h"

class CGridModel;
class GridHeaderView;
class GridCellDelegate;

class CGridCtrl : public QTableView {
  Q_OBJECT
 public:
  static constexpr int kDefaultRowHeight = 48;

  explicit CGridCtrl(QWidget* parent = nullptr);

  CGridModel* Model() const { return model_; }

  void SetColumnCount(int columns);
  int GetColumnCount() const;
  void SetColumnWidth(int column, int width);
  int GetColumnWidth(int column) const;
  // Rows including the header row.
  int GetRowCount() const;
  void SetRowCount(int rowsWithHeader);
  int AppendRow();
  void DeleteNonFixedRows();

  void SetItemText(int row, int column, const QString& text);
  QString GetItemText(int row, int column) const;
  void SetItemFormat(int row, int column, Qt::Alignment format);
  void SetItemFont(int row, int column, const QFont& font);
  void SetItemFgColour(int row, int column, const QColor& colour);
  void SetItemBkColour(int row, int column, const QColor& colour);
  void SetItemData(int row, int column, int value);
  int GetItemData(int row, int column) const;
  void SetItemImage(int row, int column, int image);
  void SetCellCheckBox(int row, int column, bool checkBox = true);
  bool IsCellCheckBox(int row, int column) const;
  void SetCheck(int row, int column, bool checked);
  bool GetCheck(int row, int column) const;
  const GridCell* Cell(int row, int column) const;

  // Cuts a picture strip into images of the given size.
  void SetImageList(const QString& path, int imageWidth = 50, int imageHeight = 16);
  int ImageCount() const;

  void SetRowHeight(int row, int height);
  int GetRowHeight(int row) const;
  void AutoSizeHeaderRow();
  void SetLineColour(const QColor& colour);

  // Whether a click starts an in-place edit of the clicked body cell.
  void SetEditable(bool editable) { editable_ = editable; }
  bool IsEditable() const { return editable_; }
  bool IsEditing() const { return editingRow_ > 0; }

  void SetSortIndicator(int column, bool ascending);
  int SortColumn() const;
  bool SortAscending() const;

  // The full text as a tip when the cell at the viewport point cuts it, else
  // empty.
  QString TitleTipAt(const QPoint& viewportPoint) const;

  // Makes the grid act on a click of a cell (row 0 is the header), as the
  // mouse does.
  void ClickCell(int row, int column);

 signals:
  void cellClicked(int row, int column);
  void editBegun(int row, int column);
  void editEnded(int row, int column);

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  bool viewportEvent(QEvent* event) override;

 private:
  CGridModel* model_;
  GridHeaderView* header_;
  GridCellDelegate* delegate_;
  bool editable_ = false;
  int editingRow_ = 0;
  int editingColumn_ = 0;
};
