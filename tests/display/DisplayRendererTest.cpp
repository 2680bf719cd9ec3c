// Layout geometry and the paint step, drawn into real bitmaps.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/DisplayRenderer.h"
#include "display/Placement.h"
#include "display/TextDrawing.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

struct RendererTest : ItemTest {
    // Three items; the hidden one has the widest name and the widest value.
    RendererTest()
    {
        settings.writeBool("DisplayItems", "Processor", false);
        addItem("Machine", "HOST");
        addItem("Processor", "a much longer value text");
        addItem("T", "12:00:00");
        list = std::make_unique<MeasureList>(std::move(items));
        font = CreateFontA(14, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS,
                           CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FF_SWISS, "Courier New");
    }
    ~RendererTest() override { DeleteObject(font); }

    FakeMeasure& addItem(const char* name, const char* value)
    {
        items.push_back(std::make_unique<FakeMeasure>(host, settings, name));
        auto& item = static_cast<FakeMeasure&>(*items.back());
        item.setValue(value);
        return item;
    }

    int measuredWidth(const char* text)
    {
        HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
        HGDIOBJ previous = SelectObject(dc, font);
        RECT rect{0, 0, 0, 0};
        drawDisplayText(dc, text, rect, kMeasureFlags);
        SelectObject(dc, previous);
        DeleteDC(dc);
        return rect.right;
    }

    // Paints into a fresh bitmap pre-filled with green; returns one pixel.
    COLORREF paintAndRead(DisplayRenderer& renderer, bool exiting, int x, int y)
    {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 200);
        HGDIOBJ previous = SelectObject(dc, bitmap);
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        RECT all{0, 0, 400, 200};
        FillRect(dc, &all, green);
        renderer.paint(dc, *list, font, exiting);
        COLORREF pixel = GetPixel(dc, x, y);
        DeleteObject(green);
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return pixel;
    }

    std::vector<std::unique_ptr<Measure>> items;
    std::unique_ptr<MeasureList> list;
    HFONT font = nullptr;
};

}  // namespace

TEST_F(RendererTest, ColumnsCountHiddenItemsButRowsDoNot)
{
    DisplayRenderer renderer(settings);
    renderer.layout(*list, font);

    EXPECT_EQ(renderer.labelWidth, measuredWidth("Processor"));
    EXPECT_EQ(renderer.separatorWidth, measuredWidth("= "));
    EXPECT_EQ(renderer.valueColumnStart, renderer.labelWidth + renderer.separatorWidth - 2);
    EXPECT_GT(renderer.pictureWidth, renderer.labelWidth + renderer.separatorWidth
                                         + measuredWidth("a much longer value text") - 4);
    EXPECT_EQ(renderer.pictureHeight, renderer.lineHeight * 2 + 1);

    // Never placed: the layout stores nothing; placement puts the window 10
    // pixels from the right screen edge and stores that at once.
    EXPECT_EQ(iniValue(path, "Position", "X"), "<missing>");
    PlaceIfNeverPlaced(settings, renderer);
    int expectedX = GetSystemMetrics(SM_CXSCREEN) - renderer.pictureWidth - 10;
    EXPECT_EQ(settings.windowRect.left, expectedX);
    EXPECT_EQ(iniValue(path, "Position", "X"), std::to_string(expectedX));
    EXPECT_EQ(settings.windowRect.right - settings.windowRect.left, renderer.pictureWidth);
    EXPECT_EQ(settings.windowRect.bottom - settings.windowRect.top, renderer.pictureHeight);

    for (int i = 0; i < list->count(); ++i)
        list->at(i).setShown(false, false);
    int width = renderer.pictureWidth;
    renderer.layout(*list, font);
    EXPECT_EQ(renderer.pictureHeight, 1);
    EXPECT_EQ(renderer.pictureWidth, width);
    EXPECT_EQ(settings.windowRect.left, expectedX);
}

TEST(LineHeight, FromTheMeasuredHeightOfAllValues)
{
    EXPECT_EQ(lineHeightFor(256, 17), 14);
    EXPECT_EQ(lineHeightFor(32, 1), 16);
}

// An item of two lines whose value is not known yet (a network item before an
// interface moves data) must not squeeze the rows of all the others.
TEST_F(RendererTest, BlankValueOfATwoLineItemKeepsTheLineHeight)
{
    auto lineHeightWith = [&](const char* networkValue) {
        std::vector<std::unique_ptr<Measure>> shown;
        shown.push_back(std::make_unique<FakeMeasure>(host, settings, "Network", 0, 2));
        static_cast<FakeMeasure&>(*shown.back()).setValue(networkValue);
        shown.push_back(std::make_unique<FakeMeasure>(host, settings, "Machine"));
        static_cast<FakeMeasure&>(*shown.back()).setValue("HOST");
        MeasureList twoItems(std::move(shown));
        DisplayRenderer renderer(settings);
        renderer.layout(twoItems, font);
        return renderer.lineHeight;
    };
    EXPECT_EQ(lineHeightWith(""), lineHeightWith("1 kb/s\n2 kb/s"));
}

TEST_F(RendererTest, FrameBoxShowsUnlessABarDoes)
{
    settings.rightAlign = false;
    settings.setGraphColour(RGB(10, 20, 200));
    DisplayRenderer renderer(settings);

    // Before the first layout nothing is drawn.
    EXPECT_EQ(paintAndRead(renderer, false, 1, 1), RGB(0, 255, 0));

    renderer.layout(*list, font);
    int boxX = renderer.pictureWidth - renderer.lineHeight / 2 + 2;
    int boxY = renderer.lineHeight / 2;
    EXPECT_EQ(paintAndRead(renderer, false, boxX, boxY), RGB(10, 20, 200));
    EXPECT_EQ(paintAndRead(renderer, false, renderer.pictureWidth - 1, renderer.pictureHeight - 1),
              kColourKey);
    EXPECT_EQ(paintAndRead(renderer, true, boxX, boxY), RGB(0, 255, 0));

    // A shown item that can draw a bar replaces the box while graphs are on.
    static_cast<FakeMeasure&>(list->at(0)).setGraph(true, 0);
    settings.showGraphs = true;
    EXPECT_EQ(paintAndRead(renderer, false, boxX, boxY), kColourKey);
    settings.showGraphs = false;
    EXPECT_EQ(paintAndRead(renderer, false, boxX, boxY), RGB(10, 20, 200));
}
