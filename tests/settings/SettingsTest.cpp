// The settings store against real INI files in a temporary folder.
#include <gtest/gtest.h>

#include "settings/Settings.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

TEST(SettingsFirstStart, WritesOnlyTheSevenYesNoKeys)
{
    TempDir folder;
    std::string path = folder.file("Dashvane.ini");
    Settings settings(path);
    EXPECT_EQ(iniSection(path, "Options"),
              "Show Graphs=No\nShow Tooltips=No\nLocked=No\nRight Align=Yes\n"
              "Run At Startup=No\nAuto BG Color=No\n");
    EXPECT_EQ(iniSection(path, "Font"), "Italic=No\n");
}
