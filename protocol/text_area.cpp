#include "protocol/text_area.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "util/text_encoding.h"

void ConvertTextArea(uint8_t* area) {
  const std::size_t length = std::min<std::size_t>(area[kTextAreaSize], kTextAreaSize);
  const std::string local =
      DeviceTextToLocal(std::string_view(reinterpret_cast<const char*>(area), length), kTextAreaSize);
  const std::size_t kept = std::min(local.size(), kTextAreaSize);
  std::memset(area, 0, kTextAreaSize);
  std::memcpy(area, local.data(), kept);
  area[kTextAreaSize] = static_cast<uint8_t>(kept);
}
