// Hotkey text → modifiers and key code.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "app/Hotkey.h"
#include "support/TestWindow.h"

TEST(Hotkey, TextToChord)
{
    struct Case {
        const char* text;
        UINT modifiers;
        UINT key;
        const char* stored;
    };
    const Case cases[] = {
        {"ctrl,alt,l", MOD_CONTROL | MOD_ALT, 0x4C, "CTRL,ALT,L"},
        {"CTRL,SHIFT,F5", MOD_CONTROL | MOD_SHIFT, 0x74, "CTRL,SHIFT,F5"},
        {"CTRL,F24", MOD_CONTROL, 0x87, "CTRL,F24"},
        {"CTRL,F25", MOD_CONTROL, 0, "CTRL,F25"},
        {"CTRL,F0", MOD_CONTROL, 0, "CTRL,F0"},
        {"CTRL,F100", MOD_CONTROL, 0x79, "CTRL,F100"},
        {"ALT,NUMPAD7", MOD_ALT, 0x67, "ALT,NUMPAD7"},
        {"CTRL,ALT,LWIN", MOD_CONTROL | MOD_ALT | MOD_WIN, 0x5B, "CTRL,ALT,LWIN"},
        {"CTRL,ALT,LSHIFT", MOD_CONTROL | MOD_ALT | MOD_SHIFT, 0xA0, "CTRL,ALT,LSHIFT"},
        {"CONTROL,ALT,L", MOD_ALT, 0x4C, "CONTROL,ALT,L"},
        {"CTRL+ALT+L", MOD_CONTROL | MOD_ALT, 0, "CTRL+ALT+L"},
        {"CTRL,ALT,space", MOD_CONTROL | MOD_ALT, 0x20, "CTRL,ALT,SPACE"},
        {"CTRL,ALT,7", MOD_CONTROL | MOD_ALT, 0x37, "CTRL,ALT,7"},
        {"WIN,kanji", MOD_WIN, 0x19, "WIN,KANJI"},
        {"SHIFT,oem_clear", MOD_SHIFT, 0xFE, "SHIFT,OEM_CLEAR"},
        {"ALT,", MOD_ALT, 0, "ALT,"},
        {"", 0, 0, ""},
        {"ctrl,中", MOD_CONTROL, 0, "CTRL,中"},
    };
    // As the program runs: under the user's locale, whose letters include
    // bytes of UTF-8 characters.
    std::setlocale(LC_ALL, "");
    for (const Case& c : cases) {
        std::string text = c.text;
        HotkeyChord chord = parseHotkey(&text[0]);
        EXPECT_EQ(chord.modifiers, c.modifiers) << c.text;
        EXPECT_EQ(chord.key, c.key) << c.text;
        EXPECT_EQ(text, c.stored) << c.text;
    }
    std::setlocale(LC_ALL, "C");
}

TEST(Hotkey, KeyNames)
{
    struct Case {
        const char* name;
        UINT code;
    };
    const Case cases[] = {
        {"a", 0x41},       {"Z", 0x5A},   {"0", 0x30},     {"F1", 0x70},    {"numpad0", 0x60},
        {"NumPad9", 0x69}, {"numpad", 0}, {"numpad10", 0}, {"hanja", 0x19}, {"NUMLOCK", 0x90},
        {"delete", 0x2E},  {"+", 0},      {"F", 0x46},     {"FOO", 0},      {"LWINX", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyNameToVirtualKey(c.name), c.code) << c.name;
}

TEST(Hotkey, ARebindFreesTheOldChordAndTakesTheNew)
{
    TestWindow overlay;
    TestWindow other;
    HotkeyBinding binding{overlay.handle(), 7, std::string()};
    RebindHotkey(binding, "ctrl,alt,F9");
    RebindHotkey(binding, "CTRL,ALT,F10");
    RebindHotkey(binding, "Ctrl,Alt,f10");

    EXPECT_TRUE(RegisterHotKey(other.handle(), 1, MOD_CONTROL | MOD_ALT, VK_F9))
        << "the old chord is free again";
    EXPECT_FALSE(RegisterHotKey(other.handle(), 2, MOD_CONTROL | MOD_ALT, VK_F10))
        << "the new chord is held, across a change of letter case only";
    UnregisterHotKey(other.handle(), 1);
    EXPECT_TRUE(UnregisterHotKey(overlay.handle(), 7));
}
