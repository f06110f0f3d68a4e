#include "settings/setting_values.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

struct SplitCase {
  const char* name;
  const char* text;
  std::vector<std::string> fields;
};
void PrintTo(const SplitCase& row, std::ostream* out) { *out << row.name; }

class SplitFieldsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitFieldsTest, Splits) {
  std::vector<std::string> fields;
  EXPECT_EQ(SplitFields(GetParam().text, fields), GetParam().fields.size());
  EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitFieldsTest,
    ::testing::Values(SplitCase{"Plain", "1,2,3", {"1", "2", "3"}},
                      SplitCase{"BlanksKept", "10, 20, 30", {"10", " 20", " 30"}},
                      SplitCase{"Empty", "", {}},
                      SplitCase{"EmptyBetweenCommas", "1,,3", {"1", "", "3"}},
                      SplitCase{"LeadingEmpty", ",2", {"", "2"}},
                      SplitCase{"TrailingEmptyDropped", "1,2,", {"1", "2"}},
                      SplitCase{"OnlyCommas", ",,,", {"", "", ""}},
                      SplitCase{"DoubleQuoted", "\"1,2\",3", {"1,2", "3"}},
                      SplitCase{"SingleQuoted", "'a,b','c'", {"a,b", "c"}},
                      SplitCase{"OtherQuoteInside", "\"it's\",x", {"it's", "x"}},
                      SplitCase{"EscapedQuoteKept", "\"a\\\"b\",c", {"a\\\"b", "c"}},
                      SplitCase{"UnclosedQuoteTakesRest", "1,\"2,3", {"1", "2,3"}},
                      SplitCase{"TextAfterClosingQuoteSkipped", "\"a\"junk,b", {"a", "b"}},
                      SplitCase{"QuotedLastField", "1,\"\"", {"1", ""}},
                      SplitCase{"QuoteNotAtFieldStart", "a\"b,c\"", {"a\"b", "c\""}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SplitFields, AppendsToList) {
  std::vector<std::string> fields{"x"};
  EXPECT_EQ(SplitFields("1,2", fields), 3u);
}

struct ColourCase {
  const char* text;
  bool accepted;
  Colour colour;
};
void PrintTo(const ColourCase& row, std::ostream* out) { *out << '"' << row.text << '"'; }

class ParseColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ParseColourTest, Parses) {
  const Colour unchanged{1, 2, 3};
  Colour colour = unchanged;
  EXPECT_EQ(ParseColour(GetParam().text, colour), GetParam().accepted);
  EXPECT_EQ(colour, GetParam().accepted ? GetParam().colour : unchanged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseColourTest,
    ::testing::Values(ColourCase{"0,0,255", true, {0, 0, 255}},
                      ColourCase{"10, 20, 30", true, {10, 20, 30}},
                      ColourCase{"255,255,255", true, {255, 255, 255}},
                      ColourCase{"+7,-0,8px", true, {7, 0, 8}}, ColourCase{",,,", true, {0, 0, 0}},
                      ColourCase{"a,b,c", true, {0, 0, 0}}, ColourCase{"\"1,2\",3", false, {}},
                      ColourCase{"0,0,256", false, {}}, ColourCase{"-1,0,0", false, {}},
                      ColourCase{"99999999999,0,0", false, {}}, ColourCase{"blue", false, {}},
                      ColourCase{"1,2", false, {}}, ColourCase{"1,2,3,4", false, {}},
                      ColourCase{"", false, {}}));

TEST(Colour, ValueHasRedInLowByte) {
  EXPECT_EQ((Colour{0x12, 0x34, 0x56}.Value()), 0x563412u);
  EXPECT_EQ(Colour{}.Value(), 0u);
}

TEST(ParseInteger, ReadsLikeAtoi) {
  EXPECT_EQ(ParseInteger("2000"), 2000);
  EXPECT_EQ(ParseInteger(" \t-15x"), -15);
  EXPECT_EQ(ParseInteger("+3"), 3);
  EXPECT_EQ(ParseInteger("abc"), 0);
  EXPECT_EQ(ParseInteger(""), 0);
  EXPECT_EQ(ParseInteger("- 5"), 0);
  EXPECT_EQ(ParseInteger("99999999999999999999"), std::numeric_limits<int>::max());
  EXPECT_EQ(ParseInteger("-99999999999999999999"), std::numeric_limits<int>::min());
}

}  // namespace
