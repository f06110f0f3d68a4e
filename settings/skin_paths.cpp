#include "settings/skin_paths.h"

#include <iterator>

namespace {
const char* const kSkinFiles[] = {
    "main_bk.jpg",
    "main_left_bk.jpg",
    "Application.ico",
    "close_normal.bmp",
    "min_normal.bmp",
    "help_normal.bmp",
    "help_product_normal.bmp",
    "help_support_normal.bmp",
    "help_contact_normal.bmp",
    "help_help_normal.bmp",
    "bt_menu_search_normal.bmp",
    "bt_menu_search_down.bmp",
    "bt_menu_wireless_normal.bmp",
    "bt_menu_wireless_down.bmp",
    "btn_search.bmp",
    "btn_update_normal.bmp",
    "btn_update_down.bmp",
    "btn_pie.bmp",
    "btn_pie2.bmp",
    "line.bmp",
    "wait_search.gif",
    "web_chinese.bmp",
    "web_other.bmp",
    "bridge_chinese.bmp",
    "bridge_other.bmp",
    "help_chinese.jpg",
    "help_other.jpg",
    "bridge_finish.jpg",
    "singal_strength0.bmp",
    "singal_strength1.bmp",
    "singal_strength2.bmp",
    "singal_strength3.bmp",
    "singal_strength4.bmp",
    "singal_strength5.bmp",
    "write.bmp",
    "btn_config.bmp",
    "config_btn.bmp",
    "close_config.bmp",
    "wireless_basic.bmp",
    "wireless_config.bmp",
    "gray_line.bmp",
    "orange_line.bmp",
    "close_wait.bmp",
};
}  // namespace

const char* const* SkinFileNames(int& count) {
  count = static_cast<int>(std::size(kSkinFiles));
  return kSkinFiles;
}

SkinPaths BuildSkinPaths(const std::string& skinDirectory, uint16_t languageId) {
  std::string dir = skinDirectory;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const auto at = [&](const char* name) { return dir + name; };
  const char* variant = languageId == kSimplifiedChineseId ? "_chinese" : "_other";
  const auto localised = [&](const char* stem, const char* extension) {
    return dir + stem + variant + extension;
  };
  SkinPaths p;
  p.mainBackground = at("main_bk.jpg");
  p.menuBackground = at("main_left_bk.jpg");
  p.icon = at("Application.ico");
  p.closeButton = at("close_normal.bmp");
  p.minimiseButton = at("min_normal.bmp");
  p.helpButton = at("help_normal.bmp");
  p.helpProduct = at("help_product_normal.bmp");
  p.helpSupport = at("help_support_normal.bmp");
  p.helpContact = at("help_contact_normal.bmp");
  p.helpHelp = at("help_help_normal.bmp");
  p.menuSearchNormal = at("bt_menu_search_normal.bmp");
  p.menuSearchDown = at("bt_menu_search_down.bmp");
  p.menuWirelessNormal = at("bt_menu_wireless_normal.bmp");
  p.menuWirelessDown = at("bt_menu_wireless_down.bmp");
  p.searchButton = at("btn_search.bmp");
  p.updateNormal = at("btn_update_normal.bmp");
  p.updateDown = at("btn_update_down.bmp");
  p.searchLeft = at("btn_pie.bmp");
  p.searchRight = at("btn_pie2.bmp");
  p.line = at("line.bmp");
  p.waitSearch = at("wait_search.gif");
  p.web = localised("web", ".bmp");
  p.bridge = localised("bridge", ".bmp");
  p.help = localised("help", ".jpg");
  p.bridgeFinish = at("bridge_finish.jpg");
  for (int level = 0; level < 6; ++level) {
    p.signalStrength[level] = dir + "singal_strength" + std::to_string(level) + ".bmp";
  }
  p.write = at("write.bmp");
  p.configButton = at("btn_config.bmp");
  p.configButtonAlt = at("config_btn.bmp");
  p.closeConfig = at("close_config.bmp");
  p.tabSelected = at("wireless_basic.bmp");
  p.tabOther = at("wireless_config.bmp");
  p.grayLine = at("gray_line.bmp");
  p.orangeLine = at("orange_line.bmp");
  p.closeWait = at("close_wait.bmp");
  return p;
}
