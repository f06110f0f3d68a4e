#pragma once
// A ticked device of a list page at the moment a command was given: its IP
// and MAC texts and its model code, as the grid row shows them. A plain
// value, copied to the page's sender threads.

#include <cstdint>
#include <string>

struct SelectedDevice {
  std::string ip;
  std::string mac;
  uint16_t model = 0;
};
