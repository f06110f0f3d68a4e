#pragma once
// CListPageDlg: the device list page every list page is built on: search box,
// page-size list, refresh button, grid with a check-box column, serial
// numbers and click-to-sort headers, paging control and device count. A page
// gives its column table and initial sort column, and may add rows the store
// does not hold and act on clicks of its own columns.
//
// A refresh keeps the ticks of the rows whose device (by MAC) is listed again,
// so a periodic refresh never unticks what the user chose for a command.
//
// Reads the store of the application object; owns its child widgets.
// User-interface thread only.

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "app/container_page.h"
#include "controls/t_dialog.h"
#include "pages/list_page/list_columns.h"
#include "pages/list_page/list_page_state.h"
#include "pages/list_page/selected_device.h"

struct CApplicationApp;
class CGridCtrl;
class CTEdit;
class CTMultiPages;
class CTStatic;
class CTButtonPicture;
class QComboBox;

class CListPageDlg : public CTDialog, public CContainerPage {
  Q_OBJECT
 public:
  static constexpr int kPageSizes[] = {15, 30, 50, 100};
  static constexpr int kDefaultPageSizeIndex = 1;

  CListPageDlg(const CApplicationApp& app, int pageId, int gridId, ListColumns columns,
               int initialSortColumn, QWidget* parent);

  // Queries the page of devices and rewrites the grid, the paging control and
  // the count text.
  void Refresh(int pageNumber);
  void RefreshPage() override { Refresh(state_.pageNumber); }
  void OnPagingMessage(int pageNumber) override { Refresh(pageNumber); }

  // The ticked rows in grid order. With a switch column, rows whose switch
  // shows "N/A" (the model has no such switch) are left out.
  std::vector<SelectedDevice> CollectSelection(
      std::optional<DeviceColumn> switchColumn = std::nullopt) const;

  const ListPageState& State() const { return state_; }
  int PageSize() const;
  void SetPageSize(int size);
  int StoredTotal() const { return total_; }
  CGridCtrl* Grid() const { return grid_; }
  CTEdit* SearchEdit() const { return search_; }
  QComboBox* PageSizeList() const { return pageSize_; }
  CTMultiPages* Paging() const { return paging_; }
  CTStatic* CountText() const { return count_; }
  ListColumns Columns() const { return columns_; }

 protected:
  // Rows after the stored ones on a page with room left; at most `room`.
  virtual std::vector<ap_info_stu> UnstoredRecords(const std::string& /*searchText*/,
                                                   int /*room*/) const {
    return {};
  }
  // A click on a body row outside the check-box column.
  virtual void OnBodyClick(int /*row*/, int /*column*/) {}

  void SetSearchText(const QString& text);
  const CApplicationApp& app_;

 private:
  void FillRow(int row, const ap_info_stu& record, int serial);
  void OnCellClicked(int row, int column);
  void TickAll(bool ticked);

  int pageId_;
  ListColumns columns_;
  ListPageState state_;
  int total_ = 0;
  CGridCtrl* grid_;
  CTEdit* search_;
  QComboBox* pageSize_;
  CTButtonPicture* refresh_;
  CTMultiPages* paging_;
  CTStatic* count_;
};
