#pragma once
// Received text areas: 32 bytes of device text followed by their length byte.

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kTextAreaSize = 32;

// Converts the device text of a 33-byte area (text, then length) to the local
// code page in place, cut to fit the area, and rewrites the length byte. A
// length byte above 32 counts as 32.
void ConvertTextArea(uint8_t* area);
