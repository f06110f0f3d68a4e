#include "controls/grid/grid_ctrl.h"

#include <QHelpEvent>
#include <QScrollBar>
#include <QToolTip>

#include "controls/grid/grid_cell_delegate.h"
#include "controls/grid/grid_cell_painting.h"
#include "controls/grid/grid_header_view.h"
#include "controls/grid/grid_model.h"

CGridCtrl::CGridCtrl(QWidget* parent)
    : QTableView(parent),
      model_(new CGridModel(this)),
      header_(new GridHeaderView(this)),
      delegate_(new GridCellDelegate(model_, this)) {
  setHorizontalHeader(header_);
  setModel(model_);
  setItemDelegate(delegate_);
  setShowGrid(false);  // the delegate draws the lines in the skin's colour
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::ClickFocus);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  header_->setSortIndicatorShown(false);
  connect(this, &QTableView::clicked, this,
          [this](const QModelIndex& at) { ClickCell(at.row() + 1, at.column()); });
  connect(header_, &QHeaderView::sectionClicked, this,
          [this](int column) { ClickCell(0, column); });
}

void CGridCtrl::SetColumnCount(int columns) { model_->SetColumnCount(columns); }
int CGridCtrl::GetColumnCount() const { return model_->ColumnCount(); }
void CGridCtrl::SetColumnWidth(int column, int width) { header_->resizeSection(column, width); }
int CGridCtrl::GetColumnWidth(int column) const { return header_->sectionSize(column); }
int CGridCtrl::GetRowCount() const { return model_->RowCount(); }
void CGridCtrl::SetRowCount(int rowsWithHeader) { model_->SetRowCount(rowsWithHeader); }
int CGridCtrl::AppendRow() { return model_->AppendRow(); }
void CGridCtrl::DeleteNonFixedRows() { model_->DeleteBodyRows(); }
const GridCell* CGridCtrl::Cell(int row, int column) const { return model_->Cell(row, column); }

namespace {
template <typename Change>
void ChangeCell(CGridModel* model, int row, int column, Change change) {
  if (GridCell* cell = model->Cell(row, column)) {
    change(*cell);
    model->CellChanged(row, column);
  }
}
}  // namespace

void CGridCtrl::SetItemText(int row, int column, const QString& text) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.text = text; });
}

QString CGridCtrl::GetItemText(int row, int column) const {
  const GridCell* cell = model_->Cell(row, column);
  return cell ? cell->text : QString();
}

void CGridCtrl::SetItemFormat(int row, int column, Qt::Alignment format) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.format = format; });
}

void CGridCtrl::SetItemFont(int row, int column, const QFont& font) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.font = font; });
}

void CGridCtrl::SetItemFgColour(int row, int column, const QColor& colour) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.textColour = colour; });
}

void CGridCtrl::SetItemBkColour(int row, int column, const QColor& colour) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.backgroundColour = colour; });
}

void CGridCtrl::SetItemData(int row, int column, int value) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.data = value; });
}

int CGridCtrl::GetItemData(int row, int column) const {
  const GridCell* cell = model_->Cell(row, column);
  return cell ? cell->data : 0;
}

void CGridCtrl::SetItemImage(int row, int column, int image) {
  ChangeCell(model_, row, column, [&](GridCell& cell) { cell.image = image; });
}

void CGridCtrl::SetCellCheckBox(int row, int column, bool checkBox) {
  ChangeCell(model_, row, column, [&](GridCell& cell) {
    cell.checkBox = checkBox;
    cell.checked = false;
  });
}

bool CGridCtrl::IsCellCheckBox(int row, int column) const {
  const GridCell* cell = model_->Cell(row, column);
  return cell && cell->checkBox;
}

void CGridCtrl::SetCheck(int row, int column, bool checked) {
  ChangeCell(model_, row, column, [&](GridCell& cell) {
    if (cell.checkBox) cell.checked = checked;
  });
}

