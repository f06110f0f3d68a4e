// Arbitrary bytes as an INI or language file: decoding, parsing, lookups, the
// character cap and a one-key edit. An edited key must read back as written,
// and a UTF-8 file must re-encode to its own bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "util/ini_document.h"
#include "util/utf8.h"

namespace {

// The key of the first "name=value" line, looked up as the language lookup
// does it; a capped value must stay a valid prefix.
void LookUpFirstKey(const IniDocument& document, std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return;
  const std::size_t lineBreak = text.rfind('\n', equals);
  const std::size_t start = lineBreak == std::string_view::npos ? 0 : lineBreak + 1;
  const std::string* value = document.Find("ProgramOutStr", text.substr(start, equals - start));
  if (value == nullptr) return;
  const std::string_view capped = CutToUtf16Units(*value, 7);
  if (!value->starts_with(capped) || !IsValidUtf8(capped)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const IniText decoded = DecodeIniBytes(bytes);
  if (decoded.encoding != IniEncoding::kUtf16LeWithBom && EncodeIniText(decoded) != bytes)
    std::abort();

  const IniDocument document(decoded.text);
  for (std::string_view section : {"LCID", "ProgramOutStr", "Color", ""})
    for (std::string_view key : {"2052", "device status", "ChildBkColor", ""})
      if (const std::string* value = document.Find(section, key))
        if (!IsValidUtf8(*value)) std::abort();
  LookUpFirstKey(document, decoded.text);

  // The edit takes its section, key and value from the first bytes.
  if (size < 3) return 0;
  const std::size_t sectionLength = data[0] % 8, keyLength = data[1] % 8 + 1;
  const std::size_t valueLength = data[2] % 16;
  const std::string_view rest = bytes.substr(3);
  if (rest.size() < sectionLength + keyLength + valueLength) return 0;
  const std::string_view section = rest.substr(0, sectionLength);
  const std::string_view key = rest.substr(sectionLength, keyLength);
  const std::string_view value = rest.substr(sectionLength + keyLength, valueLength);
  const auto edited = SetIniValue(decoded.text, section, key, value);
  if (!edited) return 0;
  const IniDocument reread(*edited);
  const std::string* found = reread.Find(section, key);
  if (found == nullptr || *found != RepairUtf8(value)) std::abort();
  return 0;
}
