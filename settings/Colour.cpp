// Colour and first-letter option parsing for the settings file.
#include "settings/Settings.h"


namespace {

// Decimal value of the leading digits, 0 when there are none; blanks before
// them are skipped, as hand-edited files often have "10, 20, 30". Unsigned
// wrap-around keeps the low 8 bits exact however long the digit run is.
unsigned leadingNumber(const char* token)
{
    while (*token == ' ' || *token == '\t')
        ++token;
    unsigned value = 0;
    for (const char* p = token; *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + static_cast<unsigned>(*p - '0');
    return value;
}

}  // namespace

COLORREF parseColour(char* text, int defaultRed, int defaultGreen, int defaultBlue)
{
    unsigned components[3] = {static_cast<unsigned>(defaultRed),
                              static_cast<unsigned>(defaultGreen),
                              static_cast<unsigned>(defaultBlue)};
    int index = 0;
    char* p = text;
    while (p != nullptr && *p != '\0' && index < 3) {
        // Runs of commas count as one separator: an empty field uses up nothing.
        while (*p == ',')
            ++p;
        if (*p == '\0')
            break;
        char* token = p;
        while (*p != '\0' && *p != ',')
            ++p;
        if (*p == ',')
            *p++ = '\0';
        components[index++] = leadingNumber(token);
    }
    return RGB(components[0] & 0xFF, components[1] & 0xFF, components[2] & 0xFF);
}

StackingMode stackingModeFromText(const char* text)
{
    switch (text[0]) {
    case 'A':
        return AlwaysOnTop;
    case 'D':
        return Desktop;
    case 'N':
        return Normal;
    default:
        return Bottom;
    }
}

ScreenPosition screenPositionFromText(const char* text)
{
    if (text[0] == 'T')
        return text[1] == 'L' ? TopLeft : TopRight;
    if (text[0] == 'B')
        return text[1] == 'L' ? BottomLeft : BottomRight;
    return Custom;
}
