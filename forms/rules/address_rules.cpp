#include "forms/rules/address_rules.h"

namespace {

bool IsDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

std::optional<uint8_t> ParseOctet(std::u16string_view part) {
  if (part.empty() || part.size() > 3) return std::nullopt;
  int value = 0;
  for (char16_t unit : part) {
    if (!IsDigit(unit)) return std::nullopt;
    value = value * 10 + (unit - u'0');
  }
  if (value > 255) return std::nullopt;
  return static_cast<uint8_t>(value);
}

bool IsValidHostOctets(const IpBytes& address) {
  const uint8_t first = address[0];
  const uint8_t last = address[3];
  return first != 0 && first != 127 && first < 224 && last != 0 && last != 255;
}

bool IsZero(const IpBytes& address) { return AddressNumber(address) == 0; }

}  // namespace

std::optional<IpBytes> ParseAddressText(std::u16string_view text) {
  IpBytes address{};
  if (text.empty()) return address;
  std::size_t start = 0;
  for (std::size_t index = 0; index < address.size(); ++index) {
    const std::size_t dot = text.find(u'.', start);
    const bool lastPart = index + 1 == address.size();
    if (lastPart != (dot == std::u16string_view::npos)) return std::nullopt;
    const std::size_t end = lastPart ? text.size() : dot;
    const std::optional<uint8_t> octet = ParseOctet(text.substr(start, end - start));
    if (!octet) return std::nullopt;
    address[index] = *octet;
    start = end + 1;
  }
  return address;
}

uint32_t AddressNumber(const IpBytes& address) {
  return (uint32_t{address[0]} << 24) | (uint32_t{address[1]} << 16) | (uint32_t{address[2]} << 8) |
         uint32_t{address[3]};
}

bool IsBlankAddress(std::u16string_view text) {
  const std::optional<IpBytes> address = ParseAddressText(text);
  return address && IsZero(*address);
}

bool HasFourParts(std::u16string_view text) {
  std::size_t parts = 1;
  for (char16_t unit : text) parts += unit == u'.';
  return parts == 4;
}

bool IsValidHostAddress(std::u16string_view text, bool blankAllowed) {
  if (IsBlankAddress(text)) return blankAllowed;
  const std::optional<IpBytes> address = ParseAddressText(text);
  return address && IsValidHostOctets(*address);
}

bool IsValidSubnetMask(std::u16string_view text) {
  const std::optional<IpBytes> mask = ParseAddressText(text);
  return mask && !IsZero(*mask) && AddressNumber(*mask) != 0xFFFFFFFFu;
}

bool IsSameSubnet(std::u16string_view a, std::u16string_view b, std::u16string_view mask) {
  const std::optional<IpBytes> first = ParseAddressText(a);
  const std::optional<IpBytes> second = ParseAddressText(b);
  const std::optional<IpBytes> bits = ParseAddressText(mask);
  if (!first || !second || !bits) return false;
  const uint32_t maskNumber = AddressNumber(*bits);
  return (AddressNumber(*first) & maskNumber) == (AddressNumber(*second) & maskNumber);
}

bool IsAddressInUse(std::u16string_view text, std::span<const std::string> storedIps) {
  for (const std::string& stored : storedIps) {
    if (stored.size() != text.size()) continue;
    bool equal = true;
    for (std::size_t i = 0; equal && i < text.size(); ++i) {
      // Stored addresses are ASCII; a non-ASCII unit never matches a byte.
      equal = text[i] < 0x80 && text[i] == static_cast<unsigned char>(stored[i]);
    }
    if (equal) return true;
  }
  return false;
}
