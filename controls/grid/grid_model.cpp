#include "controls/grid/grid_model.h"

CGridModel::CGridModel(QObject* parent) : QAbstractTableModel(parent) { rows_.resize(1); }

void CGridModel::SetColumnCount(int columns) {
  beginResetModel();
  columns_ = std::max(0, columns);
  for (auto& row : rows_) row.resize(columns_);
  endResetModel();
}

int CGridModel::AppendRow() {
  const int modelRow = static_cast<int>(rows_.size()) - 1;
  beginInsertRows(QModelIndex(), modelRow, modelRow);
  rows_.emplace_back(columns_);
  endInsertRows();
  return modelRow + 1;
}

void CGridModel::DeleteBodyRows() {
  if (rows_.size() <= 1) return;
  beginRemoveRows(QModelIndex(), 0, static_cast<int>(rows_.size()) - 2);
  rows_.resize(1);
  endRemoveRows();
}

void CGridModel::SetRowCount(int rowsWithHeader) {
  rowsWithHeader = std::max(1, rowsWithHeader);
  if (rowsWithHeader == RowCount()) return;
  beginResetModel();
  rows_.resize(rowsWithHeader, std::vector<GridCell>(columns_));
  endResetModel();
}

bool CGridModel::IsValidCell(int row, int column) const {
  return row >= 0 && row < RowCount() && column >= 0 && column < columns_;
}

GridCell* CGridModel::Cell(int row, int column) {
  return IsValidCell(row, column) ? &rows_[row][column] : nullptr;
}

const GridCell* CGridModel::Cell(int row, int column) const {
  return IsValidCell(row, column) ? &rows_[row][column] : nullptr;
}

void CGridModel::CellChanged(int row, int column) {
  if (!IsValidCell(row, column)) return;
  if (row == 0) {
    emit headerDataChanged(Qt::Horizontal, column, column);
  } else {
    const QModelIndex at = index(row - 1, column);
    emit dataChanged(at, at);
  }
}

int CGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : RowCount() - 1;
}

int CGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant CGridModel::CellData(const GridCell& cell, int role) {
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return cell.text;
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(cell.format);
    case Qt::FontRole:
      return cell.font ? QVariant(*cell.font) : QVariant();
    case Qt::ForegroundRole:
      return cell.textColour ? QVariant(*cell.textColour) : QVariant();
    case Qt::BackgroundRole:
      return cell.backgroundColour ? QVariant(*cell.backgroundColour) : QVariant();
    case Qt::ToolTipRole:
      return QVariant();
    case kCheckBoxRole:
      return cell.checkBox;
    case Qt::CheckStateRole:
      return cell.checkBox ? QVariant(cell.checked ? Qt::Checked : Qt::Unchecked) : QVariant();
    case kImageRole:
      return cell.image;
    case kCellDataRole:
      return cell.data;
    default:
      return QVariant();
  }
}

QVariant CGridModel::data(const QModelIndex& at, int role) const {
  const GridCell* cell = Cell(at.row() + 1, at.column());
  return cell ? CellData(*cell, role) : QVariant();
}

bool CGridModel::setData(const QModelIndex& at, const QVariant& value, int role) {
  GridCell* cell = Cell(at.row() + 1, at.column());
  if (!cell || role != Qt::EditRole) return false;
  cell->text = value.toString();
  emit dataChanged(at, at);
  return true;
}

QVariant CGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return QVariant();
  const GridCell* cell = Cell(0, section);
  return cell ? CellData(*cell, role) : QVariant();
}

Qt::ItemFlags CGridModel::flags(const QModelIndex& at) const {
  if (!at.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
