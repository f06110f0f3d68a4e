#pragma once
// UTF-8 and UTF-16LE primitives shared by the INI reader and the device text
// conversions. Pure functions; any thread may call them.

#include <cstddef>
#include <string>
#include <string_view>

enum class Utf8Status {
  kValid,
  kInvalid,    // a byte that cannot start or continue a character here
  kTruncated,  // a valid beginning of a character that the text's end cuts off
};

struct Utf8Char {
  char32_t codePoint;
  std::size_t length;  // bytes consumed; for an invalid sequence its maximal valid prefix (>= 1)
  Utf8Status status;
};

// Decodes the character at pos (pos < text.size()), rejecting overlong forms,
// surrogates and values above U+10FFFF.
Utf8Char DecodeUtf8Char(std::string_view text, std::size_t pos);

void AppendUtf8(std::string& out, char32_t codePoint);

// Every invalid or truncated sequence replaced by U+FFFD.
std::string RepairUtf8(std::string_view text);
bool IsValidUtf8(std::string_view text);

// UTF-16LE bytes (without BOM) to UTF-8; unpaired surrogates and an odd last
// byte become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// UTF-8 to UTF-16LE bytes (without BOM); invalid sequences become U+FFFD.
std::string Utf8ToUtf16Le(std::string_view text);

// The longest prefix of a valid UTF-8 text that takes at most maxUnits UTF-16
// code units, never splitting a character.
std::string_view CutToUtf16Units(std::string_view text, std::size_t maxUnits);
