#include "cli/device_json.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "store/device_text.h"
#include "util/text_encoding.h"

namespace {

// A text area of the record: its length byte counts, capped at the area.
std::string AreaText(const char* area, std::size_t size, uint8_t length) {
  return std::string(area, std::min<std::size_t>(length, size));
}

class ObjectWriter {
 public:
  void Number(std::string_view key, long long value) { Key(key) += std::to_string(value); }
  void Text(std::string_view key, std::string_view value) { Key(key) += JsonString(value); }
  void Raw(std::string_view key, std::string_view json) { Key(key) += json; }
  std::string Finish() { return text_ + "}"; }

 private:
  std::string& Key(std::string_view key) {
    text_ += text_.size() > 1 ? "," : "";
    text_ += JsonString(key);
    text_ += ":";
    return text_;
  }
  std::string text_ = "{";
};

}  // namespace

std::string JsonString(std::string_view text) {
  const std::string valid = DeviceTextToLocal(text, text.size() * 3 + 3);
  std::string json = "\"";
  for (const char c : valid) {
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

std::string DeviceJson(const ap_info_stu& d) {
  ObjectWriter o;
  o.Text("mac", std::string(d.mac, strnlen(d.mac, sizeof d.mac)));
  o.Number("ap_type", d.ap_type);
  o.Text("ap_type_str", ModelText(d.ap_type));
  o.Number("ap_status", d.ap_status);
  o.Text("ap_status_str", StatusText(d.ap_status));
  o.Number("work_mode", d.work_mode);
  o.Text("work_mode_str", WorkModeText(d.work_mode));
  o.Number("mode_btn_status", d.mode_btn_status);
  o.Number("up_time", d.up_time);
  o.Text("up_time_str", UpTimeText(d.up_time));
  o.Number("ip_mode", d.ip_mode);
  o.Number("ip_num", IpNumber(d.ip));
  o.Text("ip", IpText(d.ip));
  o.Text("ip_mask", IpText(d.ip_mask));
  o.Text("ip_gateway", IpText(d.ip_gateway));
  o.Text("ip_dns1", IpText(d.ip_dns1));
  o.Text("ip_dns2", IpText(d.ip_dns2));
  o.Text("ap_name", AreaText(d.ap_name, sizeof d.ap_name, d.ap_name_len));
  o.Text("version", AreaText(d.version, sizeof d.version, d.version_len));
  o.Number("restart_en", d.restart_en);
  o.Number("restart_type", d.restart_type);
  o.Number("restart_time", d.restart_time);
  o.Number("rf_count", d.rf_count);
  o.Number("rf_en", d.rf_en);
  o.Number("rf_type", d.rf_type);
  o.Number("country_code", d.country_code);
  o.Number("network_mode", d.network_mode);
  o.Number("bandwidth", d.bandwidth);
  o.Number("channel", d.channel);
  o.Number("expand_channel", d.expand_channel);
  o.Number("tx_power", d.tx_power);
  o.Number("tx_power_min", d.tx_power_min);
  o.Number("tx_power_max", d.tx_power_max);
  o.Number("ssid_count", d.ssid_count);
  o.Number("ssid_rf_type", d.ssid_rf_type);
  o.Number("ssid_id", d.ssid_id);
  o.Number("ssid_hide", d.ssid_hide);
  o.Text("ssid_mac", MacText(d.ssid_mac));
  o.Text("ssid", AreaText(d.ssid, sizeof d.ssid, d.ssid_len));
  o.Number("secure_mode", d.secure_mode);
  o.Text("secure_mode_str", SecureModeText(d.secure_mode));
  o.Number("wpapsk_auth_type", d.wpapsk_auth_type);
  o.Text("wpapsk_key_value",
         AreaText(d.wpapsk_key_value, sizeof d.wpapsk_key_value, d.wpapsk_key_value_len));
  o.Number("wpapsk_key_time", d.wpapsk_key_time);
  o.Number("wep_auth_type", d.wep_auth_type);
  o.Number("wep_key_index", d.wep_key_index);
  o.Text("wep_key_value0", AreaText(d.wep_key_value0, sizeof d.wep_key_value0, d.wep_key_value0_len));
  o.Number("wep_key_type0", d.wep_key_type0);
  o.Text("wep_key_value1", AreaText(d.wep_key_value1, sizeof d.wep_key_value1, d.wep_key_value1_len));
  o.Number("wep_key_type1", d.wep_key_type1);
  o.Text("wep_key_value2", AreaText(d.wep_key_value2, sizeof d.wep_key_value2, d.wep_key_value2_len));
  o.Number("wep_key_type2", d.wep_key_type2);
  o.Text("wep_key_value3", AreaText(d.wep_key_value3, sizeof d.wep_key_value3, d.wep_key_value3_len));
  o.Number("wep_key_type3", d.wep_key_type3);
  o.Number("wpa_auth_type", d.wpa_auth_type);
  o.Text("wpa_radius_ip", IpText(d.wpa_radius_ip));
  o.Number("wpa_radius_port", d.wpa_radius_port);
  o.Text("wpa_key", AreaText(d.wpa_key, sizeof d.wpa_key, d.wpa_key_len));
  o.Number("wpa_key_time", d.wpa_key_time);
  o.Number("bridge_work_mode", d.bridge_work_mode);
  o.Text("bridge_mac", MacText(d.bridge_mac));
  o.Number("bridge_channel", d.bridge_channel);
  o.Text("bridge_ssid", AreaText(d.bridge_ssid, sizeof d.bridge_ssid, d.bridge_ssid_len));
  o.Number("vlan_en", d.vlan_en);
  o.Number("vlan_id", d.vlan_id);
  o.Number("vlan_id_wlan", d.vlan_id_wlan);
  o.Number("vlan_id_lan", d.vlan_id_lan);
  o.Number("bridge_transparent", d.bridge_transparent);
  o.Text("bridge_transparent_str", TransparentBridgeText(d.ap_type, d.work_mode, d.bridge_transparent));
  o.Number("tdmaEn", d.tdmaEn);
  o.Text("tdmaEn_str", TdmaText(d.ap_type, d.tdmaEn));
  o.Number("vlan_pvid", d.vlan_pvid);
  o.Number("vlan_id_lan3", d.vlan_id_lan3);
  o.Number("vlan_id_lan4", d.vlan_id_lan4);
  return o.Finish();
}

std::string AdapterJson(const HostNicsInfo& adapter) {
  ObjectWriter o;
  o.Text("adapter_name", std::string(adapter.adapter_name, strnlen(adapter.adapter_name, sizeof adapter.adapter_name)));
  o.Text("description", std::string(adapter.description, strnlen(adapter.description, sizeof adapter.description)));
  o.Text("hardware_address", MacText(adapter.hardware_address));
  std::string addresses = "[";
  const int count = std::clamp(adapter.address_count, 0, kHostNicMaxAddresses);
  for (int i = 0; i < count; ++i) {
    const HostNicAddress& a = adapter.addresses[i];
    ObjectWriter address;
    address.Text("ip", std::string(a.ip, strnlen(a.ip, sizeof a.ip)));
    address.Text("mask", std::string(a.mask, strnlen(a.mask, sizeof a.mask)));
    address.Text("gateway", std::string(a.gateway, strnlen(a.gateway, sizeof a.gateway)));
    addresses += (i > 0 ? "," : "") + address.Finish();
  }
  o.Raw("addresses", addresses + "]");
  o.Text("dns1", std::string(adapter.dns1, strnlen(adapter.dns1, sizeof adapter.dns1)));
  o.Text("dns2", std::string(adapter.dns2, strnlen(adapter.dns2, sizeof adapter.dns2)));
  return o.Finish();
}

std::string ScanEntryJson(const ScanEntry& entry) {
  ObjectWriter o;
  o.Text("mac", MacText(entry.mac));
  o.Text("ssid", std::string(entry.ssid, std::min<std::size_t>(entry.ssid_len, sizeof entry.ssid)));
  o.Number("signal", entry.signal);
  o.Number("channel", entry.channel);
  o.Number("secure_mode", entry.secure_mode);
  o.Text("secure_mode_str", SecureModeText(entry.secure_mode));
  o.Number("exchannel", entry.exchannel);
  o.Number("bandwidth", entry.bandwidth);
  return o.Finish();
}
