// "r,g,b" colour values as users type them into the settings file.
#include <gtest/gtest.h>

#include <string>

#include "settings/Settings.h"

TEST(ColourParse, ComponentsDefaultsAndLowBits)
{
    const COLORREF font = RGB(255, 255, 0), graph = RGB(71, 96, 141);
    struct Row {
        const char* text;
        COLORREF defaults;
        COLORREF expected;
    } rows[] = {
        {"300,20", font, RGB(44, 20, 0)},
        {"10,,30", graph, RGB(10, 30, 141)},
        {"", graph, graph},
        {",,,", graph, graph},
        {"abc,5", graph, RGB(0, 5, 141)},
        {"7", graph, RGB(7, 96, 141)},
        {"1,2,3,4,5", graph, RGB(1, 2, 3)},
        {"256,-1,511", graph, RGB(0, 0, 255)},
        // Long digit runs still keep the exact low 8 bits.
        {"99999999999999999999,4294967303", graph, RGB(255, 7, 141)},
        // Hand-edited values often have a blank after each comma.
        {"10, 20, 30", graph, RGB(10, 20, 30)},
        {"\t5 ,\t6", graph, RGB(5, 6, 141)},
    };
    for (const Row& row : rows) {
        std::string text = row.text;
        COLORREF colour = parseColour(&text[0], GetRValue(row.defaults), GetGValue(row.defaults),
                                      GetBValue(row.defaults));
        EXPECT_EQ(colour, row.expected) << '"' << row.text << '"';
    }
}
