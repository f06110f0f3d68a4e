#pragma once
// Rules over the texts the configuration forms read: names (SSID, device
// name), keys and numeric fields. Every rule looks at UTF-16 code units, so a
// character outside the Basic Multilingual Plane counts as two units. Pure
// functions, callable from any thread.

#include <cstddef>
#include <string_view>

// Every unit is a-z, A-Z, 0-9, a Chinese character or one of
// ! # $ % & ( ) * + - . / < = > ? @ ^ _ ~, and the byte length is at most 32.
// The SSID and device name of the strict models.
bool IsStrictName(std::u16string_view text);
// Every unit is 0x0001 to 0x007F or a Chinese character, and the byte length
// is at most 32. The SSID and device name of every other model.
bool IsChineseOrAsciiName(std::u16string_view text);

// An empty text passes both.
bool IsAllHexDigits(std::u16string_view text);
bool IsAllAscii(std::u16string_view text);

// 1 byte for a unit below 0x80, 2 below 0x800, 3 for every other unit: the
// UTF-8 length of a text without characters outside the Basic Multilingual
// Plane, which is what the device's 32-byte text areas hold.
std::size_t ByteLength(std::u16string_view text);

// The value of the text's leading decimal digits, read as atoi reads them
// (leading blanks, an optional sign; no digits gives 0). Values beyond the int
// range saturate instead of overflowing.
int LeadingDecimalValue(std::u16string_view text);
