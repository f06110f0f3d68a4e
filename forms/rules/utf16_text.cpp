#include "forms/rules/utf16_text.h"

#include "util/utf8.h"

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char decoded = DecodeUtf8Char(utf8, pos);
    const char32_t codePoint = decoded.status == Utf8Status::kValid ? decoded.codePoint : 0xFFFD;
    if (codePoint < 0x10000) {
      out.push_back(static_cast<char16_t>(codePoint));
    } else {
      const char32_t offset = codePoint - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
    }
    pos += decoded.length;
  }
  return out;
}
