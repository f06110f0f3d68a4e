#include "forms/rules/text_rules.h"

#include <climits>
#include <cstdint>

#include "util/text_encoding.h"

namespace {

constexpr std::size_t kMaxNameBytes = 32;

bool IsLetterOrDigit(char16_t unit) {
  return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
         (unit >= u'0' && unit <= u'9');
}

bool IsStrictPunctuation(char16_t unit) {
  return std::u16string_view(u"!#$%&()*+-./<=>?@^_~").find(unit) != std::u16string_view::npos;
}

bool IsHexDigit(char16_t unit) {
  return (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
         (unit >= u'A' && unit <= u'F');
}

bool IsCBlank(char16_t unit) { return unit == u' ' || (unit >= u'\t' && unit <= u'\r'); }

}  // namespace

bool IsStrictName(std::u16string_view text) {
  for (char16_t unit : text) {
    if (!IsLetterOrDigit(unit) && !IsStrictPunctuation(unit) && !IsCjkCharacter(unit)) return false;
  }
  return ByteLength(text) <= kMaxNameBytes;
}

bool IsChineseOrAsciiName(std::u16string_view text) {
  for (char16_t unit : text) {
    if ((unit == 0 || unit > 0x7F) && !IsCjkCharacter(unit)) return false;
  }
  return ByteLength(text) <= kMaxNameBytes;
}

bool IsAllHexDigits(std::u16string_view text) {
  for (char16_t unit : text) {
    if (!IsHexDigit(unit)) return false;
  }
  return true;
}

bool IsAllAscii(std::u16string_view text) {
  for (char16_t unit : text) {
    if (unit > 0x7F) return false;
  }
  return true;
}

std::size_t ByteLength(std::u16string_view text) {
  std::size_t bytes = 0;
  for (char16_t unit : text) bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
  return bytes;
}

int LeadingDecimalValue(std::u16string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsCBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
    negative = text[pos] == u'-';
    ++pos;
  }
  // One beyond INT_MAX so that INT_MIN is reachable.
  constexpr int64_t kLimit = int64_t{INT_MAX} + 1;
  int64_t magnitude = 0;
  for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
    magnitude = magnitude * 10 + (text[pos] - u'0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}
