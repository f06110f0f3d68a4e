#include "i18n/language.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "util/ini_document.h"
#include "util/ini_file.h"
#include "util/utf8.h"

namespace {

constexpr std::size_t kMaxValueChars = 1023;
constexpr uint16_t kEnglishUs = 1033;

struct LanguageState {
  std::string programDirectory;
  uint16_t languageId = kEnglishUs;
  std::string name = "English";
  std::string filePath;
  // The language file as it was when the language was selected; lookups never
  // touch the disk, so translating is cheap on every thread.
  std::shared_ptr<const IniDocument> document;
};

// Written at start-up on the user-interface thread; TranslateText copies the
// document pointer under the lock, so a reload in tests never races a
// worker's lookup.
std::mutex stateMutex;
LanguageState state;

std::string LanguageFolder(const std::string& programDirectory) {
  std::string folder = programDirectory;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + "Languages/";
}

// The Language.ini entry of the system's language, or English.
void ReadLanguageEntry(uint16_t& languageId, std::string& name) {
  languageId = SystemLanguageId();
  name = ReadIniString(LanguageFolder(state.programDirectory) + "Language.ini", "LCID",
                       std::to_string(languageId), "", kMaxValueChars);
  if (name.empty()) {
    name = "English";
    languageId = kEnglishUs;
  }
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
}

struct LocaleEntry {
  std::string_view locale;
  uint16_t id;
};

// Windows language identifiers; the first entry of a language is its main
// country, used when a locale names only the language or an unlisted country.
constexpr LocaleEntry kLocales[] = {
    {"zh_CN", 2052}, {"zh_TW", 1028}, {"zh_HK", 3076},  {"zh_SG", 4100},  {"zh_MO", 5124},
    {"en_US", 1033}, {"en_GB", 2057}, {"en_AU", 3081},  {"en_CA", 4105},  {"en_NZ", 5129},
    {"en_IE", 6153}, {"en_ZA", 7177}, {"en_IN", 16393}, {"en_SG", 18441}, {"de_DE", 1031},
    {"de_CH", 2055}, {"de_AT", 3079}, {"de_LU", 4103},  {"de_LI", 5127},  {"fr_FR", 1036},
    {"fr_BE", 2060}, {"fr_CA", 3084}, {"fr_CH", 4108},  {"fr_LU", 5132},  {"es_ES", 3082},
    {"es_MX", 2058}, {"es_CO", 9226}, {"es_AR", 11274}, {"es_CL", 13322}, {"es_US", 21514},
    {"it_IT", 1040}, {"it_CH", 2064}, {"ja_JP", 1041},  {"ko_KR", 1042},  {"pt_BR", 1046},
    {"pt_PT", 2070}, {"ru_RU", 1049}, {"ar_SA", 1025},  {"ar_EG", 3073},  {"ar_AE", 14337},
    {"bg_BG", 1026}, {"ca_ES", 1027}, {"cs_CZ", 1029},  {"da_DK", 1030},  {"el_GR", 1032},
    {"fi_FI", 1035}, {"he_IL", 1037}, {"hu_HU", 1038},  {"is_IS", 1039},  {"nl_NL", 1043},
    {"nl_BE", 2067}, {"nb_NO", 1044}, {"no_NO", 1044},  {"nn_NO", 2068},  {"pl_PL", 1045},
    {"ro_RO", 1048}, {"hr_HR", 1050}, {"sk_SK", 1051},  {"sq_AL", 1052},  {"sv_SE", 1053},
    {"sv_FI", 2077}, {"th_TH", 1054}, {"tr_TR", 1055},  {"ur_PK", 1056},  {"id_ID", 1057},
    {"uk_UA", 1058}, {"be_BY", 1059}, {"sl_SI", 1060},  {"et_EE", 1061},  {"lv_LV", 1062},
    {"lt_LT", 1063}, {"fa_IR", 1065}, {"vi_VN", 1066},  {"hy_AM", 1067},  {"eu_ES", 1069},
    {"mk_MK", 1071}, {"af_ZA", 1078}, {"ka_GE", 1079},  {"hi_IN", 1081},  {"ms_MY", 1086},
    {"kk_KZ", 1087}, {"sw_KE", 1089}, {"bn_IN", 1093},  {"ta_IN", 1097},  {"te_IN", 1098},
    {"mr_IN", 1102}, {"gl_ES", 1110}, {"sr_RS", 10266},
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

}  // namespace

bool LoadLanguage(const std::string& programDirectory) {
  std::string name;
  {
    std::lock_guard lock(stateMutex);
    state.programDirectory = programDirectory;
    ReadLanguageEntry(state.languageId, name);
  }
  SelectLanguage(name);
  return true;
}

void SelectLanguage(const std::string& languageName) {
  std::lock_guard lock(stateMutex);
  state.name = languageName.empty() ? "English" : languageName;
  state.filePath = LanguageFolder(state.programDirectory) + state.name + ".lng";
  state.document = nullptr;
  std::error_code error;
  const auto size = std::filesystem::file_size(state.filePath, error);
  if (!error && size > 0) {
    state.document = LoadIniDocument(state.filePath);
    return;
  }
  // No usable file: lookups find nothing and every text stays English, but the
  // identifier still follows Language.ini.
  std::string ignoredName;
  ReadLanguageEntry(state.languageId, ignoredName);
}

std::string TranslateText(std::string_view english) {
  if (english.empty()) return {};
  std::string key(english);
  for (char& c : key) c = AsciiLower(c);
  std::shared_ptr<const IniDocument> document;
  {
    std::lock_guard lock(stateMutex);
    document = state.document;
  }
  const std::string* value = document ? document->Find("ProgramOutStr", key) : nullptr;
  if (!value || value->empty()) return std::string(english);
  std::string text(CutToUtf16Units(*value, kMaxValueChars));
  ReplaceAll(text, "\\r\\n", "\r\n");
  ReplaceAll(text, "\\n", "\n");
  ReplaceAll(text, "[~NullInfoVemla~]", "");
  ReplaceAll(text, "[~Null~]", " ");
  return text;
}

uint16_t LanguageId() {
  std::lock_guard lock(stateMutex);
  return state.languageId;
}

const std::string& LanguageName() {
  std::lock_guard lock(stateMutex);
  return state.name;
}

const std::string& LanguageFilePath() {
  std::lock_guard lock(stateMutex);
  return state.filePath;
}

uint16_t LocaleLanguageId(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  const std::size_t separator = locale.find_first_of("_-");
  std::string language(locale.substr(0, separator));
  for (char& c : language) c = AsciiLower(c);
  std::string country;
  if (separator != std::string_view::npos) country = locale.substr(separator + 1);
  for (char& c : country) c = AsciiUpper(c);
  if (language.empty() || language == "c" || language == "posix") return kEnglishUs;

  const std::string wanted = language + "_" + country;
  for (const LocaleEntry& entry : kLocales)
    if (entry.locale == wanted) return entry.id;
  for (const LocaleEntry& entry : kLocales)
    if (entry.locale.substr(0, entry.locale.find('_')) == language) return entry.id;
  return kEnglishUs;
}

uint16_t SystemLanguageId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LocaleLanguageId(value);
  }
  return kEnglishUs;
}
