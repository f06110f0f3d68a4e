#pragma once
// Rules over the address texts of the IP address controls: empty for a blank
// control, else four decimal octets joined by ".". Pure functions, callable
// from any thread.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "store/device_text.h"

// The four octets of an address text. The empty text is the blank address
// 0.0.0.0. Anything but four dot-separated groups of one to three digits, each
// at most 255, is no address: the forms never produce it, but the command-line
// tool passes what the user typed, and such a text must not reach a device.
std::optional<IpBytes> ParseAddressText(std::u16string_view text);

// The address as a number with the first octet most significant, so that
// comparing numbers orders addresses as the range walk does.
uint32_t AddressNumber(const IpBytes& address);

// Empty, or an address whose octets are all 0.
bool IsBlankAddress(std::u16string_view text);

// Splitting the text at "." gives exactly four parts (empty parts count).
bool HasFourParts(std::u16string_view text);

// A blank address passes exactly when blankAllowed. Otherwise the first octet
// must not be 0, 127 or 224 to 255 and the last not 0 or 255.
bool IsValidHostAddress(std::u16string_view text, bool blankAllowed);

// An address other than 255.255.255.255 and 0.0.0.0; the bits need not be
// contiguous. The empty text fails.
bool IsValidSubnetMask(std::u16string_view text);

// (a AND mask) equals (b AND mask). False when any text is no address.
bool IsSameSubnet(std::u16string_view a, std::u16string_view b, std::u16string_view mask);

// The text equals one of the stored device addresses exactly. The caller passes
// what CSqlManagement::GetAllIps returned, or nothing when the store could not
// be read, in which case no address is in use.
bool IsAddressInUse(std::u16string_view text, std::span<const std::string> storedIps);
