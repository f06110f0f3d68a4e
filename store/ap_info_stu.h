#pragma once
// The Device record: everything the program knows about one device, in the byte
// layout of the device's full report (the report payload starts at offset 24).
// It is copied by value between the engine, the store, the pages and the forms;
// command payloads are slices of it, so the unnamed areas are carried unchanged.

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Text areas hold UTF-8 (the local code page on Linux), not terminated, each
// followed by its length byte. Integers are little-endian, as on the wire.
struct __attribute__((packed)) ap_info_stu {
  char mac[18];  // MAC text, zero-terminated: the record's key
  uint16_t ap_type;
  int32_t ap_status;
  uint8_t work_mode;
  uint8_t mode_btn_status;
  uint8_t unnamed_26[2];
  uint32_t up_time;
  // IP block: ip_mode .. restart flag, sent whole by set_ip.
  uint8_t ip_mode;
  uint8_t ip[4];
  uint8_t ip_mask[4];
  uint8_t ip_gateway[4];
  uint8_t ip_dns1[4];
  uint8_t ip_dns2[4];
  uint8_t restart_flag;  // last byte of the IP block; never stored
  char ap_name[32];
  uint8_t ap_name_len;
  char version[32];
  uint8_t version_len;
  uint8_t restart_en;
  uint8_t restart_type;
  uint16_t restart_time;
  uint8_t rf_count;
  uint8_t rf_en;
  uint8_t rf_type;
  uint8_t country_code;
  uint8_t network_mode;
  uint8_t bandwidth;
  uint8_t channel;
  uint8_t expand_channel;
  uint8_t tx_power;
  uint8_t tx_power_min;
  uint8_t tx_power_max;
  uint8_t unnamed_135[11];
  uint8_t ssid_rf_type;
  uint8_t ssid_id;
  uint8_t ssid_hide;
  uint8_t ssid_mac[6];
  char ssid[32];
  uint8_t ssid_len;
  // Security block: secure_mode .. wpa_key_time.
  uint8_t secure_mode;
  uint8_t wpapsk_auth_type;
  char wpapsk_key_value[64];
  uint8_t wpapsk_key_value_len;
  uint32_t wpapsk_key_time;
  uint8_t wep_auth_type;
  uint8_t wep_key_index;
  uint8_t wep_key_type0;
  char wep_key_value0[26];
  uint8_t wep_key_value0_len;
  uint8_t wep_key_type1;
  char wep_key_value1[26];
  uint8_t wep_key_value1_len;
  uint8_t wep_key_type2;
  char wep_key_value2[26];
  uint8_t wep_key_value2_len;
  uint8_t wep_key_type3;
  char wep_key_value3[26];
  uint8_t wep_key_value3_len;
  uint8_t unnamed_373;
  uint8_t wpa_radius_ip[4];
  uint16_t wpa_radius_port;
  uint8_t wpa_auth_type;
  char wpa_key[64];
  uint8_t wpa_key_len;
  uint32_t wpa_key_time;
  uint8_t ssid_count;
  uint8_t unnamed_451;
  uint8_t bridge_work_mode;
  uint8_t bridge_mac[6];
  uint8_t bridge_channel;
  char bridge_ssid[32];
  uint8_t bridge_ssid_len;
  // Security settings of the bridge link, laid out as offsets 188..450 above.
  uint8_t bridge_security[263];
  uint8_t vlan_en;
  uint8_t unnamed_757;
  uint16_t vlan_id;
  uint16_t vlan_id_wlan;
  uint16_t vlan_id_lan;
  uint16_t unnamed_764;
  uint8_t bridge_transparent;
  uint8_t tdmaEn;
  uint16_t vlan_pvid;
  uint16_t vlan_id_lan3;
  uint16_t vlan_id_lan4;
  uint8_t unnamed_774[6];
};

inline constexpr std::size_t kDeviceRecordSize = 780;
// The full report payload is the record from this offset on.
inline constexpr std::size_t kReportPayloadOffset = 24;
inline constexpr std::size_t kReportPayloadMax = kDeviceRecordSize - kReportPayloadOffset;

