#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/setting_reader.h"
#include "tests/util/temp_directory.h"
#include "util/program_paths.h"

namespace {

class AppSettingsTest : public ::testing::Test {
 protected:
  void UseSettings(std::string_view contents) {
    SetSettingFile(dir_.Write("Setting.ini", contents));
  }
  void SetUp() override { SetSettingFile(dir_.path() / "Setting.ini"); }  // absent at first
  void TearDown() override { SetSettingFile({}); }

  TempDirectory dir_;
};

TEST_F(AppSettingsTest, DefaultsWithoutSettingFile) {
  const AppSettings s = ReadAppSettings();
  const Colour white{255, 255, 255}, black{0, 0, 0};
  EXPECT_EQ(s.ChildBkColor, white);
  EXPECT_EQ(s.ButtonMenuFontColor, black);
  EXPECT_EQ(s.ButtonFontColor, black);
  EXPECT_EQ(s.TextDownColor, (Colour{216, 34, 40}));
  EXPECT_EQ(s.StaticFontTextColor, black);
  EXPECT_EQ(s.StaticFontBkColor, white);
  EXPECT_EQ(s.StaticTextNumberColor, (Colour{142, 142, 142}));
  EXPECT_EQ(s.LineColor, (Colour{215, 215, 215}));
  EXPECT_EQ(s.GridTextColor, black);
  EXPECT_EQ(s.GridTitleTextColor, (Colour{237, 112, 32}));
  EXPECT_EQ(s.GridTitleBkColor, (Colour{221, 217, 196}));
  EXPECT_EQ(s.TextUnlineColor, (Colour{142, 142, 142}));
  EXPECT_EQ(s.TextOnlineColor, (Colour{0, 153, 0}));

  EXPECT_EQ(s.FontName, "Arial");
  EXPECT_EQ(s.ButtonMenuFontWeight, 0);
  EXPECT_EQ(s.ButtonMenuFontHeight, 15);
  EXPECT_EQ(s.ButtonFontWeight, 0);
  EXPECT_EQ(s.ButtonFontHeight, 15);
  EXPECT_EQ(s.StaticFontWeight, 0);
  EXPECT_EQ(s.StaticFontHeight, 15);
  EXPECT_EQ(s.GridTitleFontWeight, 700);
  EXPECT_EQ(s.GridTitleFontHeight, 15);
  EXPECT_EQ(s.GridFontWeight, 0);
  EXPECT_EQ(s.GridFontHeight, 15);
  EXPECT_EQ(s.GridTitleFont.height, 15);
  EXPECT_EQ(s.GridTitleFont.weight, 700);
  EXPECT_EQ(s.GridTitleFont.faceName, "Arial");
  EXPECT_EQ(s.GridFont.height, 15);
  EXPECT_EQ(s.GridFont.weight, 0);
  EXPECT_EQ(s.GridFont.faceName, "Arial");

  EXPECT_EQ(s.retransmission_max, 3);
  EXPECT_EQ(s.retransmission_interval, 2000);
  EXPECT_EQ(s.GridRowHeight, 48);
  EXPECT_EQ(s.VersionText, "V1.0.0.0");
  EXPECT_EQ(s.ProgramDirectory, GetExeDirectory());
}

TEST_F(AppSettingsTest, ValuesFromFile) {
  UseSettings(
      "[Color]\r\nChildBkColor=0,0,255\r\nLineColor = 10, 20, 30\r\n"
      "[Font]\r\nFontName=DejaVu Sans\r\nGridTitleFontWeight=400\r\nGridFontHeight=12\r\n"
      "[Setting]\r\nretransmission_max=5\r\nretransmission_interval=500\r\n");
  const AppSettings s = ReadAppSettings();
  EXPECT_EQ(s.ChildBkColor, (Colour{0, 0, 255}));
  EXPECT_EQ(s.LineColor, (Colour{10, 20, 30}));
  EXPECT_EQ(s.GridTitleFont.faceName, "DejaVu Sans");
  EXPECT_EQ(s.GridTitleFont.weight, 400);
  EXPECT_EQ(s.GridFont.height, 12);
  EXPECT_EQ(s.GridFont.faceName, "DejaVu Sans");
  EXPECT_EQ(s.retransmission_max, 5);
  EXPECT_EQ(s.retransmission_interval, 500);
  EXPECT_EQ(s.StaticFontBkColor, (Colour{255, 255, 255}));  // absent key keeps its default
}

TEST_F(AppSettingsTest, InvalidOrEmptyValuesAreNotDefaults) {
  UseSettings(
      "[Color]\nChildBkColor=0,0,256\nLineColor=blue\nGridTitleBkColor=\"1,2\",3\n"
      "TextOnlineColor=1,2\nTextDownColor=\n"
      "[Font]\nButtonFontHeight=\n"
      "[Setting]\nretransmission_max=three\n");
  const AppSettings s = ReadAppSettings();
  const Colour black{0, 0, 0};
  EXPECT_EQ(s.ChildBkColor, black);
  EXPECT_EQ(s.LineColor, black);
  EXPECT_EQ(s.GridTitleBkColor, black);
  EXPECT_EQ(s.TextOnlineColor, black);
  EXPECT_EQ(s.TextDownColor, black);
  EXPECT_EQ(s.ButtonFontHeight, 0);
  EXPECT_EQ(s.retransmission_max, 0);
  EXPECT_EQ(s.retransmission_interval, 2000);
}

TEST_F(AppSettingsTest, ValuesCappedAt63Characters) {
  const std::string longName(70, 'F');
  UseSettings("[Font]\nFontName=" + longName + "\n");
  EXPECT_EQ(ReadSetting("Font", "FontName", "Arial"), longName.substr(0, 63));
  EXPECT_EQ(ReadAppSettings().FontName, longName.substr(0, 63));
}

TEST_F(AppSettingsTest, ReadSettingDefaults) {
  UseSettings("[Font]\nEmpty=\n");
  EXPECT_EQ(ReadSetting("Font", "Empty", "x"), "");
  EXPECT_EQ(ReadSetting("Font", "Missing", "x"), "x");
  EXPECT_EQ(ReadSetting("Other", "Empty", "x"), "x");
}

TEST(SettingFile, DefaultsToProgramSettingFile) {
  SetSettingFile({});
  EXPECT_EQ(SettingFile(), FindProgramResource("Setting.ini"));
}

}  // namespace
