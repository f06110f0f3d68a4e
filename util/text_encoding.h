#pragma once
// Text conversions at the device boundary. Devices send and expect UTF-8; the
// local code page on Linux is UTF-8 as well, so the conversions only repair
// and cut texts so that they fit their fixed areas.

#include <cstddef>
#include <string>
#include <string_view>

// A device text as a local text of at most maxBytes bytes: a trailing UTF-8
// sequence cut by the device is dropped, other invalid bytes become U+FFFD, and
// the result is cut at a character boundary to fit.
std::string DeviceTextToLocal(std::string_view deviceText, std::size_t maxBytes = 32);
// A local text as the device expects it (valid UTF-8 passes through).
std::string LocalTextToDevice(std::string_view localText);

bool IsCjkCharacter(char32_t character);
std::size_t CountCjkCharacters(std::string_view utf8Text);

// The longest prefix of a UTF-8 text of at most maxBytes bytes that ends on a
// character boundary.
std::string_view CutAtCharacterBoundary(std::string_view utf8Text, std::size_t maxBytes);
