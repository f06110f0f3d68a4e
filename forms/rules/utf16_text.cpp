#include "forms/rules/utf16_text.h"

#include <cstdint>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(std::u16string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
    return;
  }
  const char32_t offset = codePoint - 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[pos]);
    if (lead < 0x80) {
      out.push_back(lead);
      ++pos;
      continue;
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length != 0 && pos + length <= utf8.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
      const auto byte = static_cast<unsigned char>(utf8[pos + i]);
      valid = IsContinuation(byte);
      codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    // Overlong forms, encoded surrogates and values above U+10FFFF are not text.
    valid = valid && codePoint >= minimum && codePoint <= 0x10FFFF &&
            !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
    if (valid) {
      AppendCodePoint(out, codePoint);
      pos += length;
    } else {
      out.push_back(kReplacement);
      ++pos;
    }
  }
  return out;
}
