#include "forms/rules/text_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "forms/rules/utf16_text.h"

namespace {

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

// Ten Chinese characters are 30 bytes.
const std::u16string kTenChinese = u"一二三四五六七八九十";

TEST(Utf8ToUtf16, DecodesAndReplacesInvalidBytes) {
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToUtf16("ab"), u"ab");
  EXPECT_EQ(Utf8ToUtf16("\xC2\xB7\xE4\xB8\xAD"), u"\u00B7\u4E2D");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
  // Truncated sequence, overlong form, encoded surrogate, stray continuation:
  // each invalid beginning of a character is one replacement.
  EXPECT_EQ(Utf8ToUtf16("\xE4\xB8"
                        "a"),
            u"\uFFFDa");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\x80"
                        "b"),
            u"\uFFFDb");
}

TEST(ByteLength, CountsUnitsByRange) {
  EXPECT_EQ(ByteLength(u""), 0u);
  EXPECT_EQ(ByteLength(u"\u007F"), 1u);
  EXPECT_EQ(ByteLength(u"\u0080\u07FF"), 4u);
  EXPECT_EQ(ByteLength(u"\u0800\uFFFF"), 6u);
  EXPECT_EQ(ByteLength(u"\U0001F600"), 6u);
  EXPECT_EQ(ByteLength(kTenChinese), 30u);
}

struct NameCase {
  const char* name;
  std::u16string text;
  bool strict;
  bool chineseOrAscii;
};

void PrintTo(const NameCase& row, std::ostream* out) { *out << row.name; }

class NameRules : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameRules, AcceptOnlyTheirCharactersUpTo32Bytes) {
  EXPECT_EQ(IsStrictName(GetParam().text), GetParam().strict);
  EXPECT_EQ(IsChineseOrAsciiName(GetParam().text), GetParam().chineseOrAscii);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NameRules,
    ::testing::Values(
        NameCase{"Empty", u"", true, true}, NameCase{"LettersAndDigits", u"Bridge01", true, true},
        NameCase{"StrictPunctuation", u"!#$%&()*+-./<=>?@^_~", true, true},
        NameCase{"Blank", u"my ap", false, true}, NameCase{"Comma", u"a,b", false, true},
        NameCase{"Quote", u"a\"b", false, true}, NameCase{"Backslash", u"a\\b", false, true},
        NameCase{"VerticalBar", u"a|b", false, true},
        NameCase{"NulUnit", std::u16string(u"a\0b", 3), false, false},
        NameCase{"Thirty2AsciiBytes", std::u16string(32, u'a'), true, true},
        NameCase{"Thirty3AsciiBytes", std::u16string(33, u'a'), false, false},
        NameCase{"TenChinesePlusTwoAscii", kTenChinese + u"ab", true, true},
        NameCase{"ElevenChinese", kTenChinese + u"中", false, false},
        NameCase{"FirstAndLastIdeograph", u"\u4E00\u9FA5", true, true},
        NameCase{"BeyondLastIdeograph", u"\u9FA6", false, false},
        NameCase{"BeforeFirstIdeograph", u"\u4DFF", false, false},
        NameCase{"ChinesePunctuation",
                 u"\u00B7\u2014\u2018\u2019\u201C\u201D\u2026\u3001\u3002\u3008\u3011", true, true},
        NameCase{"MoreChinesePunctuation",
                 u"\u3014\u3015\uFE43\uFE44\uFE4F\uFF01\uFF08\uFF09\uFF0C\uFF1A", true, true},
        NameCase{"LastChinesePunctuation", u"\uFF1B\uFF1F\uFF5E\uFFE5", true, true},
        NameCase{"GapInsideBrackets", u"\u3012", false, false},
        NameCase{"LatinAccent", u"caf\u00E9", false, false},
        NameCase{"SurrogatePair", u"\U0001F600", false, false}),
    RowName<NameCase>);

TEST(CharacterClasses, HexAndAscii) {
  EXPECT_TRUE(IsAllHexDigits(u""));
  EXPECT_TRUE(IsAllHexDigits(u"0123456789abcdefABCDEF"));
  EXPECT_FALSE(IsAllHexDigits(u"12g4"));
  EXPECT_FALSE(IsAllHexDigits(u"0x12"));
  EXPECT_TRUE(IsAllAscii(u""));
  EXPECT_TRUE(IsAllAscii(std::u16string(u"\0 ~\u007F", 4)));
  EXPECT_FALSE(IsAllAscii(u"abc\u0080"));
  EXPECT_FALSE(IsAllAscii(u"密码"));
}

struct NumberCase {
  const char* name;
  std::u16string text;
  int value;
};

void PrintTo(const NumberCase& row, std::ostream* out) { *out << row.name; }

class LeadingDecimal : public ::testing::TestWithParam<NumberCase> {};

TEST_P(LeadingDecimal, ReadsLikeAtoi) {
  EXPECT_EQ(LeadingDecimalValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LeadingDecimal,
    ::testing::Values(NumberCase{"Empty", u"", 0}, NumberCase{"Digits", u"1812", 1812},
                      NumberCase{"DigitsThenLetters", u"60abc", 60},
                      NumberCase{"NoLeadingDigits", u"abc60", 0},
                      NumberCase{"LeadingBlanks", u" \t42", 42}, NumberCase{"Sign", u"-5", -5},
                      NumberCase{"PlusSign", u"+7", 7}, NumberCase{"BlankAfterSign", u"- 5", 0},
                      NumberCase{"Saturates", u"99999999999999", 2147483647},
                      NumberCase{"SaturatesNegative", u"-99999999999999", -2147483647 - 1}),
    RowName<NumberCase>);

}  // namespace
