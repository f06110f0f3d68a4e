#include "util/ini_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/util/temp_directory.h"

namespace {

struct ReadCase {
  const char* name;
  std::string bytes;
  const char* section;
  const char* key;
  std::size_t maxChars;
  std::string expected;
};
void PrintTo(const ReadCase& row, std::ostream* out) { *out << row.name; }

const std::string kSample =
    "; comment line\r\n"
    "top=before any section\r\n"
    "[Color]\r\n"
    "  ChildBkColor  =  10, 20, 30  \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='1,2'\r\n"
    "HalfQuote=\"abc\r\n"
    "Mixed=\"abc'\r\n"
    "Empty=\r\n"
    "EmptyQuotes=\"\"\r\n"
    "Equals=a=b\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "[color]\r\n"
    "Later=in repeated section\r\n"
    "[ Font ]\r\n"
    "FontName=Arial\r\n";

std::vector<ReadCase> ReadCases() {
  const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // two characters
  const std::string emoji = "\xF0\x9F\x98\x80";            // two UTF-16 units
  return {
      {"TrimsKeyAndValue", kSample, "Color", "ChildBkColor", 63, "10, 20, 30"},
      {"SectionAndKeyIgnoreCase", kSample, "COLOR", "childbkcolor", 63, "10, 20, 30"},
      {"LookupNamesTrimmed", kSample, " Color ", " ChildBkColor ", 63, "10, 20, 30"},
      {"SectionNameTrimmed", kSample, "Font", "FontName", 63, "Arial"},
      {"OnePairOfQuotesRemoved", kSample, "Color", "Quoted", 63, "  spaced  "},
      {"SingleQuotesRemoved", kSample, "Color", "Single", 63, "1,2"},
      {"UnpairedQuoteKept", kSample, "Color", "HalfQuote", 63, "\"abc"},
      {"DifferentQuotesKept", kSample, "Color", "Mixed", 63, "\"abc'"},
      {"EmptyValueIsNotDefault", kSample, "Color", "Empty", 63, ""},
      {"EmptyQuotesGiveEmpty", kSample, "Color", "EmptyQuotes", 63, ""},
      {"ValueKeepsLaterEquals", kSample, "Color", "Equals", 63, "a=b"},
      {"FirstKeyWins", kSample, "Color", "DUP", 63, "first"},
      {"RepeatedSectionIgnored", kSample, "Color", "Later", 63, "<default>"},
      {"KeyBeforeSectionsIgnored", kSample, "", "top", 63, "<default>"},
      {"CommentIsNoKey", kSample, "Color", "; comment line", 63, "<default>"},
      {"MissingSection", kSample, "Setting", "ChildBkColor", 63, "<default>"},
      {"MissingKey", kSample, "Color", "LineColor", 63, "<default>"},
      {"LfOnly", "[A]\nk=v\nx=y", "a", "x", 63, "y"},
      {"Utf8Bom", "\xEF\xBB\xBF[A]\nk=" + chinese + "\n", "A", "k", 63, chinese},
      {"Utf8NoBom", "[A]\nk=" + chinese + "\n", "A", "k", 63, chinese},
      {"Utf16LeBom", Utf16LeWithBom(u"[ProgramOutStr]\r\nsearch=\u641c\u7d22\r\n"), "ProgramOutStr",
       "Search", 63, "\xE6\x90\x9C\xE7\xB4\xA2"},
      {"Utf16LeLatinCapitalsFold", Utf16LeWithBom(u"[\u00c9T\u00c9]\r\nK=v\r\n"),
       "\xC3\xA9t\xC3\xA9", "k", 63, "v"},
      {"InvalidUtf8Repaired",
       "[A]\nk=a\xFF"
       "b\n",
       "A", "k", 63,
       "a\xEF\xBF\xBD"
       "b"},
      {"CapCountsCharacters", "[A]\nk=" + chinese + chinese + "\n", "A", "k", 3,
       chinese + "\xE4\xB8\xAD"},
      {"CapNeverSplitsSurrogatePair", "[A]\nk=ab" + emoji + "\n", "A", "k", 3, "ab"},
      {"CapCountsSurrogatePairAsTwo", "[A]\nk=ab" + emoji + "c\n", "A", "k", 4, "ab" + emoji},
      {"CapOf63", "[A]\nk=" + std::string(70, 'x') + "\n", "A", "k", 63, std::string(63, 'x')},
      {"EmptyFile", "", "A", "k", 63, "<default>"},
  };
}

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsValue) {
  TempDirectory dir;
  const auto file = dir.Write("test.ini", GetParam().bytes);
  EXPECT_EQ(
      ReadIniString(file, GetParam().section, GetParam().key, "<default>", GetParam().maxChars),
      GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniReadTest, ::testing::ValuesIn(ReadCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(IniRead, MissingFileGivesDefaultCut) {
  TempDirectory dir;
  EXPECT_EQ(ReadIniString(dir.path() / "none.ini", "A", "k", "fallback", 63), "fallback");
  EXPECT_EQ(ReadIniString(dir.path() / "none.ini", "A", "k", "fallback", 4), "fall");
  EXPECT_EQ(ReadIniString(dir.path(), "A", "k", "dir", 63), "dir");
}

TEST(IniRead, SeesFileChangedAfterCaching) {
  TempDirectory dir;
  const auto file = dir.Write("test.ini", "[A]\nk=one\n");
  EXPECT_EQ(ReadIniString(file, "A", "k", "", 63), "one");
  dir.Write("test.ini", "[A]\nk=three\n");  // other size
  EXPECT_EQ(ReadIniString(file, "A", "k", "", 63), "three");
  dir.Write("test.ini", "[A]\nk=four!\n");  // same size, newer time
  struct timespec times[2] = {{0, UTIME_OMIT}, {4000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  EXPECT_EQ(ReadIniString(file, "A", "k", "", 63), "four!");
  std::filesystem::remove(file);
  EXPECT_EQ(ReadIniString(file, "A", "k", "gone", 63), "gone");
}

TEST(IniRead, ConcurrentReadersAndWriterAgree) {
  TempDirectory dir;
  const auto file = dir.Write("test.ini", "[A]\nk=0\nfixed=yes\n");
  std::vector<std::thread> readers;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&] {
      for (int i = 0; i < 500; ++i)
        if (ReadIniString(file, "A", "fixed", "", 63) != "yes") ++wrong;
    });
  }
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(WriteIniValue("A", "k", std::to_string(i), file));
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(ReadIniString(file, "A", "k", "", 63), "49");
}

struct WriteCase {
  const char* name;
  std::string before;
  const char* section;
  const char* key;
  const char* value;
  std::string after;
};
void PrintTo(const WriteCase& row, std::ostream* out) { *out << row.name; }

std::vector<WriteCase> WriteCases() {
  return {
      {"NewFile", "", "SERVER", "Directory", "/srv/fw", "[SERVER]\nDirectory=/srv/fw\n"},
      {"ReplacesKeyKeepingOtherLines", "; note\n[SERVER]\nPort=69\ndirectory = old \n[X]\na=1\n",
       "server", "DIRECTORY", "/new", "; note\n[SERVER]\nPort=69\ndirectory=/new\n[X]\na=1\n"},
      {"KeepsCrLf", "[S]\r\nk=1\r\nj=2\r\n", "S", "k", "9", "[S]\r\nk=9\r\nj=2\r\n"},
      {"AddsKeyAtEndOfSection", "[S]\na=1\n\n[T]\nb=2\n", "S", "c", "3",
       "[S]\na=1\nc=3\n\n[T]\nb=2\n"},
      {"AddsKeyToSectionWithoutFinalBreak", "[S]\na=1", "S", "c", "3", "[S]\na=1\nc=3\n"},
      {"AddsKeyToEmptySection", "[S]\n[T]\n", "S", "c", "3", "[S]\nc=3\n[T]\n"},
      {"AppendsSection", "[S]\na=1\n", "T", "b", "2", "[S]\na=1\n\n[T]\nb=2\n"},
      {"AppendsSectionAfterUnterminatedLine", "[S]\na=1", "T", "b", "2", "[S]\na=1\n\n[T]\nb=2\n"},
      {"OnlyFirstSectionEdited", "[S]\na=1\n[S]\nb=2\n", "S", "b", "3",
       "[S]\na=1\nb=3\n[S]\nb=2\n"},
      {"QuotesValueWithOuterBlanks", "", "S", "k", " x ", "[S]\nk=\" x \"\n"},
      {"QuotesQuotedValue", "", "S", "k", "'x'", "[S]\nk=\"'x'\"\n"},
      {"EmptyValue", "[S]\nk=old\n", "S", "k", "", "[S]\nk=\n"},
  };
}

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, RewritesFile) {
  TempDirectory dir;
  const auto file = dir.path() / "test.ini";
  if (!GetParam().before.empty()) dir.Write("test.ini", GetParam().before);
  ASSERT_TRUE(WriteIniValue(GetParam().section, GetParam().key, GetParam().value, file));
  EXPECT_EQ(dir.Read("test.ini"), GetParam().after);
  EXPECT_EQ(ReadIniString(file, GetParam().section, GetParam().key, "<default>", 1023),
            GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniWriteTest, ::testing::ValuesIn(WriteCases()),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(IniWrite, Utf16FileStaysUtf16) {
  TempDirectory dir;
  const auto file =
      dir.Write("lang.lng", Utf16LeWithBom(u"[ProgramOutStr]\r\nOK=\u786e\u5b9a\r\n"));
  ASSERT_TRUE(WriteIniValue("ProgramOutStr", "Cancel", "\xE5\x8F\x96\xE6\xB6\x88", file));
  EXPECT_EQ(dir.Read("lang.lng"),
            Utf16LeWithBom(u"[ProgramOutStr]\r\nOK=\u786e\u5b9a\r\nCancel=\u53d6\u6d88\r\n"));
}

TEST(IniWrite, Utf8BomKept) {
  TempDirectory dir;
  const auto file = dir.Write("a.ini", "\xEF\xBB\xBF[S]\nk=1\n");
  ASSERT_TRUE(WriteIniValue("S", "k", "2", file));
  EXPECT_EQ(dir.Read("a.ini"), "\xEF\xBB\xBF[S]\nk=2\n");
}

TEST(IniWrite, KeepsInvalidBytesOfOtherLines) {
  TempDirectory dir;
  const auto file = dir.Write("a.ini", "[S]\nraw=\xFF\xFE\x80\nk=1\n");
  ASSERT_TRUE(WriteIniValue("S", "k", "2", file));
  EXPECT_EQ(dir.Read("a.ini"), "[S]\nraw=\xFF\xFE\x80\nk=2\n");
}

TEST(IniWrite, RejectsTextsThatWouldBreakTheFile) {
  TempDirectory dir;
  const auto file = dir.Write("a.ini", "[S]\nk=1\n");
  EXPECT_FALSE(WriteIniValue("S", "k", "2\n[Evil]\nx=1", file));
  EXPECT_FALSE(WriteIniValue("S\n", "k", "2", file));
  EXPECT_FALSE(WriteIniValue("S", "a=b", "2", file));
  EXPECT_FALSE(WriteIniValue("S", "[T]", "2", file));
  EXPECT_FALSE(WriteIniValue("S", "", "2", file));
  EXPECT_FALSE(WriteIniValue("S", "k", std::string_view("a\0b", 3), file));
  EXPECT_EQ(dir.Read("a.ini"), "[S]\nk=1\n");
}

TEST(IniWrite, KeepsModeAndLinkAndLeavesNoTemporaryFile) {
  TempDirectory dir;
  const auto real = dir.Write("real.ini", "[S]\nk=1\n");
  ::chmod(real.c_str(), 0600);
  const auto link = dir.path() / "link.ini";
  std::filesystem::create_symlink(real, link);
  ASSERT_TRUE(WriteIniValue("S", "k", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(dir.Read("real.ini"), "[S]\nk=2\n");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            2);
}

TEST(IniWrite, FailsInMissingDirectory) {
  TempDirectory dir;
  EXPECT_FALSE(WriteIniValue("S", "k", "1", dir.path() / "no" / "a.ini"));
}

}  // namespace
