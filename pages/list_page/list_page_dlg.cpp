#include "pages/list_page/list_page_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <cstring>
#include <unordered_set>

#include "app/application_app.h"
#include "app/child_dlg.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/t_button_picture.h"
#include "controls/t_edit.h"
#include "controls/t_multi_pages.h"
#include "controls/t_static.h"
#include "i18n/window_translation.h"
#include "settings/style_helpers.h"
#include "store/device_text.h"
#include "store/sql_management.h"

namespace {
QLabel* SkinPicture(QWidget* parent, const char* id, const QString& path, const QRect& at) {
  auto* picture = new QLabel(parent);
  picture->setObjectName(QString::fromLatin1(id));
  picture->setGeometry(at);
  picture->setPixmap(QPixmap(path));
  picture->setScaledContents(true);
  return picture;
}
}  // namespace

CListPageDlg::CListPageDlg(const CApplicationApp& app, int pageId, int gridId, ListColumns columns,
                           int initialSortColumn, QWidget* parent)
    : CTDialog(parent),
      app_(app),
      pageId_(pageId),
      columns_(columns),
      state_(initialSortColumn),
      grid_(new CGridCtrl(this)),
      search_(new CTEdit(this)),
      pageSize_(new QComboBox(this)),
      refresh_(new CTButtonPicture(this)),
      paging_(new CTMultiPages(this)),
      count_(new CTStatic(this)) {
  SetFillBackground(true);
  SetBackgroundColour(app_.style.childBkColor);
  resize(915, 605);

  SkinPicture(this, "1010", app_.SkinFile(app_.skin.searchLeft), QRect(655, 12, 12, 30));
  search_->setObjectName(QStringLiteral("1009"));
  search_->setGeometry(667, 12, 226, 30);
  SkinPicture(this, "1011", app_.SkinFile(app_.skin.searchRight), QRect(893, 12, 12, 30));
  connect(search_, &QLineEdit::textChanged, this, &CListPageDlg::SetSearchText);

  grid_->setObjectName(QString::number(gridId));
  grid_->setGeometry(10, 52, 895, 470);
  grid_->SetLineColour(app_.style.lineColor);
  grid_->SetColumnCount(static_cast<int>(columns_.size()));
  for (int column = 0; column < static_cast<int>(columns_.size()); ++column) {
    const char* header = columns_[column].header;
    SetGridHeaderCell(app_.style, *grid_, column, *header ? Tr(header) : QString(),
                      columns_[column].width);
  }
  if (ColumnOf(columns_, DeviceColumn::kCheckBox) == 0) grid_->SetCellCheckBox(0, 0);
  if (ColumnOf(columns_, DeviceColumn::kOperate) >= 0)
    grid_->SetImageList(app_.SkinFile(app_.skin.web));
  connect(grid_, &CGridCtrl::cellClicked, this, &CListPageDlg::OnCellClicked);

  SkinPicture(this, "1012", app_.SkinFile(app_.skin.line), QRect(10, 530, 895, 2));

  count_->setObjectName(QStringLiteral("1017"));
  count_->setGeometry(10, 540, 260, 26);
  count_->SetStaticStyle(app_.style.fontName, app_.style.staticFontWeight,
                         app_.style.staticFontHeight, app_.style.staticTextNumberColor,
                         app_.style.staticFontBkColor);

  auto* sizeLabel = new CTStatic(this);
  sizeLabel->setObjectName(QStringLiteral("1014"));
  sizeLabel->setGeometry(280, 540, 120, 26);
  sizeLabel->SetStaticStyle(app_.style.fontName, app_.style.staticFontWeight,
                            app_.style.staticFontHeight, app_.style.staticFontTextColor,
                            app_.style.staticFontBkColor);
  sizeLabel->setText(TrKey("Each page number"));

  pageSize_->setObjectName(QStringLiteral("1013"));
  pageSize_->setGeometry(400, 541, 60, 24);
  for (int size : kPageSizes) pageSize_->addItem(QString::number(size), size);
  pageSize_->setCurrentIndex(kDefaultPageSizeIndex);
  connect(pageSize_, &QComboBox::currentIndexChanged, this, [this] { Refresh(1); });

  refresh_->setObjectName(QStringLiteral("1074"));
  refresh_->setGeometry(470, 541, 24, 24);
  refresh_->SetImages(app_.SkinFile(app_.skin.updateNormal), app_.SkinFile(app_.skin.updateNormal),
                      app_.SkinFile(app_.skin.updateDown), app_.SkinFile(app_.skin.updateNormal));
  connect(refresh_, &QAbstractButton::clicked, this, [this] { Refresh(state_.pageNumber); });

  paging_->setObjectName(QStringLiteral("1016"));
  paging_->setGeometry(505, 538, 400, 30);
  paging_->SetBackgroundColour(app_.style.childBkColor);
  // The container routes a page choice back to this page's paging handler.
  paging_->SetNotify(
      [this](int id, int page) {
        if (app_.container) {
          app_.container->OnPagingMessage(id, page);
        } else {
          OnPagingMessage(page);
        }
      },
      pageId_);

  TranslateWindow(this);
}

int CListPageDlg::PageSize() const {
  const int size = pageSize_->currentData().toInt();
  return size > 0 ? size : kPageSizes[kDefaultPageSizeIndex];
}

void CListPageDlg::SetPageSize(int size) {
  const int index = pageSize_->findData(size);
  if (index >= 0) pageSize_->setCurrentIndex(index);
}

