#pragma once
// The in-memory side of the INI reader and writer: decoding a file's bytes,
// looking keys up and editing one key while keeping every other line.
// Immutable after parsing, so a parsed document may be shared between threads.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

enum class IniEncoding { kUtf8, kUtf8WithBom, kUtf16LeWithBom };

struct IniText {
  IniEncoding encoding = IniEncoding::kUtf8;
  std::string text;  // UTF-8; for a UTF-8 file the bytes as they are, unrepaired
};

IniText DecodeIniBytes(std::string_view bytes);
std::string EncodeIniText(const IniText& text);

class IniDocument {
 public:
  explicit IniDocument(std::string_view utf8Text);

  // The value (trimmed, one pair of surrounding quotes removed), or nullptr
  // when the section or the key is missing. Only the first section of a name
  // is searched, and the first occurrence of a key in it wins.
  const std::string* Find(std::string_view section, std::string_view key) const;

 private:
  std::unordered_map<std::string, std::string> values_;  // folded "section\nkey" -> value
};

// The text with the key of the section set to value: the first such key line
// is rewritten, or a line is added at the end of the first such section, or
// the section is appended. nullopt when a name or the value cannot be written
// as one line (line breaks, NUL, '=' or a leading '[' or ';' in the key, an
// empty key).
std::optional<std::string> SetIniValue(std::string_view utf8Text, std::string_view section,
                                       std::string_view key, std::string_view value);
