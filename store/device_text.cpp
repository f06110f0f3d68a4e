#include "store/device_text.h"

#include <cstdio>

#include "i18n/language.h"

namespace {

struct ModelName {
  uint16_t code;
  const char* name;
};

constexpr ModelName kModels[] = {
    {1, "KT100"},   {2, "KT200"},   {3, "KT300"},  {4, "KT400"},  {5, "KT500"},  {6, "KT600"},
    {7, "KT700"},   {8, "KT800"},   {9, "KT900"},  {10, "KT1000"}, {11, "KT1100"},
    {257, "LM10"},  {258, "LM20"},  {259, "LM30"}, {260, "LM40"}, {261, "LM50"}, {262, "LM60"},
    {263, "LM70"},  {264, "LM80"},  {265, "LM90"}, {266, "LM100"}, {267, "LM110"},
};

std::string Translated(const char* key) { return TranslateText(key); }

std::string OnOffText(int on) { return Translated(on != 0 ? "On2" : "Off2"); }

// scanf's "%d" on one field: blanks, an optional sign, digits. Returns false
// when no digit is there.
bool ScanDecimal(std::string_view text, std::size_t& pos, long& value) {
  while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t start = pos;
  unsigned long magnitude = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    magnitude = magnitude * 10 + static_cast<unsigned long>(text[pos] - '0');
    if (magnitude > 0xffffffffUL) magnitude = 0xffffffffUL;
    ++pos;
  }
  if (pos == start) return false;
  value = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// scanf's "%02x" on one field: blanks, an optional "0x" prefix is not part of
// a two-digit field, so at most two hexadecimal digits.
bool ScanHexByte(std::string_view text, std::size_t& pos, uint8_t& value) {
  while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
  int digits = 0;
  unsigned v = 0;
  while (digits < 2 && pos < text.size() && HexDigit(text[pos]) >= 0) {
    v = v * 16 + static_cast<unsigned>(HexDigit(text[pos]));
    ++pos;
    ++digits;
  }
  if (digits == 0) return false;
  value = static_cast<uint8_t>(v);
  return true;
}

}  // namespace

std::string ModelText(uint16_t code) {
  for (const ModelName& model : kModels) {
    if (model.code == code) return model.name;
  }
  return kModels[0].name;
}

uint16_t ModelCode(std::string_view name) {
  for (const ModelName& model : kModels) {
    if (name == model.name) return model.code;
  }
  return kModels[0].code;
}

bool IsStrictNameModel(uint16_t code) { return code == 4 || code == 261; }

bool HasTdmaSwitch(uint16_t code) {
  switch (code) {
    case 6: case 8: case 9: case 10: case 11: case 265: case 266: case 267: return true;
    default: return false;
  }
}

bool HasTransparentBridgeSwitch(uint16_t code) { return !IsStrictNameModel(code); }

std::string StatusText(int code) {
  static constexpr const char* kTexts[] = {
      "Outline",  "Online",       "Bridge success", "Bridge fail",     "Restarting",
      "Reseting", "Upgrade wait", "Upgrading",      "Upgrade success", "Upgrade fail",
  };
  if (code < 0 || code >= static_cast<int>(std::size(kTexts))) return {};
  return Translated(kTexts[code]);
}

std::string WorkModeText(int code) {
  static constexpr const char* kTexts[] = {
      "AP", "Station", "Universal Repeater", "Repeater", "P2MP", "WISP", "Router",
  };
  if (code < 1 || code > static_cast<int>(std::size(kTexts))) return {};
  return Translated(kTexts[code - 1]);
}

std::string SecureModeText(int code) {
  static constexpr const char* kTexts[] = {
      "Disable", "WEP", "WPA_PSK", "WPA2_PSK", "WPAWPA2_PSK", "WPA", "WPA2",
  };
  if (code < 0 || code >= static_cast<int>(std::size(kTexts))) return {};
  return Translated(kTexts[code]);
}

std::string ChannelText(int channel) {
  if (channel == 0) return Translated("Auto");
  return std::to_string(channel);
}

std::string UpTimeText(uint32_t seconds) {
  char text[48];
  const uint32_t days = seconds / 86400;
  const uint32_t hours = (seconds / 3600) % 24;
  const uint32_t minutes = (seconds / 60) % 60;
  const uint32_t secs = seconds % 60;
  if (days != 0) {
    std::snprintf(text, sizeof text, "%u %u:%u:%u", days, hours, minutes, secs);
  } else {
    std::snprintf(text, sizeof text, "%u:%u:%u", hours, minutes, secs);
  }
  return text;
}

std::string TransparentBridgeText(uint16_t model, int workMode, int on) {
  if (!HasTransparentBridgeSwitch(model) || (workMode >= 4 && workMode <= 7)) {
    return kNotApplicableText;
  }
  return OnOffText(on);
}

std::string TdmaText(uint16_t model, int on) {
  if (!HasTdmaSwitch(model)) return kNotApplicableText;
  return OnOffText(on);
}

std::string IpText(const uint8_t ip[4]) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
  return text;
}

IpBytes ParseIpText(std::string_view text) {
  IpBytes ip{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < ip.size(); ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') break;
      ++pos;
    }
    long value = 0;
    if (!ScanDecimal(text, pos, value)) break;
    ip[i] = static_cast<uint8_t>(value & 0xff);
  }
  return ip;
}

std::string MacText(const uint8_t mac[6]) {
  char text[18];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                mac[3], mac[4], mac[5]);
  return text;
}

MacBytes ParseMacText(std::string_view text) {
  MacBytes mac{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < mac.size(); ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != ':') break;
      ++pos;
    }
    if (!ScanHexByte(text, pos, mac[i])) break;
  }
  return mac;
}

uint32_t IpNumber(const uint8_t ip[4]) {
  return static_cast<uint32_t>(ip[0]) | (static_cast<uint32_t>(ip[1]) << 8) |
         (static_cast<uint32_t>(ip[2]) << 16) | (static_cast<uint32_t>(ip[3]) << 24);
}