static_assert(std::is_trivially_copyable_v<ap_info_stu>);
static_assert(std::is_standard_layout_v<ap_info_stu>);
static_assert(sizeof(ap_info_stu) == kDeviceRecordSize);
static_assert(offsetof(ap_info_stu, mac) == 0);
static_assert(offsetof(ap_info_stu, ap_type) == 18);
static_assert(offsetof(ap_info_stu, ap_status) == 20);
static_assert(offsetof(ap_info_stu, work_mode) == 24);
static_assert(offsetof(ap_info_stu, mode_btn_status) == 25);
static_assert(offsetof(ap_info_stu, up_time) == 28);
static_assert(offsetof(ap_info_stu, ip_mode) == 32);
static_assert(offsetof(ap_info_stu, ip) == 33);
static_assert(offsetof(ap_info_stu, ip_mask) == 37);
static_assert(offsetof(ap_info_stu, ip_gateway) == 41);
static_assert(offsetof(ap_info_stu, ip_dns1) == 45);
static_assert(offsetof(ap_info_stu, ip_dns2) == 49);
static_assert(offsetof(ap_info_stu, restart_flag) == 53);
static_assert(offsetof(ap_info_stu, ap_name) == 54);
static_assert(offsetof(ap_info_stu, ap_name_len) == 86);
static_assert(offsetof(ap_info_stu, version) == 87);
static_assert(offsetof(ap_info_stu, version_len) == 119);
static_assert(offsetof(ap_info_stu, restart_en) == 120);
static_assert(offsetof(ap_info_stu, restart_type) == 121);
static_assert(offsetof(ap_info_stu, restart_time) == 122);
static_assert(offsetof(ap_info_stu, rf_count) == 124);
static_assert(offsetof(ap_info_stu, rf_en) == 125);
static_assert(offsetof(ap_info_stu, rf_type) == 126);
static_assert(offsetof(ap_info_stu, country_code) == 127);
static_assert(offsetof(ap_info_stu, network_mode) == 128);
static_assert(offsetof(ap_info_stu, bandwidth) == 129);
static_assert(offsetof(ap_info_stu, channel) == 130);
static_assert(offsetof(ap_info_stu, expand_channel) == 131);
static_assert(offsetof(ap_info_stu, tx_power) == 132);
static_assert(offsetof(ap_info_stu, tx_power_min) == 133);
static_assert(offsetof(ap_info_stu, tx_power_max) == 134);
static_assert(offsetof(ap_info_stu, ssid_rf_type) == 146);
static_assert(offsetof(ap_info_stu, ssid_id) == 147);
static_assert(offsetof(ap_info_stu, ssid_hide) == 148);
static_assert(offsetof(ap_info_stu, ssid_mac) == 149);
static_assert(offsetof(ap_info_stu, ssid) == 155);
static_assert(offsetof(ap_info_stu, ssid_len) == 187);
static_assert(offsetof(ap_info_stu, secure_mode) == 188);
static_assert(offsetof(ap_info_stu, wpapsk_auth_type) == 189);
static_assert(offsetof(ap_info_stu, wpapsk_key_value) == 190);
static_assert(offsetof(ap_info_stu, wpapsk_key_value_len) == 254);
static_assert(offsetof(ap_info_stu, wpapsk_key_time) == 255);
static_assert(offsetof(ap_info_stu, wep_auth_type) == 259);
static_assert(offsetof(ap_info_stu, wep_key_index) == 260);
static_assert(offsetof(ap_info_stu, wep_key_type0) == 261);
static_assert(offsetof(ap_info_stu, wep_key_value0) == 262);
static_assert(offsetof(ap_info_stu, wep_key_value0_len) == 288);
static_assert(offsetof(ap_info_stu, wep_key_type1) == 289);
static_assert(offsetof(ap_info_stu, wep_key_value1) == 290);
static_assert(offsetof(ap_info_stu, wep_key_value1_len) == 316);
static_assert(offsetof(ap_info_stu, wep_key_type2) == 317);
static_assert(offsetof(ap_info_stu, wep_key_value2) == 318);
static_assert(offsetof(ap_info_stu, wep_key_value2_len) == 344);
static_assert(offsetof(ap_info_stu, wep_key_type3) == 345);
static_assert(offsetof(ap_info_stu, wep_key_value3) == 346);
static_assert(offsetof(ap_info_stu, wep_key_value3_len) == 372);
static_assert(offsetof(ap_info_stu, wpa_radius_ip) == 374);
static_assert(offsetof(ap_info_stu, wpa_radius_port) == 378);
static_assert(offsetof(ap_info_stu, wpa_auth_type) == 380);
static_assert(offsetof(ap_info_stu, wpa_key) == 381);
static_assert(offsetof(ap_info_stu, wpa_key_len) == 445);
static_assert(offsetof(ap_info_stu, wpa_key_time) == 446);
static_assert(offsetof(ap_info_stu, ssid_count) == 450);
static_assert(offsetof(ap_info_stu, bridge_work_mode) == 452);
static_assert(offsetof(ap_info_stu, bridge_mac) == 453);
static_assert(offsetof(ap_info_stu, bridge_channel) == 459);
static_assert(offsetof(ap_info_stu, bridge_ssid) == 460);
static_assert(offsetof(ap_info_stu, bridge_ssid_len) == 492);
static_assert(offsetof(ap_info_stu, bridge_security) == 493);
static_assert(offsetof(ap_info_stu, vlan_en) == 756);
static_assert(offsetof(ap_info_stu, vlan_id) == 758);
static_assert(offsetof(ap_info_stu, vlan_id_wlan) == 760);
static_assert(offsetof(ap_info_stu, vlan_id_lan) == 762);
static_assert(offsetof(ap_info_stu, bridge_transparent) == 766);
static_assert(offsetof(ap_info_stu, tdmaEn) == 767);
static_assert(offsetof(ap_info_stu, vlan_pvid) == 768);
static_assert(offsetof(ap_info_stu, vlan_id_lan3) == 770);
static_assert(offsetof(ap_info_stu, vlan_id_lan4) == 772);
