#include "util/ini_document.h"

#include <unordered_set>
#include <vector>

#include "util/utf8.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Simple case folding of the scripts whose names are likely in these files:
// ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals.
char32_t FoldCase(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 0x20;
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x100 && c <= 0x137 && c % 2 == 0) return c + 1;
  if (c >= 0x139 && c <= 0x148 && c % 2 == 1) return c + 1;
  if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return c + 1;
  if (c == 0x178) return 0xFF;
  if ((c == 0x179 || c == 0x17B || c == 0x17D)) return c + 1;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  return c;
}

std::string FoldName(std::string_view name) {
  name = Trim(name);
  std::string folded;
  folded.reserve(name.size());
  for (std::size_t pos = 0; pos < name.size();) {
    const Utf8Char decoded = DecodeUtf8Char(name, pos);
    if (decoded.codePoint < 0x80)
      folded += static_cast<char>(FoldCase(decoded.codePoint));
    else
      AppendUtf8(folded, FoldCase(decoded.codePoint));
    pos += decoded.length;
  }
  return folded;
}

std::string LookupKey(std::string_view section, std::string_view key) {
  std::string folded = FoldName(section);
  folded += '\n';
  folded += FoldName(key);
  return folded;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasSurroundingQuotes(std::string_view value) {
  return value.size() > 1 && IsQuote(value.front()) && value.back() == value.front();
}

std::string_view Unquote(std::string_view value) {
  if (HasSurroundingQuotes(value)) return value.substr(1, value.size() - 2);
  return value;
}

enum class LineKind { kOther, kSection, kKey };

struct ParsedLine {
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section or key, trimmed
  std::string_view value;  // trimmed, quotes kept
};

// One line without its line break. Lines starting with ';' are comments; a
// line starting with '[' is a section header when it has a closing ']' (the
// last one counts), and is ignored otherwise.
ParsedLine ParseLine(std::string_view line) {
  line = Trim(line);
  ParsedLine parsed;
  if (line.empty() || line.front() == ';') return parsed;
  if (line.front() == '[') {
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0) return parsed;
    parsed.kind = LineKind::kSection;
    parsed.name = Trim(line.substr(1, close - 1));
    return parsed;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = LineKind::kKey;
  parsed.name = Trim(line.substr(0, equals));
  parsed.value = Trim(line.substr(equals + 1));
  return parsed;
}

struct Line {
  std::string_view content;  // without the line break
  std::size_t end;           // offset just after the line break (or the text's end)
  bool hasBreak;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    if (newline == std::string_view::npos) {
      lines.push_back({text.substr(start), text.size(), false});
      break;
    }
    std::string_view content = text.substr(start, newline - start);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    lines.push_back({content, newline + 1, true});
    start = newline + 1;
  }
  return lines;
}

bool WritableName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

IniText DecodeIniBytes(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LeBom))
    return {IniEncoding::kUtf16LeWithBom, Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size()))};
  if (bytes.starts_with(kUtf8Bom))
    return {IniEncoding::kUtf8WithBom, std::string(bytes.substr(kUtf8Bom.size()))};
  return {IniEncoding::kUtf8, std::string(bytes)};
}

std::string EncodeIniText(const IniText& text) {
  switch (text.encoding) {
    case IniEncoding::kUtf16LeWithBom:
      return std::string(kUtf16LeBom) + Utf8ToUtf16Le(text.text);
    case IniEncoding::kUtf8WithBom:
      return std::string(kUtf8Bom) + text.text;
    case IniEncoding::kUtf8:
      break;
  }
  return text.text;
}

IniDocument::IniDocument(std::string_view utf8Text) {
  const std::string text = RepairUtf8(utf8Text);
  std::unordered_set<std::string> seenSections;
  std::string currentSection;
  bool inSection = false;  // false before the first header and inside a repeated section
  for (const Line& line : SplitLines(text)) {
    const ParsedLine parsed = ParseLine(line.content);
    if (parsed.kind == LineKind::kSection) {
      currentSection = FoldName(parsed.name);
      inSection = seenSections.insert(currentSection).second;
    } else if (parsed.kind == LineKind::kKey && inSection) {
      std::string lookup = currentSection;
      lookup += '\n';
      lookup += FoldName(parsed.name);
      values_.try_emplace(std::move(lookup), Unquote(parsed.value));
    }
  }
}

const std::string* IniDocument::Find(std::string_view section, std::string_view key) const {
  const auto found = values_.find(LookupKey(section, key));
  return found == values_.end() ? nullptr : &found->second;
}

std::optional<std::string> SetIniValue(std::string_view utf8Text, std::string_view sectionText,
                                       std::string_view keyText, std::string_view valueText) {
  const std::string sectionName = RepairUtf8(Trim(sectionText));
  const std::string keyName = RepairUtf8(Trim(keyText));
  const std::string value = RepairUtf8(valueText);
  const std::string_view section = sectionName;
  const std::string_view key = keyName;
  if (!WritableName(section) || !WritableName(key) || !WritableName(value)) return std::nullopt;
  if (key.empty() || key.front() == '[' || key.front() == ';' ||
      key.find('=') != std::string_view::npos)
    return std::nullopt;

  // Quoting keeps blanks at the ends and a quoted value intact when read back.
  std::string written = value;
  if (Trim(value).size() != value.size() || HasSurroundingQuotes(value))
    written = "\"" + written + "\"";

  const std::string_view lineBreak =
      utf8Text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  const std::string wantedSection = FoldName(section);
  const std::string wantedKey = FoldName(key);

  const std::vector<Line> lines = SplitLines(utf8Text);
  bool inTarget = false;
  bool sectionFound = false;
  std::size_t insertAfter = 0;  // index + 1 of the section's last non-blank line
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ParsedLine parsed = ParseLine(lines[i].content);
    if (parsed.kind == LineKind::kSection) {
      if (inTarget) break;
      if (!sectionFound && FoldName(parsed.name) == wantedSection) {
        inTarget = sectionFound = true;
        insertAfter = i + 1;
      }
    } else if (inTarget) {
      if (parsed.kind == LineKind::kKey && FoldName(parsed.name) == wantedKey) {
        std::string result(utf8Text.substr(0, lineStart));
        result.append(parsed.name);
        result += '=';
        result += written;
        result.append(utf8Text.substr(lineStart + lines[i].content.size()));
        return result;
      }
      if (!Trim(lines[i].content).empty()) insertAfter = i + 1;
    }
    lineStart = lines[i].end;
  }

  const std::string keyLine = std::string(key) + "=" + written;
  if (sectionFound) {
    const Line& previous = lines[insertAfter - 1];
    std::string result(utf8Text.substr(0, previous.end));
    if (!previous.hasBreak) result += lineBreak;
    result += keyLine;
    result += lineBreak;
    result.append(utf8Text.substr(previous.end));
    return result;
  }

  std::string result(utf8Text);
  if (!lines.empty()) {
    if (!lines.back().hasBreak) result += lineBreak;
    if (!Trim(lines.back().content).empty()) result += lineBreak;
  }
  result += "[";
  result.append(section);
  result += "]";
  result += lineBreak;
  result += keyLine;
  result += lineBreak;
  return result;
}
