// The graph colour chooser, with a fake dialog playing the user.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>

#include "menu/ColourChooser.h"
#include "platform/GdiGuards.h"
#include "settings/Settings.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

// The user picks a colour, may define custom colour 5, then OK or Cancel.
struct Play {
    BOOL ok = TRUE;
    COLORREF pick = 0, custom = 0;
    CHOOSECOLORW seen{};
    COLORREF customSeen = 0;
};
Play* user;

BOOL WINAPI fakeColourDialog(LPCHOOSECOLORW choice)
{
    user->seen = *choice;
    user->customSeen = choice->lpCustColors[5];
    choice->lpCustColors[5] = user->custom;
    choice->rgbResult = user->pick;
    return user->ok;
}

class ColourChooserTest : public ::testing::Test {
protected:
    ColourChooserTest()
    {
        app.settings = &settings;
        user = &play;
    }

    COLORREF brushPaints() const
    {
        ScreenDC screen;
        MemoryDC memory(screen.get());
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), 4, 4));
        Selection selected(memory.get(), bitmap.get());
        RECT area{0, 0, 4, 4};
        FillRect(memory.get(), &area, settings.graphBrush.get());
        return GetPixel(memory.get(), 1, 1);
    }

    TempDir dir;
    std::string path = dir.file("Dashvane.ini");
    Settings settings{path};
    AppState app;
    Play play;
};

// Only OK with a colour other than the current one writes and repaints.
TEST_F(ColourChooserTest, OkWithANewColourIsStoredAndPainted)
{
    const COLORREF start = settings.graphColour;
    struct Case {
        BOOL ok;
        COLORREF pick;
        const char* stored;
        COLORREF painted;
    };
    for (const Case& c :
         {Case{FALSE, RGB(255, 0, 0), "71,96,141", start}, Case{TRUE, start, "71,96,141", start},
          Case{TRUE, RGB(255, 0, 0), "255,0,0", RGB(255, 0, 0)},
          Case{TRUE, RGB(1, 2, 250), "1,2,250", RGB(1, 2, 250)}}) {
        SCOPED_TRACE(c.stored);
        const COLORREF before = settings.graphColour;
        play.ok = c.ok;
        play.pick = c.pick;
        ChooseGraphColour(app, fakeColourDialog);
        EXPECT_EQ(play.seen.rgbResult, before);
        EXPECT_EQ(play.seen.Flags, static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN));
        EXPECT_EQ(iniValue(path, "Graph", "RGBColour"), c.stored);
        EXPECT_EQ(settings.graphColour, c.painted);
        EXPECT_EQ(brushPaints(), c.painted);
        EXPECT_FALSE(app.chooserOpen);
    }
    // The dialog's "Fuchsia" is the window's transparent colour: stored as
    // chosen, painted one step off.
    play.ok = TRUE;
    play.pick = RGB(255, 0, 255);
    ChooseGraphColour(app, fakeColourDialog);
    EXPECT_EQ(iniValue(path, "Graph", "RGBColour"), "255,0,255");
    EXPECT_EQ(settings.graphColour, RGB(255, 0, 255));
    EXPECT_EQ(brushPaints(), RGB(255, 0, 254));
}

// The text colour from the menu: the same dialog, stored with the font.
TEST_F(ColourChooserTest, TextColourIsStoredWithTheFontAndDrawsTheFrame)
{
    const COLORREF start = settings.fontColour;
    play.ok = FALSE;
    play.pick = RGB(0, 128, 0);
    EXPECT_FALSE(ChooseTextColour(app, fakeColourDialog));
    EXPECT_EQ(play.seen.rgbResult, start);
    EXPECT_EQ(settings.fontColour, start);

    play.ok = TRUE;
    EXPECT_TRUE(ChooseTextColour(app, fakeColourDialog));
    EXPECT_EQ(iniValue(path, "Font", "RGBColour"), "0,128,0");
    EXPECT_EQ(settings.fontColour, RGB(0, 128, 0));
    LOGPEN pen{};
    GetObjectA(settings.textPen.get(), sizeof pen, &pen);
    EXPECT_EQ(pen.lopnColor, RGB(0, 128, 0));
    EXPECT_FALSE(ChooseTextColour(app, fakeColourDialog));
}

TEST_F(ColourChooserTest, CustomColoursOutliveTheDialog)
{
    play.ok = FALSE;
    play.custom = RGB(10, 20, 30);
    ChooseGraphColour(app, fakeColourDialog);
    play.custom = RGB(0, 0, 0);
    ChooseGraphColour(app, fakeColourDialog);
    EXPECT_EQ(play.customSeen, RGB(10, 20, 30));
}

}  // namespace
