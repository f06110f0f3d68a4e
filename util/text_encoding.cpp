#include "util/text_encoding.h"

#include <algorithm>

#include "util/utf8.h"

namespace {

bool IsAscii(std::string_view text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return (static_cast<unsigned char>(c) & 0x80) != 0; });
}

}  // namespace

std::string DeviceTextToLocal(std::string_view deviceText, std::size_t maxBytes) {
  if (IsAscii(deviceText)) return std::string(CutAtCharacterBoundary(deviceText, maxBytes));

  std::string local;
  local.reserve(deviceText.size());
  for (std::size_t pos = 0; pos < deviceText.size();) {
    const Utf8Char decoded = DecodeUtf8Char(deviceText, pos);
    switch (decoded.status) {
      case Utf8Status::kValid:
        local.append(deviceText.substr(pos, decoded.length));
        break;
      case Utf8Status::kInvalid:
        AppendUtf8(local, 0xFFFD);
        break;
      case Utf8Status::kTruncated:
        // The device cut its text inside the last character: drop the rest of it.
        break;
    }
    pos += decoded.length;
  }
  return std::string(CutAtCharacterBoundary(local, maxBytes));
}

std::string LocalTextToDevice(std::string_view localText) { return RepairUtf8(localText); }

bool IsCjkCharacter(char32_t character) {
  if (character >= 0x4E00 && character <= 0x9FA5) return true;
  if (character >= 0x3008 && character <= 0x3011) return true;
  switch (character) {
    case 0x00B7:
    case 0x2014:
    case 0x2018:
    case 0x2019:
    case 0x201C:
    case 0x201D:
    case 0x2026:
    case 0x3001:
    case 0x3002:
    case 0x3014:
    case 0x3015:
    case 0xFE43:
    case 0xFE44:
    case 0xFE4F:
    case 0xFF01:
    case 0xFF08:
    case 0xFF09:
    case 0xFF0C:
    case 0xFF1A:
    case 0xFF1B:
    case 0xFF1F:
    case 0xFF5E:
    case 0xFFE5:
      return true;
    default:
      return false;
  }
}

std::size_t CountCjkCharacters(std::string_view utf8Text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < utf8Text.size();) {
    const Utf8Char decoded = DecodeUtf8Char(utf8Text, pos);
    if (decoded.status == Utf8Status::kValid && IsCjkCharacter(decoded.codePoint)) ++count;
    pos += decoded.length;
  }
  return count;
}

std::string_view CutAtCharacterBoundary(std::string_view utf8Text, std::size_t maxBytes) {
  if (utf8Text.size() <= maxBytes) return utf8Text;
  // Walk whole characters (an invalid byte counts as one) so that a cut never
  // lands inside a valid sequence.
  std::size_t pos = 0;
  while (pos < utf8Text.size()) {
    const std::size_t length = DecodeUtf8Char(utf8Text, pos).length;
    if (pos + length > maxBytes) break;
    pos += length;
  }
  return utf8Text.substr(0, pos);
}
