#pragma once
// Parsing the values of Setting.ini: comma-separated fields, colours written
// as "red,green,blue" and integers read the way atoi reads them. Pure
// functions; any thread may call them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Colour {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  // Red in the low byte, green in the second and blue in the third.
  constexpr uint32_t Value() const {
    return uint32_t{red} | (uint32_t{green} << 8) | (uint32_t{blue} << 16);
  }
  friend constexpr bool operator==(const Colour&, const Colour&) = default;
};

// Appends the comma-separated fields of text to fields and returns the number
// of fields in the list. A field starting with ' or " runs to the next such
// quote not preceded by a backslash and is appended without its quotes (text
// after the closing quote up to the next comma is skipped); without a closing
// quote the rest of the text is the last field. Empty fields count, except an
// empty field after the last comma.
std::size_t SplitFields(std::string_view text, std::vector<std::string>& fields);

// Exactly three fields, each an integer from 0 to 255, set the colour; on any
// other text the colour is left unchanged and false is returned.
bool ParseColour(std::string_view text, Colour& colour);

// Leading white space, an optional sign, then digits up to the first
// non-digit; no digits give 0. Saturates at the limits of int.
int ParseInteger(std::string_view text);
