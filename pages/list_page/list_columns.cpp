#include "pages/list_page/list_columns.h"

#include <cstring>

#include "store/device_text.h"

namespace {
QString AreaText(const char* area, std::size_t size, uint8_t length) {
  // A record built by hand may leave the length byte at 0; the area is
  // zero-padded either way.
  const std::size_t used = length ? std::min<std::size_t>(length, size) : size;
  return QString::fromUtf8(area, static_cast<qsizetype>(strnlen(area, used)));
}

QString FromStd(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

int SortKeyOfColumn(ListColumns columns, int column) {
  if (column < 0 || column >= static_cast<int>(columns.size())) return kDefaultSortKey;
  const int key = columns[column].sortKey;
  return key == kUnsortable ? kDefaultSortKey : key;
}

bool IsSortableColumn(ListColumns columns, int column) {
  return column >= 0 && column < static_cast<int>(columns.size()) &&
         columns[column].sortKey != kUnsortable;
}

int ColumnOf(ListColumns columns, DeviceColumn content) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].content == content) return static_cast<int>(i);
  }
  return -1;
}

QString DeviceCellText(DeviceColumn content, const ap_info_stu& record) {
  switch (content) {
    case DeviceColumn::kName:
      return AreaText(record.ap_name, sizeof record.ap_name, record.ap_name_len);
    case DeviceColumn::kType:
      return FromStd(ModelText(record.ap_type));
    case DeviceColumn::kIp:
      return FromStd(IpText(record.ip));
    case DeviceColumn::kMac:
      return QString::fromUtf8(record.mac, strnlen(record.mac, sizeof record.mac));
    case DeviceColumn::kWorkMode:
      return FromStd(WorkModeText(record.work_mode));
    case DeviceColumn::kSsid:
      return AreaText(record.ssid, sizeof record.ssid, record.ssid_len);
    case DeviceColumn::kChannel:
      return FromStd(ChannelText(record.channel));
    case DeviceColumn::kVersion:
      return AreaText(record.version, sizeof record.version, record.version_len);
    case DeviceColumn::kTransparentBridge:
      return FromStd(
          TransparentBridgeText(record.ap_type, record.work_mode, record.bridge_transparent));
    case DeviceColumn::kTdma:
      return FromStd(TdmaText(record.ap_type, record.tdmaEn));
    case DeviceColumn::kUpTime:
      return FromStd(UpTimeText(record.up_time));
    case DeviceColumn::kSecureMode:
      return FromStd(SecureModeText(record.secure_mode));
    case DeviceColumn::kPower:
      return QString::number(record.tx_power);
    case DeviceColumn::kStatus:
      return FromStd(StatusText(record.ap_status));
    case DeviceColumn::kCheckBox:
    case DeviceColumn::kSerial:
    case DeviceColumn::kOperate:
      return QString();
  }
  return QString();
}
