#include "util/utf8.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

Utf8Char DecodeUtf8Char(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, 1, Utf8Status::kValid};

  std::size_t length = 0;
  char32_t codePoint = 0;
  // Bounds of the second byte: they exclude overlong forms, surrogates and
  // code points above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacement, 1, Utf8Status::kInvalid};
  }

  for (std::size_t i = 1; i < length; ++i) {
    if (pos + i >= text.size()) return {kReplacement, i, Utf8Status::kTruncated};
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    const bool inRange = i == 1 ? (byte >= low && byte <= high) : IsContinuation(byte);
    if (!inRange) return {kReplacement, i, Utf8Status::kInvalid};
    codePoint = (codePoint << 6) | (byte & 0x3F);
  }
  return {codePoint, length, Utf8Status::kValid};
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    codePoint = kReplacement;
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char decoded = DecodeUtf8Char(text, pos);
    if (decoded.status != Utf8Status::kValid) return false;
    pos += decoded.length;
  }
  return true;
}

std::string RepairUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char decoded = DecodeUtf8Char(text, pos);
    if (decoded.status == Utf8Status::kValid)
      out.append(text.substr(pos, decoded.length));
    else
      AppendUtf8(out, kReplacement);
    pos += decoded.length;
  }
  return out;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  auto unitAt = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      const char32_t next = unitAt(i + 1);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD there
  }
  if (bytes.size() % 2 != 0) AppendUtf8(out, kReplacement);
  return out;
}

std::string Utf8ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  auto appendUnit = [&](char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>((unit >> 8) & 0xFF);
  };
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char decoded = DecodeUtf8Char(text, pos);
    const char32_t codePoint =
        decoded.status == Utf8Status::kValid ? decoded.codePoint : kReplacement;
    if (codePoint >= 0x10000) {
      appendUnit(0xD800 + ((codePoint - 0x10000) >> 10));
      appendUnit(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    } else {
      appendUnit(codePoint);
    }
    pos += decoded.length;
  }
  return out;
}

std::string_view CutToUtf16Units(std::string_view text, std::size_t maxUnits) {
  std::size_t units = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const Utf8Char decoded = DecodeUtf8Char(text, pos);
    const std::size_t charUnits = decoded.length == 4 ? 2 : 1;
    if (units + charUnits > maxUnits) break;
    units += charUnits;
    pos += decoded.length;
  }
  return text.substr(0, pos);
}
