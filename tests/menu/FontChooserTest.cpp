// The font chooser, with a fake dialog playing the user (Apply, OK, Cancel)
// and once with the real dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "menu/ColourChooser.h"
#include "menu/Commands.h"
#include "menu/FontChooser.h"
#include "platform/Messages.h"
#include "platform/Utf8.h"
#include "support/Fixture.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"
#include "support/Pixels.h"

namespace {

LOGFONTW font(const char* face, int height, LONG weight = 0, BYTE italic = 0)
{
    LOGFONTW result{};
    lstrcpynW(result.lfFaceName, toWide(face).c_str(), LF_FACESIZE);
    result.lfHeight = height;
    result.lfWeight = weight;
    result.lfItalic = italic;
    return result;
}

// The user: optionally Apply with a font and colour picked, then OK or
// Cancel with the dialog's fields left as given or set to the final pick.
struct Play {
    bool apply = false;
    LOGFONTW applied{};
    COLORREF appliedColour = 0;
    BOOL ok = TRUE;
    bool pickFont = false;
    LOGFONTW picked{};
    COLORREF pickedColour = 0;

    CHOOSEFONTW seen{};
    bool effectsEnabled = true, openDuring = false, nestedOpened = false;
    std::string afterApply;  // face and colour current right after Apply
    int pointsAfterApply = 0;
};
Play* user;
AppState* userApp;

LRESULT CALLBACK fakeDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHOOSEFONT_GETLOGFONT)
        *reinterpret_cast<LOGFONTW*>(lParam) = user->applied;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden stand-in for the dialog: answers the description request and has
