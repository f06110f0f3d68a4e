#include "i18n/language.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/util/temp_directory.h"

namespace {

// Sets the locale variables for one test and restores them afterwards.
class LocaleEnvironment {
 public:
  LocaleEnvironment(const char* lcAll, const char* lcMessages, const char* lang) {
    Set("LC_ALL", lcAll);
    Set("LC_MESSAGES", lcMessages);
    Set("LANG", lang);
  }
  ~LocaleEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

 private:
  void Set(const char* name, const char* value) {
    const char* old = ::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

const std::string kChineseDeviceStatus = "\xE8\xAE\xBE\xE5\xA4\x87\xE7\x8A\xB6\xE6\x80\x81";

class LanguageTest : public ::testing::Test {
 protected:
  void WriteLanguageIni(std::string_view body) {
    dir_.Write("Languages/Language.ini", std::string("[LCID]\r\n") + std::string(body));
  }
  void WriteLanguageFile(std::string_view name, std::string_view bytes) {
    dir_.Write("Languages/" + std::string(name) + ".lng", bytes);
  }
  void Load(const char* locale) {
    LocaleEnvironment environment(locale, nullptr, nullptr);
    LoadLanguage(dir_.directoryText());
  }
  void TearDown() override {
    LocaleEnvironment environment("C", nullptr, nullptr);
    LoadLanguage("/nonexistent/");
  }

  TempDirectory dir_;
};

TEST_F(LanguageTest, ChineseSystemReadsChineseFile) {
  WriteLanguageIni("2052=Chinese\r\n1028=ChineseTraditional\r\n");
  WriteLanguageFile("Chinese", Utf16LeWithBom(u"[ProgramOutStr]\r\n"
                                              u"device status=\u8bbe\u5907\u72b6\u6001\r\n"));
  Load("zh_CN.UTF-8");
  EXPECT_EQ(LanguageId(), 2052);
  EXPECT_EQ(LanguageName(), "Chinese");
  EXPECT_EQ(LanguageFilePath(), dir_.directoryText() + "Languages/Chinese.lng");
  EXPECT_EQ(TranslateText("Device status"), kChineseDeviceStatus);
  EXPECT_EQ(TranslateText("Not in the file"), "Not in the file");
  EXPECT_EQ(TranslateText(""), "");
}

TEST_F(LanguageTest, EnglishSystemWithoutEntryStaysEnglish) {
  WriteLanguageIni("2052=Chinese\r\n");
  WriteLanguageFile("Chinese", "[ProgramOutStr]\nDevice status=" + kChineseDeviceStatus + "\n");
  Load("en_US.UTF-8");
  EXPECT_EQ(LanguageId(), 1033);
  EXPECT_EQ(LanguageName(), "English");
  EXPECT_EQ(TranslateText("Device status"), "Device status");
}

TEST_F(LanguageTest, UnknownLocaleWithoutEntryBecomes1033) {
  WriteLanguageIni("2052=Chinese\r\n");
  Load("de_DE.UTF-8");
  EXPECT_EQ(LanguageId(), 1033);
  EXPECT_EQ(LanguageName(), "English");
}

TEST_F(LanguageTest, EntryPointingToMissingOrEmptyFileKeepsEnglish) {
  WriteLanguageIni("2052=Chinese\r\n");
  Load("zh_CN.UTF-8");
  EXPECT_EQ(LanguageId(), 2052);
  EXPECT_EQ(TranslateText("Device status"), "Device status");

  WriteLanguageFile("Chinese", "");
  Load("zh_CN.UTF-8");
  EXPECT_EQ(TranslateText("Device status"), "Device status");
}

TEST_F(LanguageTest, NoLanguagesFolder) {
  Load("zh_CN.UTF-8");
  EXPECT_EQ(LanguageId(), 1033);
  EXPECT_EQ(LanguageName(), "English");
  EXPECT_EQ(TranslateText("Search"), "Search");
}

TEST_F(LanguageTest, SelectLanguageWithEmptyNameMeansEnglish) {
  WriteLanguageFile("English", "[ProgramOutStr]\nOutline=Offline\n");
  Load("en_US");
  SelectLanguage("");
  EXPECT_EQ(LanguageName(), "English");
  EXPECT_EQ(TranslateText("Outline"), "Offline");
}

struct TranslateCase {
  const char* name;
  const char* english;
  std::string expected;
};
void PrintTo(const TranslateCase& row, std::ostream* out) { *out << row.name; }

class TranslateTextTest : public LanguageTest,
                          public ::testing::WithParamInterface<TranslateCase> {};

TEST_P(TranslateTextTest, Translates) {
  WriteLanguageIni("1033=Test\r\n");
  WriteLanguageFile("Test",
                    "[ProgramOutStr]\n"
                    "DEVICE STATUS=upper\n"
                    "crlf=one\\r\\ntwo\n"
                    "lf=one\\ntwo\n"
                    "mixed=a\\r\\n\\nb\\rc\n"
                    "vanish=[~NullInfoVemla~]\n"
                    "space=[~Null~]\n"
                    "both=x[~NullInfoVemla~]y[~Null~]z\n"
                    "long=" +
                        std::string(1100, 'L') +
                        "\n"
                        "empty=\n");
  Load("en_US.UTF-8");
  EXPECT_EQ(TranslateText(GetParam().english), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslateTextTest,
    ::testing::Values(TranslateCase{"UpperCaseKeyInFile", "Device status", "upper"},
                      TranslateCase{"LowerCaseLookupOfSameKey", "device status", "upper"},
                      TranslateCase{"CarriageReturnLineFeed", "CRLF", "one\r\ntwo"},
                      TranslateCase{"LineFeed", "Lf", "one\ntwo"},
                      TranslateCase{"EscapesInOrder", "Mixed", "a\r\n\nb\\rc"},
                      TranslateCase{"NullInfoRemoves", "Vanish", ""},
                      TranslateCase{"NullGivesSpace", "Space", " "},
                      TranslateCase{"MarkersInsideText", "Both", "xy z"},
                      TranslateCase{"CappedAt1023", "Long", std::string(1023, 'L')},
                      TranslateCase{"EmptyValueGivesOriginal", "Empty", "Empty"},
                      TranslateCase{"MissingKeyKeepsCase", "Missing Key", "Missing Key"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(LanguageTest, TranslateFromManyThreads) {
  WriteLanguageIni("2052=Chinese\r\n");
  WriteLanguageFile("Chinese", "[ProgramOutStr]\nDevice status=" + kChineseDeviceStatus + "\n");
  Load("zh_CN");
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i)
        if (TranslateText("Device status") != kChineseDeviceStatus) ++wrong;
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

struct LocaleCase {
  const char* locale;
  uint16_t id;
};
void PrintTo(const LocaleCase& row, std::ostream* out) { *out << row.locale; }

class LocaleLanguageIdTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleLanguageIdTest, Maps) {
  EXPECT_EQ(LocaleLanguageId(GetParam().locale), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LocaleLanguageIdTest,
    ::testing::Values(
        LocaleCase{"zh_CN", 2052}, LocaleCase{"zh_TW", 1028}, LocaleCase{"en_US", 1033},
        LocaleCase{"en_GB", 2057}, LocaleCase{"de_DE", 1031}, LocaleCase{"fr_FR", 1036},
        LocaleCase{"es_ES", 3082}, LocaleCase{"it_IT", 1040}, LocaleCase{"ja_JP", 1041},
        LocaleCase{"ko_KR", 1042}, LocaleCase{"pt_BR", 1046}, LocaleCase{"ru_RU", 1049},
        LocaleCase{"pt_PT", 2070}, LocaleCase{"zh_HK", 3076}, LocaleCase{"de_AT", 3079},
        LocaleCase{"fr_CA", 3084}, LocaleCase{"nl_NL", 1043}, LocaleCase{"pl_PL", 1045},
        LocaleCase{"zh_CN.UTF-8", 2052}, LocaleCase{"zh_TW.Big5", 1028},
        LocaleCase{"de_DE.UTF-8@euro", 1031}, LocaleCase{"en-GB", 2057}, LocaleCase{"zh", 2052},
        LocaleCase{"de", 1031}, LocaleCase{"es", 3082}, LocaleCase{"pt", 1046},
        LocaleCase{"en", 1033}, LocaleCase{"fr.UTF-8", 1036}, LocaleCase{"de_BE", 1031},
        LocaleCase{"C", 1033}, LocaleCase{"C.UTF-8", 1033}, LocaleCase{"POSIX", 1033},
        LocaleCase{"", 1033}, LocaleCase{"xx_YY", 1033}));

TEST(SystemLanguageId, PrefersLcAllThenLcMessagesThenLang) {
  {
    LocaleEnvironment environment("ja_JP.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8");
    EXPECT_EQ(SystemLanguageId(), 1041);
  }
  {
    LocaleEnvironment environment("", "de_DE.UTF-8", "fr_FR.UTF-8");
    EXPECT_EQ(SystemLanguageId(), 1031);
  }
  {
    LocaleEnvironment environment(nullptr, nullptr, "fr_FR.UTF-8");
    EXPECT_EQ(SystemLanguageId(), 1036);
  }
  {
    LocaleEnvironment environment(nullptr, nullptr, nullptr);
    EXPECT_EQ(SystemLanguageId(), 1033);
  }
}

}  // namespace
