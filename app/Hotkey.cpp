// Hotkey text parsing and registration.
#include "app/Hotkey.h"

#include <cstring>

namespace {

struct KeyName {
    const char* name;
    UINT code;
};

// Windows' virtual-key constants, without their VK_ prefix.
const KeyName kKeyNames[] = {
    {"LBUTTON", 0x01},    {"RBUTTON", 0x02},   {"CANCEL", 0x03},     {"MBUTTON", 0x04},
    {"BACK", 0x08},       {"TAB", 0x09},       {"CLEAR", 0x0C},      {"RETURN", 0x0D},
    {"SHIFT", 0x10},      {"CONTROL", 0x11},   {"MENU", 0x12},       {"PAUSE", 0x13},
    {"CAPITAL", 0x14},    {"KANA", 0x15},      {"JUNJA", 0x17},      {"FINAL", 0x18},
    {"HANJA", 0x19},      {"KANJI", 0x19},     {"ESCAPE", 0x1B},     {"CONVERT", 0x1C},
    {"NONCONVERT", 0x1D}, {"ACCEPT", 0x1E},    {"MODECHANGE", 0x1F}, {"SPACE", 0x20},
    {"PRIOR", 0x21},      {"NEXT", 0x22},      {"END", 0x23},        {"HOME", 0x24},
    {"LEFT", 0x25},       {"UP", 0x26},        {"RIGHT", 0x27},      {"DOWN", 0x28},
    {"SELECT", 0x29},     {"PRINT", 0x2A},     {"EXECUTE", 0x2B},    {"SNAPSHOT", 0x2C},
    {"INSERT", 0x2D},     {"DELETE", 0x2E},    {"HELP", 0x2F},       {"LWIN", 0x5B},
    {"RWIN", 0x5C},       {"APPS", 0x5D},      {"MULTIPLY", 0x6A},   {"ADD", 0x6B},
    {"SEPARATOR", 0x6C},  {"SUBTRACT", 0x6D},  {"DECIMAL", 0x6E},    {"DIVIDE", 0x6F},
    {"NUMLOCK", 0x90},    {"SCROLL", 0x91},    {"LSHIFT", 0xA0},     {"RSHIFT", 0xA1},
    {"LCONTROL", 0xA2},   {"RCONTROL", 0xA3},  {"LMENU", 0xA4},      {"RMENU", 0xA5},
    {"PROCESSKEY", 0xE5}, {"ATTN", 0xF6},      {"CRSEL", 0xF7},      {"EXSEL", 0xF8},
    {"EREOF", 0xF9},      {"PLAY", 0xFA},      {"ZOOM", 0xFB},       {"NONAME", 0xFC},
    {"PA1", 0xFD},        {"OEM_CLEAR", 0xFE},
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

UINT KeyNameToVirtualKey(const char* name)
{
    size_t length = std::strlen(name);
    if (length == 1) {
        char c = name[0];
        if (isDigit(c) || (c >= 'A' && c <= 'Z'))
            return static_cast<UINT>(c);
        if (c >= 'a' && c <= 'z')
            return static_cast<UINT>(c - 'a' + 'A');
    }
    if (name[0] == 'F' && isDigit(name[1])) {
        // One or two digits; anything after the second is ignored.
        int number = name[1] - '0';
        if (isDigit(name[2]))
            number = number * 10 + (name[2] - '0');
        else if (name[2] != '\0')
            number = 0;
        return (number >= 1 && number <= 24) ? static_cast<UINT>(0x6F + number) : 0;
    }
    if (length == 7 && _strnicmp(name, "numpad", 6) == 0 && isDigit(name[6]))
        return static_cast<UINT>(0x60 + (name[6] - '0'));
    for (const KeyName& entry : kKeyNames)
        if (_stricmp(name, entry.name) == 0)
            return entry.code;
    return 0;
}

HotkeyChord parseHotkey(char* text)
{
    // ASCII letters only: the locale's rules would also change bytes of a
    // UTF-8 character, and the text is written back as it ends up here.
    for (char* p = text; *p != '\0'; ++p)
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');

    HotkeyChord chord{0, 0};
    if (std::strstr(text, "WIN") != nullptr)
        chord.modifiers |= MOD_WIN;
    if (std::strstr(text, "CTRL") != nullptr)
        chord.modifiers |= MOD_CONTROL;
    if (std::strstr(text, "SHIFT") != nullptr)
        chord.modifiers |= MOD_SHIFT;
    if (std::strstr(text, "ALT") != nullptr)
        chord.modifiers |= MOD_ALT;

    const char* comma = std::strrchr(text, ',');
    if (comma != nullptr)
        chord.key = KeyNameToVirtualKey(comma + 1);
    return chord;
}

void RegisterHotkeyFromString(char* text, HWND window, int id)
{
    HotkeyChord chord = parseHotkey(text);
    RegisterHotKey(window, id, chord.modifiers, chord.key);
}

void RebindHotkey(HotkeyBinding& binding, const char* text)
{
    if (_stricmp(binding.text.c_str(), text) == 0)
        return;
    UnregisterHotKey(binding.window, binding.id);
    binding.text = text;
    std::string parsed = binding.text;
    RegisterHotkeyFromString(&parsed[0], binding.window, binding.id);
}
