#include "util/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kZhong = "\xE4\xB8\xAD";  // U+4E2D, three bytes
const std::string kReplacement = "\xEF\xBF\xBD";

struct ConversionCase {
  const char* name;
  std::string device;
  std::size_t maxBytes;
  std::string local;
};
void PrintTo(const ConversionCase& row, std::ostream* out) { *out << row.name; }

class DeviceTextToLocalTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(DeviceTextToLocalTest, Converts) {
  EXPECT_EQ(DeviceTextToLocal(GetParam().device, GetParam().maxBytes), GetParam().local);
}

std::vector<ConversionCase> ConversionCases() {
  std::string name30;
  for (int i = 0; i < 10; ++i) name30 += kZhong;  // 30 bytes
  return {
      {"AsciiUnchanged", "AP-Roof 12", 32, "AP-Roof 12"},
      {"AsciiCutToFit", std::string(40, 'a'), 32, std::string(32, 'a')},
      {"CutTrailingChineseDropped", name30 + "\xE4\xB8", 32, name30},
      {"CutTrailingFourByteDropped", "ab\xF0\x9F\x98", 32, "ab"},
      {"OnlyACutSequenceGivesEmpty", "\xE4\xB8", 32, ""},
      {"TwoByteCharactersKept", "Caf\xC3\xA9 \xD0\x96", 32, "Caf\xC3\xA9 \xD0\x96"},
      {"StrayContinuationReplaced",
       "a\x80"
       "b",
       32, "a" + kReplacement + "b"},
      {"InvalidLeadReplaced",
       "a\xFF"
       "b",
       32, "a" + kReplacement + "b"},
      {"BrokenSequenceInsideReplaced",
       "a\xE4"
       "b" +
           kZhong,
       32, "a" + kReplacement + "b" + kZhong},
      {"OverlongReplaced", "\xC0\xAF", 32, kReplacement + kReplacement},
      {"SurrogateReplaced", "\xED\xA0\x80", 32, kReplacement + kReplacement + kReplacement},
      // 13 characters, 39 bytes plus one ASCII: cut to whole characters only.
      {"LongNameCutAtBoundary", "x" + name30 + kZhong + kZhong + kZhong, 32, "x" + name30},
      {"ReplacementCountsWhenCutting", std::string(30, 'a') + "\xFF", 32, std::string(30, 'a')},
  };
}

INSTANTIATE_TEST_SUITE_P(Cases, DeviceTextToLocalTest, ::testing::ValuesIn(ConversionCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(LocalTextToDevice, ValidUtf8PassesThroughAndInvalidIsReplaced) {
  EXPECT_EQ(LocalTextToDevice("Bridge-1"), "Bridge-1");
  EXPECT_EQ(LocalTextToDevice("R\xC3\xA9seau " + kZhong), "R\xC3\xA9seau " + kZhong);
  EXPECT_EQ(LocalTextToDevice("a\xFE"), "a" + kReplacement);
  EXPECT_EQ(LocalTextToDevice(""), "");
}

TEST(IsCjkCharacter, ListedCharactersOnly) {
  for (char32_t c : {U'\u4E00', U'\u9FA5', U'\u00B7', U'\u2014', U'\u2018', U'\u2019', U'\u201C',
                     U'\u201D', U'\u2026', U'\u3001', U'\u3002', U'\u3008', U'\u3011', U'\u3014',
                     U'\u3015', U'\uFE43', U'\uFE44', U'\uFE4F', U'\uFF01', U'\uFF08', U'\uFF09',
                     U'\uFF0C', U'\uFF1A', U'\uFF1B', U'\uFF1F', U'\uFF5E', U'\uFFE5'})
    EXPECT_TRUE(IsCjkCharacter(c)) << std::hex << static_cast<unsigned>(c);
  for (char32_t c : {U'A', U'\u00E9', U'\u4DFF', U'\u9FA6', U'\u3007', U'\u3012', U'\u3013',
                     U'\u3016', U'\u2015', U'\uFF0D', U'\u3040', U'\uAC00', U'\U00020000'})
    EXPECT_FALSE(IsCjkCharacter(c)) << std::hex << static_cast<unsigned>(c);
}

TEST(CountCjkCharacters, CountsCharactersNotBytes) {
  EXPECT_EQ(CountCjkCharacters(""), 0u);
  EXPECT_EQ(CountCjkCharacters("Caf\xC3\xA9"), 0u);
  // "中文" plus a full-width comma and an ideographic full stop.
  EXPECT_EQ(CountCjkCharacters(kZhong + "\xE6\x96\x87\xEF\xBC\x8C"
                                        "ab\xE3\x80\x82"),
            4u);
  EXPECT_EQ(CountCjkCharacters(kZhong + "\xE4\xB8"), 1u);
}

TEST(CutAtCharacterBoundary, NeverSplitsACharacter) {
  const std::string text = "ab" + kZhong + "c";
  EXPECT_EQ(CutAtCharacterBoundary(text, 10), text);
  EXPECT_EQ(CutAtCharacterBoundary(text, 6), text);
  EXPECT_EQ(CutAtCharacterBoundary(text, 5), "ab" + kZhong);
  EXPECT_EQ(CutAtCharacterBoundary(text, 4), "ab");
  EXPECT_EQ(CutAtCharacterBoundary(text, 3), "ab");
  EXPECT_EQ(CutAtCharacterBoundary(text, 0), "");
  EXPECT_EQ(CutAtCharacterBoundary("a\x80\x80\x80\x80", 3), "a\x80\x80");
}

}  // namespace
