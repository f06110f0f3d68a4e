#pragma once
// Full paths of the skin pictures, built once at start-up from the Skin folder.
// Three pictures come in two variants: "_chinese" for simplified Chinese
// (language 2052), "_other" for every other language.

#include <cstdint>
#include <string>

struct SkinPaths {
  std::string mainBackground, menuBackground, icon;
  std::string closeButton, minimiseButton, helpButton;
  std::string helpProduct, helpSupport, helpContact, helpHelp;
  std::string menuSearchNormal, menuSearchDown, menuWirelessNormal, menuWirelessDown;
  std::string searchButton, updateNormal, updateDown, searchLeft, searchRight, line;
  std::string waitSearch, web, bridge, help, bridgeFinish;
  std::string signalStrength[6];
  std::string write, configButton, configButtonAlt, closeConfig;
  std::string tabSelected, tabOther, grayLine, orangeLine, closeWait;
};

inline constexpr uint16_t kSimplifiedChineseId = 2052;

// `skinDirectory` is the Skin folder, with or without a trailing '/'.
SkinPaths BuildSkinPaths(const std::string& skinDirectory, uint16_t languageId);

// Every file name the skin consists of (both language variants), for the
// generator and the tests.
const char* const* SkinFileNames(int& count);
