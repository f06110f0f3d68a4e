#pragma once
// The columns of a device list page: what each grid column shows, its header
// and width, and the store's sort key it orders by. Each page keeps its own
// table; the shared page code fills rows and maps header clicks through it.

#include <QString>
#include <span>

#include "store/ap_info_stu.h"

enum class DeviceColumn {
  kCheckBox,
  kSerial,
  kName,
  kType,
  kIp,
  kMac,
  kWorkMode,
  kSsid,
  kChannel,
  kVersion,
  kTransparentBridge,
  kTdma,
  kUpTime,
  kSecureMode,
  kPower,
  kStatus,
  kOperate,  // the picture that opens the device's web page
};

inline constexpr int kUnsortable = -1;
// The key of columns the table gives no key: the IP address.
inline constexpr int kDefaultSortKey = 1;

struct ListColumn {
  DeviceColumn content;
  const char* header;  // English; translated when the header is written
  int width;           // pixels
  int sortKey;         // store sort key, or kUnsortable
};

using ListColumns = std::span<const ListColumn>;

// The store's key for a grid column; kDefaultSortKey for a column without one.
int SortKeyOfColumn(ListColumns columns, int column);
bool IsSortableColumn(ListColumns columns, int column);
// The grid column showing `content`, or -1.
int ColumnOf(ListColumns columns, DeviceColumn content);

// The cell text of a record in a column; empty for the check box, the serial
// number and the picture columns, which the page fills itself.
QString DeviceCellText(DeviceColumn content, const ap_info_stu& record);
