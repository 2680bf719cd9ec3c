// An item's bar and texts, drawn into a real memory bitmap and read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "display/ItemDrawing.h"
#include "support/FakeMeasure.h"

namespace {

constexpr COLORREF kBackground = RGB(255, 0, 255), kPen = RGB(0, 0, 255), kFill = RGB(0, 160, 0);
constexpr int kWidth = 240, kHeight = 80;

// A magenta 32-bit bitmap, set up the way the paint step sets up its own.
struct Canvas {
    explicit Canvas(HFONT font)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bitmap);
        SelectObject(dc, font);
        HBRUSH background = CreateSolidBrush(kBackground);
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, background);
        DeleteObject(background);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kPen);
    }
    ~Canvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    bool operator==(const Canvas& other) const
    {
        GdiFlush();
        return std::memcmp(bits, other.bits, kWidth * kHeight * 4) == 0;
    }
    void text(const char* text, int left, int top, int right, UINT flags = 0)
    {
        RECT rect{left, top, right, kHeight};
        DrawTextExA(dc, const_cast<char*>(text), -1, &rect, flags, nullptr);
    }

    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    void* bits = nullptr;
};

struct ItemDrawingTest : ItemTest {
    ItemDrawingTest()
    {
        settings.setFontColour(kPen);
        settings.setGraphColour(kFill);
    }
    ~ItemDrawingTest() override { DeleteObject(font); }
    HFONT font = CreateFontIndirectW(&settings.font);
};

TEST_F(ItemDrawingTest, BarCoversItsShareOfTheValueColumnOnTheFirstRow)
{
    const struct {
        const char* what;
        bool graph, showGraphs, rightAlign;
        int percent, start, right;
        int left, end;  // expected fill [left, end); end < 0: no bar
    } cases[] = {
        {"37% grows right", true, true, false, 37, 50, 200, 50, 105},
        {"50% ends at the right edge", true, true, true, 50, 50, 200, 125, 200},
        {"100% fills the span", true, true, false, 100, 50, 200, 50, 200},
        {"1% of a short span", true, true, false, 1, 50, 140, 50, 50},
        {"0%", true, true, false, 0, 50, 200, 0, -1},
        {"300%", true, true, false, 300, 50, 200, 0, -1},
        {"graphs off", true, false, false, 50, 50, 200, 0, -1},
        {"no graph flag", false, true, false, 50, 50, 200, 0, -1},
        {"window narrower than the column", true, true, false, 50, 150, 100, 0, -1},
    };
    const int top = 20, lineHeight = 16, bottom = top + lineHeight;  // outline row below the fill
    settings.setSeparator("");
    for (const auto& c : cases) {
        FakeMeasure item(host, settings, "Bar");
        item.rename("");
        item.setGraph(c.graph, c.percent);
        settings.showGraphs = c.showGraphs, settings.rightAlign = c.rightAlign;
        Canvas canvas(font);
        ItemDrawing drawing(canvas.dc, settings, {c.right, kHeight, lineHeight, c.start, 0, 0, 0});
        item.drawItem(drawing, top);

        // The outline's columns are left and end - 1, also when the fill is empty.
        const int first = std::min(c.left, c.end - 1), last = std::max(c.left, c.end - 1);
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                COLORREF expected = kBackground;
                if (c.end >= 0 && y >= top && y <= bottom && x >= first && x <= last)
                    expected = (x == first || x == last || y == top || y == bottom) ? kPen : kFill;
                if (GetPixel(canvas.dc, x, y) != expected && wrong++ == 0)
                    ADD_FAILURE() << c.what << ": first wrong pixel at " << x << "," << y;
            }
    }
}

TEST_F(ItemDrawingTest, TextsLandInTheirColumnsLineByLine)
{
    const struct {
        const char* ownSeparator;
        bool rightAlign;
        const char* value;
        const char* separator;  // the one to see
    } cases[] = {{"", false, "Ab", "="}, {"::", false, "Ab\nCd", "::"}, {"", true, "Ab\nCd", "="}};
    const int top = 10, right = 200, labelWidth = 40, separatorWidth = 30;
    settings.setSeparator("=");
    for (const auto& c : cases) {
        FakeMeasure item(host, settings, "Nm");
        item.setOwnSeparator(c.ownSeparator);
        item.setValue(c.value);
        settings.rightAlign = c.rightAlign;
        Canvas drawn(font), expected(font);
        ItemDrawing drawing(drawn.dc, settings,
                            {right, kHeight, 0, 0, labelWidth, separatorWidth, 0});
        int height = item.drawItem(drawing, top);

        // The reference: each text on its own, the value one measured line at a time.
        RECT measure{};
        DrawTextExA(expected.dc, const_cast<char*>("Ab"), -1, &measure, DT_CALCRECT, nullptr);
        expected.text("Nm", 0, top, right);
        expected.text(c.separator, labelWidth, top, right);
        std::istringstream lines(c.value);
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count)
            expected.text(line.c_str(), labelWidth + separatorWidth, top + count * measure.bottom,
                          c.rightAlign ? right - 1 : right, c.rightAlign ? DT_RIGHT : 0);
        EXPECT_EQ(height, count * measure.bottom) << c.value;
        EXPECT_TRUE(drawn == expected) << c.ownSeparator << " " << c.rightAlign;
    }
}

TEST(BarExtent, LengthIsTheTruncatedShareAndRightAlignShiftsIt)
{
    const struct {
        int start, right, percent;
        bool rightAlign;
        int left, end;
    } cases[] = {{50, 200, 37, false, 50, 105},
                 {50, 200, 37, true, 145, 200},
                 {50, 140, 1, true, 140, 140},
                 {50, 200, 100, true, 50, 200},
                 {0, 1000, 1, false, 0, 10}};
    for (const auto& c : cases) {
        BarExtent bar = barExtent(c.start, c.right, c.percent, c.rightAlign);
        EXPECT_EQ(std::make_pair(bar.left, bar.right), std::make_pair(c.left, c.end))
            << c.start << " " << c.right << " " << c.percent << " " << c.rightAlign;
    }
}

}  // namespace

TEST(OutlineColour, BlackAroundLightTextWhiteAroundDark)
{
    const struct {
        COLORREF text, outline;
    } cases[] = {
        {RGB(255, 255, 0), RGB(0, 0, 0)},         {RGB(255, 255, 255), RGB(0, 0, 0)},
        {RGB(0, 255, 0), RGB(0, 0, 0)},           {RGB(128, 128, 128), RGB(0, 0, 0)},
        {RGB(127, 127, 127), RGB(255, 255, 255)}, {RGB(0, 0, 255), RGB(255, 255, 255)},
        {RGB(255, 0, 0), RGB(255, 255, 255)},     {RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outlineColourFor(c.text), c.outline) << std::hex << c.text;
}
