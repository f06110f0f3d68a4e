#pragma once
// CGridModel: the cells of a grid whose first row is a fixed header row.
// Rows are addressed as the pages address them: row 0 is the header, body rows
// start at 1. The view shows row 0 in its header and the body rows as model
// rows 0..n-1.
//
// User-interface thread only.

#include <QAbstractTableModel>
#include <QPixmap>
#include <vector>

#include "controls/grid/grid_cell.h"

class CGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Roles beyond Qt's for what the delegate and header draw.
  enum Role { kCheckBoxRole = Qt::UserRole + 1, kImageRole, kCellDataRole };

  explicit CGridModel(QObject* parent = nullptr);

  void SetColumnCount(int columns);
  int ColumnCount() const { return columns_; }
  // Body rows plus the header row.
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Appends a body row and returns its grid row number.
  int AppendRow();
  void DeleteBodyRows();
  void SetRowCount(int rowsWithHeader);
  bool IsValidCell(int row, int column) const;

  GridCell* Cell(int row, int column);
  const GridCell* Cell(int row, int column) const;
  // Tells the views that a cell changed.
  void CellChanged(int row, int column);

  void SetImageList(std::vector<QPixmap> images) { images_ = std::move(images); }
  const std::vector<QPixmap>& Images() const { return images_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  static QVariant CellData(const GridCell& cell, int role);

  int columns_ = 0;
  std::vector<std::vector<GridCell>> rows_;  // rows_[0] is the header row
  std::vector<QPixmap> images_;
};