bool CGridCtrl::GetCheck(int row, int column) const {
  const GridCell* cell = model_->Cell(row, column);
  return cell && cell->checkBox && cell->checked;
}

void CGridCtrl::SetImageList(const QString& path, int imageWidth, int imageHeight) {
  std::vector<QPixmap> images;
  QPixmap strip;
  if (strip.load(path) && imageWidth > 0 && imageHeight > 0) {
    for (int x = 0; x + imageWidth <= strip.width(); x += imageWidth) {
      images.push_back(strip.copy(x, 0, imageWidth, std::min(imageHeight, strip.height())));
    }
  }
  model_->SetImageList(std::move(images));
  viewport()->update();
}

int CGridCtrl::ImageCount() const { return static_cast<int>(model_->Images().size()); }

void CGridCtrl::SetRowHeight(int row, int height) {
  if (row == 0) {
    header_->setFixedHeight(height);
  } else if (row > 0 && row < GetRowCount() && height >= 0) {
    setRowHeight(row - 1, height);
  }
}

int CGridCtrl::GetRowHeight(int row) const {
  if (row == 0) return header_->height();
  return row > 0 && row < GetRowCount() ? rowHeight(row - 1) : 0;
}

void CGridCtrl::AutoSizeHeaderRow() {
  int height = fontMetrics().height();
  for (int column = 0; column < GetColumnCount(); ++column) {
    const GridCell* cell = model_->Cell(0, column);
    if (cell && cell->font) height = std::max(height, QFontMetrics(*cell->font).height());
  }
  header_->setFixedHeight(height + 16);
}

void CGridCtrl::SetLineColour(const QColor& colour) {
  header_->SetLineColour(colour);
  delegate_->SetLineColour(colour);
  viewport()->update();
  header_->viewport()->update();
}

void CGridCtrl::SetSortIndicator(int column, bool ascending) {
  header_->setSortIndicatorShown(column >= 0);
  header_->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int CGridCtrl::SortColumn() const {
  return header_->isSortIndicatorShown() ? header_->sortIndicatorSection() : -1;
}

bool CGridCtrl::SortAscending() const {
  return header_->sortIndicatorOrder() == Qt::AscendingOrder;
}

void CGridCtrl::ClickCell(int row, int column) {
  if (!model_->IsValidCell(row, column) || !isEnabled()) return;
  emit cellClicked(row, column);
  if (row > 0 && editable_) {
    const QModelIndex at = model_->index(row - 1, column);
    scrollTo(at);
    QTableView::edit(at);
  }
}

bool CGridCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Only one edit at a time: the owner keeps the text of the edited cell.
  if (editingRow_ > 0) return QTableView::edit(index, trigger, event);
  const bool started = QTableView::edit(index, trigger, event);
  if (started) {
    editingRow_ = index.row() + 1;
    editingColumn_ = index.column();
    emit editBegun(editingRow_, editingColumn_);
  }
  return started;
}

void CGridCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, hint);
  if (editingRow_ > 0) {
    const int row = editingRow_, column = editingColumn_;
    editingRow_ = 0;
    emit editEnded(row, column);
  }
}

QString CGridCtrl::TitleTipAt(const QPoint& viewportPoint) const {
  const QModelIndex at = indexAt(viewportPoint);
  if (!at.isValid()) return QString();
  const GridCell* cell = model_->Cell(at.row() + 1, at.column());
  if (!cell || cell->text.isEmpty()) return QString();
  const QFont font = cell->font.value_or(this->font());
  int room = visualRect(at).width() - 2 * kGridTextMargin;
  if (cell->image >= 0 && cell->image < ImageCount())
    room -= model_->Images()[cell->image].width() + kGridTextMargin;
  return QFontMetrics(font).horizontalAdvance(cell->text) > room ? cell->text : QString();
}

bool CGridCtrl::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = TitleTipAt(help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), tip, viewport());
    }
    return true;
  }
  return QTableView::viewportEvent(event);
}
