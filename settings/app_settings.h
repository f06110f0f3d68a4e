#pragma once
// The look of the program and the device engine's retransmission parameters,
// read once from Setting.ini at start-up and then only read. Members are named
// after their keys. Colours start black: a colour key that is present but not
// valid stays black, only an absent key takes the default.

#include <string>

#include "settings/setting_values.h"

struct FontDescription {
  int height = 0;  // logical units as given to font creation; 0 is the default size
  int weight = 0;  // 0 default, 700 bold
  std::string faceName;
};

struct AppSettings {
  // Section Color.
  Colour ChildBkColor;
  Colour ButtonMenuFontColor;
  Colour ButtonFontColor;
  Colour TextDownColor;
  Colour StaticFontTextColor;
  Colour StaticFontBkColor;
  Colour StaticTextNumberColor;
  Colour LineColor;
  Colour GridTextColor;
  Colour GridTitleTextColor;
  Colour GridTitleBkColor;
  Colour TextUnlineColor;
  Colour TextOnlineColor;

  // Section Font.
  std::string FontName;
  int ButtonMenuFontWeight = 0;
  int ButtonMenuFontHeight = 0;
  int ButtonFontWeight = 0;
  int ButtonFontHeight = 0;
  int StaticFontWeight = 0;
  int StaticFontHeight = 0;
  int GridTitleFontWeight = 0;
  int GridTitleFontHeight = 0;
  int GridFontWeight = 0;
  int GridFontHeight = 0;

  // Built from the Font section.
  FontDescription GridTitleFont;
  FontDescription GridFont;

  // Section Setting.
  int retransmission_max = 0;
  int retransmission_interval = 0;  // milliseconds

  int GridRowHeight = 48;        // pixels of a grid body row; not configurable
  std::string VersionText;       // "V" and the program's version
  std::string ProgramDirectory;  // with a trailing '/'
};

// Every key read with ReadSetting and its built-in default.
AppSettings ReadAppSettings();
