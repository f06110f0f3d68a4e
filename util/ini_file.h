#pragma once
// Reading and writing INI files with the semantics of the Windows private-profile
// functions: sections and keys compare case-insensitively, the first occurrence
// wins, blanks around keys and values are trimmed and one pair of surrounding
// quotes is removed from a value. Files may be UTF-8 (with or without BOM) or
// UTF-16LE with BOM; values come back as UTF-8.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The value of the key, at most maxChars characters, or the default when the
// file, the section or the key is missing. A key with an empty value gives "".
std::string ReadIniString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue,
                          std::size_t maxChars);

class IniDocument;

// The whole file, for readers that look up many keys in one file (the language
// file); nullptr when it cannot be read. Later changes to the file do not
// reach a document already loaded.
std::shared_ptr<const IniDocument> LoadIniDocument(const std::filesystem::path& file);

// Sets the key's value, adding the section or the key when missing and keeping
// every other line; the file is written in its own encoding (UTF-8 when new).
bool WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const std::filesystem::path& file);
