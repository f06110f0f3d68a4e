#include "settings/setting_values.h"

#include <limits>

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::size_t SplitFields(std::string_view text, std::vector<std::string>& fields) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char first = text[pos];
    if (first == '"' || first == '\'') {
      std::size_t close = pos + 1;
      while (close < text.size() && !(text[close] == first && text[close - 1] != '\\')) ++close;
      if (close >= text.size()) {
        fields.emplace_back(text.substr(pos + 1));
        break;
      }
      fields.emplace_back(text.substr(pos + 1, close - pos - 1));
      const std::size_t comma = text.find(',', close + 1);
      if (comma == std::string_view::npos) break;
      pos = comma + 1;
      continue;
    }
    const std::size_t comma = text.find(',', pos);
    if (comma == std::string_view::npos) {
      fields.emplace_back(text.substr(pos));  // not empty: pos < size
      break;
    }
    fields.emplace_back(text.substr(pos, comma - pos));
    pos = comma + 1;
  }
  return fields.size();
}

int ParseInteger(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
  long long magnitude = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
    if (magnitude < kLimit) magnitude = magnitude * 10 + (text[pos] - '0');
  if (magnitude > kLimit) magnitude = kLimit;
  const long long value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  return static_cast<int>(value);
}

bool ParseColour(std::string_view text, Colour& colour) {
  std::vector<std::string> fields;
  if (SplitFields(text, fields) != 3) return false;
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    parts[i] = ParseInteger(fields[static_cast<std::size_t>(i)]);
    if (parts[i] < 0 || parts[i] > 255) return false;
  }
  colour = {static_cast<uint8_t>(parts[0]), static_cast<uint8_t>(parts[1]),
            static_cast<uint8_t>(parts[2])};
  return true;
}