// the effect boxes and the colour list the hook reaches by id.
HWND createFakeDialog()
{
    registerTestClass("DashvaneFakeFontDialog", fakeDialogProcedure);
    HWND dialog = CreateWindowExA(0, "DashvaneFakeFontDialog", "", WS_POPUP, 0, 0, 9, 9, nullptr,
                                  nullptr, nullptr, nullptr);
    for (int id : {chx1, chx2, cmb4})
        CreateWindowExA(0, id == cmb4 ? "COMBOBOX" : "BUTTON", "",
                        WS_CHILD | (id == cmb4 ? CBS_DROPDOWNLIST : BS_AUTOCHECKBOX), 0, 0, 9, 9,
                        dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                        nullptr);
    SendDlgItemMessageA(dialog, cmb4, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Black"));
    SendDlgItemMessageA(dialog, cmb4, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Picked"));
    SendDlgItemMessageA(dialog, cmb4, CB_SETITEMDATA, 1, static_cast<LPARAM>(user->appliedColour));
    SendDlgItemMessageA(dialog, cmb4, CB_SETCURSEL, 1, 0);
    return dialog;
}

BOOL WINAPI unexpectedFontDialog(LPCHOOSEFONTW)
{
    return user->nestedOpened = true;
}

BOOL WINAPI unexpectedColourDialog(LPCHOOSECOLORW)
{
    return user->nestedOpened = true;
}

BOOL WINAPI fakeFontDialog(LPCHOOSEFONTW choice)
{
    user->seen = *choice;
    user->openDuring = userApp->chooserOpen;
    ChooseTextFont(*userApp, unexpectedFontDialog);
    ChooseGraphColour(*userApp, unexpectedColourDialog);
    if (user->apply) {
        HWND dialog = createFakeDialog();
        choice->lpfnHook(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(choice));
        user->effectsEnabled = IsWindowEnabled(GetDlgItem(dialog, chx1))
                               || IsWindowEnabled(GetDlgItem(dialog, chx2));
        choice->lpfnHook(dialog, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED), 0);
        user->afterApply = toUtf8(userApp->settings->font.lfFaceName) + " "
                           + std::to_string(userApp->settings->fontColour);
        user->pointsAfterApply = userApp->settings->fontPointSize;
        choice->lpfnHook(dialog, WM_DESTROY, 0, 0);
        DestroyWindow(dialog);
    }
    // Written on Cancel too, as one platform's dialog does.
    if (user->pickFont)
        *choice->lpLogFont = user->picked;
    choice->rgbColors = user->pickedColour;
    return user->ok;
}

class FontChooserTest : public MainWindowTest {
protected:
    FontChooserTest()
    {
        settings.screenDpi = 96;
        settings.font = font("Courier New", -19);
        settings.fontPointSize = 14;
        play.pickedColour = settings.fontColour;
        user = &play;
        userApp = &app;
    }
    // The face the display font finds among the installed ones.
    std::string selectedFace() const
    {
        ScreenDC screen;
        Selection font(screen.get(), app.displayFont.get());
        WCHAR face[LF_FACESIZE] = {};
        GetTextFaceW(screen.get(), LF_FACESIZE, face);
        return toUtf8(face);
    }
    LOGFONTW displayed() const
    {
        LOGFONTW shown{};
        GetObjectW(app.displayFont.get(), sizeof shown, &shown);
        return shown;
    }
    COLORREF penColour() const
    {
        LOGPEN pen{};
        GetObjectA(settings.textPen.get(), sizeof pen, &pen);
        return pen.lopnColor;
    }

    Play play;
};

TEST_F(FontChooserTest, ColourAloneIsWrittenWithoutARelayout)
{
    const COLORREF colour = settings.fontColour;
    // Written at the start; gone, it shows whether the chooser writes it.
    WritePrivateProfileStringA("Font", "Name", nullptr, path.c_str());
    play.pickedColour = RGB(255, 0, 0);
    EXPECT_FALSE(ChooseTextFont(app, fakeFontDialog));
    EXPECT_EQ(play.seen.Flags,
              static_cast<DWORD>(CF_SCREENFONTS | CF_ENABLEHOOK | CF_INITTOLOGFONTSTRUCT
                                 | CF_EFFECTS | CF_APPLY | CF_LIMITSIZE));
    EXPECT_EQ(play.seen.nSizeMin, 4);
    EXPECT_EQ(play.seen.nSizeMax, 144);
    EXPECT_EQ(play.seen.hwndOwner, GetDesktopWindow());
    EXPECT_EQ(play.seen.rgbColors, colour);
    // Both choosers are held off while one is open.
    EXPECT_TRUE(play.openDuring);
    EXPECT_FALSE(play.nestedOpened);
    EXPECT_FALSE(app.chooserOpen);

    EXPECT_EQ(iniValue(path, "Font", "RGBColour"), "255,0,0");
    EXPECT_EQ(penColour(), RGB(255, 0, 0));
    EXPECT_EQ(iniValue(path, "Font", "Name"), "<missing>");
    EXPECT_EQ(app.displayFont.get(), nullptr);
}

// The point size is the cell height at 96 DPI, and the same point size is
// stored whatever the DPI; never underlined or struck out.
TEST_F(FontChooserTest, PointSizeBecomesTheCellHeight)
{
    struct Case {
        int dpi, points;
        LONG dialogHeight;
        int windowDpi, cellHeight;
    };
    for (const Case& c : {Case{96, 14, -19, 96, 14}, Case{96, 9, -12, 96, 9},
                          Case{120, 14, -23, 96, 14}, Case{144, 14, -28, 144, 21}}) {
        SCOPED_TRACE(std::to_string(c.points) + " points at " + std::to_string(c.dpi));
        ASSERT_EQ(-MulDiv(c.points, c.dpi, 72), c.dialogHeight);
        settings.screenDpi = c.dpi;
        renderer.dpi = c.windowDpi;
        settings.font.lfHeight = -1;
        play.pickFont = true;
        play.picked = font("Courier New", c.dialogHeight);
        play.picked.lfUnderline = play.picked.lfStrikeOut = TRUE;
        EXPECT_TRUE(ChooseTextFont(app, fakeFontDialog));
        EXPECT_EQ(settings.fontPointSize, c.points);
        EXPECT_EQ(iniValue(path, "Font", "Point"), std::to_string(c.points));
        EXPECT_EQ(displayed().lfHeight, c.cellHeight);
        EXPECT_FALSE(displayed().lfUnderline || displayed().lfStrikeOut);
    }
}

// What OK or Apply hand over is kept within 4 to 144 points, at any DPI,
// in memory and in the file.
TEST_F(FontChooserTest, SizesPastTheBoundsAreBroughtWithinThem)
{
    struct Case {
        bool apply;
        int dpi, dialogPoints, points;
    };
    for (const Case& c :
         {Case{false, 96, 1, 4}, Case{false, 96, 1638, 144}, Case{false, 120, 3, 4},
          Case{true, 144, 200, 144}, Case{true, 96, 2, 4}, Case{false, 120, 144, 144}}) {
        SCOPED_TRACE(std::to_string(c.dialogPoints) + (c.apply ? " applied" : " chosen"));
        settings.screenDpi = c.dpi;
        settings.font = font("Courier New", -MulDiv(14, c.dpi, 72));
        LOGFONTW chosen = font("Courier New", -MulDiv(c.dialogPoints, c.dpi, 72));
        // Applied, then cancelled: what Apply made current is seen in between.
        play.apply = c.apply;
        play.applied = chosen;
        play.ok = !c.apply;
        play.pickFont = !c.apply;
        play.picked = chosen;
        ChooseTextFont(app, fakeFontDialog);
        if (c.apply) {
            EXPECT_EQ(play.pointsAfterApply, c.points);
            continue;
        }
        EXPECT_EQ(settings.fontPointSize, c.points);
        EXPECT_EQ(settings.font.lfHeight, -MulDiv(c.points, c.dpi, 72));
        EXPECT_EQ(iniValue(path, "Font", "Point"), std::to_string(c.points));
    }
}

// A new text colour alone calls for no re-layout, yet the next tick draws
// every row in it, not only the rows whose values changed.
TEST_F(FontChooserTest, ANewTextColourAloneReachesEveryRow)
{
    constexpr DWORD kYellow = 0xFFFF00, kRed = 0xFF0000;
    ApplyFontColour(app, RGB(255, 255, 0));
    RemakeDisplayFont(app);
    Relayout(app);
    send(WM_TIMER, IDT_REFRESH);

    play.pickedColour = RGB(255, 0, 0);
    CommandHooks hooks;
    hooks.chooseFont = [](AppState& chooserApp) {
        return ChooseTextFont(chooserApp, fakeFontDialog);
    };
    ExecuteMenuCommand(app, IDM_CHANGE_FONT, hooks);
    item(0).setValue("9:05:08");
    item(0).markChanged();
    send(WM_TIMER, IDT_REFRESH);

    const int width = renderer.pictureWidth;
    std::vector<DWORD> shown = pixelsOf(renderer.memoryDC(), 0, 0, width, renderer.pictureHeight);
    for (int row = 0; row < 3; ++row) {
        auto begin = shown.begin() + row * renderer.lineHeight * width;
        auto end = begin + renderer.lineHeight * width;
        EXPECT_GT(std::count(begin, end, kRed), 0) << "row " << row;
        EXPECT_EQ(std::count(begin, end, kYellow), 0) << "row " << row;
    }
}

// A new display font, from the chooser or for a new DPI, takes the place of
// the one before, which is deleted then: none is leaked or drawn with after
// its end.
TEST_F(FontChooserTest, ANewDisplayFontDeletesTheOneBefore)
{
    ApplyTextFont(app, font("Courier New", -19));
    HFONT before = app.displayFont.get();
    ApplyTextFont(app, font("Liberation Sans", -24, 700));
    EXPECT_EQ(GetObjectType(before), 0u) << "chooser";
    EXPECT_EQ(GetObjectType(app.displayFont.get()), static_cast<DWORD>(OBJ_FONT));

    before = app.displayFont.get();
    RECT suggested{100, 100, 200, 150};
    send(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(GetObjectType(before), 0u) << "DPI change";
    EXPECT_EQ(GetObjectType(app.displayFont.get()), static_cast<DWORD>(OBJ_FONT));
}

// Apply makes the pick current at once; Cancel then puts back font, colour
// and file; OK without a further change calls for no second re-layout. A
// face named in a script the code page lacks reaches file and font exactly.
TEST_F(FontChooserTest, ApplyThenCancelOrOk)
{
    const char* keys[] = {"Name", "Point", "Weight", "Italic", "RGBColour"};
    struct Case {
        BOOL ok;
        bool relayout;
        const char* face;
        const char* values[5];
    };
    // The family of the fixture font, loaded for this process only.
    const char* japanese = "\u30C0\u30C3\u30B7\u30E5\u4F53";
    ASSERT_GT(
        AddFontResourceExW(toWide(fixturePath("named-font.ttf")).c_str(), FR_PRIVATE, nullptr), 0);
    for (const Case& c :
         {Case{FALSE, true, "Liberation Sans", {"Courier New", "14", "0", "No", "255,255,0"}},
          Case{TRUE, false, "Liberation Sans", {"Liberation Sans", "20", "700", "Yes", "0,128,0"}},
          Case{TRUE, false, japanese, {japanese, "20", "700", "Yes", "0,128,0"}}}) {
        SCOPED_TRACE(c.face + std::string(c.ok ? " OK" : " Cancel"));
        settings.font = font("Courier New", -19);
        ApplyFontColour(app, RGB(255, 255, 0));
        play.apply = play.pickFont = true;
        play.picked = play.applied = font(c.face, -27, 700, TRUE);
        play.pickedColour = play.appliedColour = RGB(0, 128, 0);
        play.ok = c.ok;
        while (takePosted(WM_RELAYOUT)) {
        }

        EXPECT_EQ(ChooseTextFont(app, fakeFontDialog), c.relayout);
        EXPECT_FALSE(play.effectsEnabled);
        EXPECT_EQ(play.afterApply, c.face + (" " + std::to_string(RGB(0, 128, 0))));
        EXPECT_TRUE(takePosted(WM_RELAYOUT));
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(iniValue(path, "Font", keys[i]), c.values[i]) << keys[i];
        EXPECT_EQ(toUtf8(displayed().lfFaceName), c.values[0]);
        // Found among the installed fonts, not stood in for by another.
        if (c.face == japanese) {
            EXPECT_EQ(selectedFace(), japanese);
        }
        EXPECT_EQ(displayed().lfHeight, std::stoi(c.values[1]));
        EXPECT_EQ(penColour(), settings.fontColour);
    }
}

BOOL CALLBACK findOwnDialogWindow(HWND window, LPARAM result)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || std::strcmp(name, "#32770") != 0
        || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND findOwnDialog()
{
    HWND found = nullptr;
    for (int tries = 0; found == nullptr && tries < 100; ++tries, Sleep(50))
        EnumWindows(findOwnDialogWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(FontChooserTest, RealDialogGreysEffectsAndCancelUndoesApply)
{
    const LOGFONTW before = settings.font;
    std::atomic<int> effects{-1};
    std::thread person([&] {
        HWND dialog = findOwnDialog();
        if (dialog == nullptr)
            return;
        effects = IsWindowEnabled(GetDlgItem(dialog, chx1))
                  || IsWindowEnabled(GetDlgItem(dialog, chx2));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(psh3, BN_CLICKED), 0);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ChooseTextFont(app);
    person.join();
    ASSERT_EQ(effects, 0) << "no dialog, or effect boxes enabled";
    EXPECT_EQ(std::memcmp(&settings.font, &before, sizeof before), 0);
    // Whatever Apply changed was written, and then written back.
    using Key = std::pair<const char*, const char*>;
    for (const Key& key : {Key{"Name", "Courier New"}, Key{"Point", "14"}, Key{"Weight", "0"},
                           Key{"Italic", "No"}}) {
        std::string value = iniValue(path, "Font", key.first);
        EXPECT_TRUE(value == "<missing>" || value == key.second) << key.first << "=" << value;
    }
}

}  // namespace
