#include "settings/app_settings.h"

#include "settings/setting_reader.h"
#include "util/program_paths.h"

namespace {

void ReadColour(std::string_view key, std::string_view defaultValue, Colour& colour) {
  ParseColour(ReadSetting("Color", key, defaultValue), colour);
}

int ReadFontNumber(std::string_view key, std::string_view defaultValue) {
  return ParseInteger(ReadSetting("Font", key, defaultValue));
}

}  // namespace

AppSettings ReadAppSettings() {
  AppSettings settings;
  ReadColour("ChildBkColor", "255,255,255", settings.ChildBkColor);
  settings.FontName = ReadSetting("Font", "FontName", "Arial");

  ReadColour("ButtonMenuFontColor", "0,0,0", settings.ButtonMenuFontColor);
  settings.ButtonMenuFontWeight = ReadFontNumber("ButtonMenuFontWeight", "0");
  settings.ButtonMenuFontHeight = ReadFontNumber("ButtonMenuFontHeight", "15");

  ReadColour("ButtonFontColor", "0,0,0", settings.ButtonFontColor);
  settings.ButtonFontWeight = ReadFontNumber("ButtonFontWeight", "0");
  settings.ButtonFontHeight = ReadFontNumber("ButtonFontHeight", "15");

  settings.StaticFontWeight = ReadFontNumber("StaticFontWeight", "0");
  settings.StaticFontHeight = ReadFontNumber("StaticFontHeight", "15");
  ReadColour("StaticFontTextColor", "0,0,0", settings.StaticFontTextColor);
  ReadColour("StaticFontBkColor", "255,255,255", settings.StaticFontBkColor);

  ReadColour("TextDownColor", "216,34,40", settings.TextDownColor);
  ReadColour("LineColor", "215,215,215", settings.LineColor);
  ReadColour("StaticTextNumberColor", "142,142,142", settings.StaticTextNumberColor);

  settings.GridTitleFontWeight = ReadFontNumber("GridTitleFontWeight", "700");
  settings.GridTitleFontHeight = ReadFontNumber("GridTitleFontHeight", "15");
  settings.GridFontWeight = ReadFontNumber("GridFontWeight", "0");
  settings.GridFontHeight = ReadFontNumber("GridFontHeight", "15");

  ReadColour("GridTextColor", "0,0,0", settings.GridTextColor);
  ReadColour("GridTitleTextColor", "237,112,32", settings.GridTitleTextColor);
  ReadColour("GridTitleBkColor", "221,217,196", settings.GridTitleBkColor);
  ReadColour("TextUnlineColor", "142,142,142", settings.TextUnlineColor);
  ReadColour("TextOnlineColor", "0,153,0", settings.TextOnlineColor);

  settings.GridTitleFont = {settings.GridTitleFontHeight, settings.GridTitleFontWeight,
                            settings.FontName};
  settings.GridFont = {settings.GridFontHeight, settings.GridFontWeight, settings.FontName};

  settings.retransmission_max = ParseInteger(ReadSetting("Setting", "retransmission_max", "3"));
  settings.retransmission_interval =
      ParseInteger(ReadSetting("Setting", "retransmission_interval", "2000"));

  settings.GridRowHeight = 48;
  settings.VersionText = "V" + GetFileVersionText();
  settings.ProgramDirectory = GetExeDirectory();
  return settings;
}