void CListPageDlg::SetSearchText(const QString& text) {
  state_.searchText = text.toStdString();
  Refresh(1);
}

void CListPageDlg::Refresh(int pageNumber) {
  const int pageSize = PageSize();
  std::vector<ap_info_stu> records;
  int pageCount = 0;
  int total = 0;
  if (app_.store) {
    app_.store->QueryDevicePage(SortKeyOfColumn(columns_, state_.sortColumn), pageSize, pageNumber,
                                state_.Ascending() ? 1 : 0, state_.searchText, records, pageCount,
                                total);
  }
  state_.pageNumber = pageNumber;
  const int stored = static_cast<int>(records.size());
  if (stored < pageSize && (pageNumber == pageCount || pageCount == 0)) {
    std::vector<ap_info_stu> extra = UnstoredRecords(state_.searchText, pageSize - stored);
    if (static_cast<int>(extra.size()) > pageSize - stored) extra.resize(pageSize - stored);
    records.insert(records.end(), extra.begin(), extra.end());
  }

  const int macColumn = ColumnOf(columns_, DeviceColumn::kMac);
  const bool hasBoxes = ColumnOf(columns_, DeviceColumn::kCheckBox) == 0;
  std::unordered_set<std::string> ticked;
  if (hasBoxes && macColumn >= 0) {
    for (int row = 1; row < grid_->GetRowCount(); ++row) {
      if (grid_->GetCheck(row, 0)) ticked.insert(grid_->GetItemText(row, macColumn).toStdString());
    }
  }

  grid_->setUpdatesEnabled(false);
  grid_->DeleteNonFixedRows();
  for (const ap_info_stu& record : records) {
    const int row = grid_->AppendRow();
    FillRow(row, record, row + pageSize * (pageNumber - 1));
    if (hasBoxes && ticked.count(std::string(record.mac, strnlen(record.mac, sizeof record.mac)))) {
      grid_->SetCheck(row, 0, true);
    }
  }
  grid_->setUpdatesEnabled(true);

  grid_->SetSortIndicator(state_.sortColumn, state_.Ascending());
  paging_->SetPages(pageCount, pageNumber);
  paging_->update();
  total_ = total;
  count_->setText(
      Tr("Online device count:%d").replace(QStringLiteral("%d"), QString::number(total)));
  count_->update();
}

void CListPageDlg::FillRow(int row, const ap_info_stu& record, int serial) {
  const bool announced = record.ap_status == kStatusAnnounced;
  const auto write = announced ? &SetGridCellOffline : &SetGridCell;
  for (int column = 0; column < static_cast<int>(columns_.size()); ++column) {
    switch (columns_[column].content) {
      case DeviceColumn::kCheckBox:
        grid_->SetCellCheckBox(row, column);
        break;
      case DeviceColumn::kSerial:
        write(app_.style, *grid_, row, column, QString::number(serial), Qt::AlignCenter);
        grid_->SetItemData(row, column, record.ap_status);
        break;
      case DeviceColumn::kOperate:
        write(app_.style, *grid_, row, column, QString(), Qt::AlignCenter);
        // An announced device has no page to open yet.
        if (!announced) grid_->SetItemImage(row, column, 0);
        break;
      default:
        write(app_.style, *grid_, row, column, DeviceCellText(columns_[column].content, record),
              Qt::AlignCenter);
        break;
    }
  }
}

void CListPageDlg::OnCellClicked(int row, int column) {
  const bool boxColumn = column == 0 && ColumnOf(columns_, DeviceColumn::kCheckBox) == 0;
  if (row == 0) {
    if (boxColumn) {
      TickAll(!state_.headerBoxTicked);
    } else if (IsSortableColumn(columns_, column)) {
      state_.SortByHeader(column);
      Refresh(1);
    }
    return;
  }
  if (boxColumn) {
    grid_->SetCheck(row, 0, !grid_->GetCheck(row, 0));
    return;
  }
  OnBodyClick(row, column);
}

void CListPageDlg::TickAll(bool ticked) {
  state_.headerBoxTicked = ticked;
  for (int row = 0; row < grid_->GetRowCount(); ++row) grid_->SetCheck(row, 0, ticked);
}

std::vector<SelectedDevice> CListPageDlg::CollectSelection(
    std::optional<DeviceColumn> switchColumn) const {
  std::vector<SelectedDevice> selection;
  const int ipColumn = ColumnOf(columns_, DeviceColumn::kIp);
  const int macColumn = ColumnOf(columns_, DeviceColumn::kMac);
  const int typeColumn = ColumnOf(columns_, DeviceColumn::kType);
  const int configurableColumn = switchColumn ? ColumnOf(columns_, *switchColumn) : -1;
  if (ipColumn < 0 || macColumn < 0 || typeColumn < 0) return selection;
  for (int row = 1; row < grid_->GetRowCount(); ++row) {
    if (!grid_->GetCheck(row, 0)) continue;
    if (configurableColumn >= 0 &&
        grid_->GetItemText(row, configurableColumn) == QLatin1String(kNotApplicableText)) {
      continue;
    }
    selection.push_back({grid_->GetItemText(row, ipColumn).toStdString(),
                         grid_->GetItemText(row, macColumn).toStdString(),
                         ModelCode(grid_->GetItemText(row, typeColumn).toStdString())});
  }
  return selection;
}
