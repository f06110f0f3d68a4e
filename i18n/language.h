#pragma once
// Language lookup: the language is chosen once at start-up from the locale
// through Languages/Language.ini, and every visible text is passed through
// TranslateText, whose key is the English text.
//
// LoadLanguage and SelectLanguage run once on the user-interface thread before
// anything translates; TranslateText may then be called from any thread.

#include <cstdint>
#include <string>
#include <string_view>

// Program directory with its trailing '/'. Always true.
bool LoadLanguage(const std::string& programDirectory);
void SelectLanguage(const std::string& languageName);
std::string TranslateText(std::string_view english);

// Low 16 bits of the locale's Windows language identifier (1033 without an
// entry in Language.ini), the language name and the language file's path.
uint16_t LanguageId();
const std::string& LanguageName();
const std::string& LanguageFilePath();

// The locale of LC_ALL, else LC_MESSAGES, else LANG, as the Windows language
// identifier the language files are keyed by (1033 when unknown).
uint16_t LocaleLanguageId(std::string_view locale);
uint16_t SystemLanguageId();
