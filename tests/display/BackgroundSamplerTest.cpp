// The graph colour taken from the real screen behind the overlay.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "display/BackgroundSampler.h"
#include "display/Stacking.h"
#include "platform/Messages.h"
#include "support/ColourPane.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

constexpr COLORREF kDesktop = RGB(10, 20, 30), kPrevious = RGB(200, 0, 0);

// A visible popup that paints its whole window in WM_NCPAINT, as the overlay does.
class PaintedWindow {
public:
    PaintedWindow(const RECT& at, DWORD exStyle, std::function<void(HDC)> paint)
        : paint_(std::move(paint))
    {
        registerTestClass("DashvaneSamplerTestWindow", Procedure);
        handle_ = CreateWindowExA(WS_EX_TOOLWINDOW | exStyle, "DashvaneSamplerTestWindow", "",
                                  WS_POPUP, at.left, at.top, at.right - at.left, at.bottom - at.top,
                                  nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(handle_, SW_SHOWNOACTIVATE);
        RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    ~PaintedWindow() { DestroyWindow(handle_); }
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;
    HWND handle() const { return handle_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<PaintedWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr || message != WM_NCPAINT)
            return DefWindowProcA(window, message, wParam, lParam);
        HDC dc = GetWindowDC(window);
        self->paint_(dc);
        ReleaseDC(window, dc);
        return 0;
    }

    std::function<void(HDC)> paint_;
    HWND handle_ = nullptr;
};

// The colour a brush paints, read back from a one-pixel bitmap.
COLORREF brushColour(HBRUSH brush)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP pixel = CreateCompatibleBitmap(screen, 1, 1);
    HGDIOBJ previous = SelectObject(dc, pixel);
    RECT one{0, 0, 1, 1};
    FillRect(dc, &one, brush);
    COLORREF colour = GetPixel(dc, 0, 0);
    SelectObject(dc, previous);
    DeleteObject(pixel);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

struct BackgroundSamplerTest : ItemTest {
    BackgroundSamplerTest()
    {
        settings.windowRect = RECT{200, 150, 0, 0};
        settings.setGraphColour(kPrevious);
    }
    ~BackgroundSamplerTest() override { DeleteObject(font); }
    // lines: each shown item's line count; graph: position of the one graph item, or -1.
    MeasureList& build(const std::vector<int>& lines, int graph)
    {
        std::vector<std::unique_ptr<Measure>> items;
        for (size_t i = 0; i < lines.size(); ++i) {
            auto item = std::make_unique<FakeMeasure>(host, settings, "Item", 0, lines[i]);
            item->setValue(lines[i] == 2 ? "12%\n34%" : "56%");
            item->setGraph(static_cast<int>(i) == graph, 50);
            items.push_back(std::move(item));
        }
        list = std::make_unique<MeasureList>(std::move(items));
        return *list;
    }

    HFONT font = CreateFontIndirectW(&settings.font);
    DisplayRenderer renderer{settings};
    std::unique_ptr<MeasureList> list;
};

TEST_F(BackgroundSamplerTest, AreaStartsBelowTheItemsAboveTheFirstGraph)
{
    const int lineHeight = 14, valueColumnStart = 60;
    const struct {
        const char* what;
        std::vector<int> lines;
        int graph;
        std::array<LONG, 4> area;  // left, top, right, bottom
    } cases[] = {
        {"eight one-line items above", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 8, {160, 162, 300, 191}},
        {"no graph: the last pixel row", {1, 1, 1}, -1, {160, 92, 300, 93}},
        {"a two-line item counts once", {1, 2, 1}, 2, {160, 78, 300, 107}},
        {"an item without lines: no pixels", {1, 0}, -1, {160, 78, 300, 65}},
    };
    for (const auto& c : cases) {
        int shownLines = 0;
        for (int n : c.lines)
            shownLines += n;
        RECT window{100, 50, 300, 50 + lineHeight * shownLines + 1};
        RECT area = sampleArea(window, valueColumnStart,
                               build(c.lines, c.graph).shownItemsAboveFirstGraph(), lineHeight);
        EXPECT_EQ((std::array<LONG, 4>{area.left, area.top, area.right, area.bottom}), c.area)
            << c.what;
    }
}

TEST_F(BackgroundSamplerTest, BarsTakeTheColourOfTheDesktopBehindTheOverlay)
{
    settings.showGraphs = true;
    settings.stackingMode = AlwaysOnTop;
    build({1, 1, 1, 1}, 2);
    renderer.layout(*list, font);
    RECT placed = settings.windowRect;
    ColourPane desktop(ColourPane::Wallpaper,
                       {placed.left - 40, placed.top - 40, placed.right + 40, placed.bottom + 40},
                       kDesktop);
    // Not topmost yet: the stacking mode decides where it is put back.
    PaintedWindow overlay(placed, 0, [&](HDC dc) { renderer.paint(dc, *list, font, false); });
    ASSERT_TRUE(pumpUntil([&] { return RestsOnWallpaper(overlay.handle()); }, 3000));

    EXPECT_TRUE(SampleBackgroundColour(renderer, overlay.handle(), *list, font));
    EXPECT_EQ(settings.graphColour, kDesktop);
    EXPECT_EQ(iniValue(path, "Graph", "RGBColour"), "10,20,30");
    EXPECT_EQ(brushColour(settings.graphBrush.get()), kDesktop);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, overlay.handle(), WM_RELAYOUT, WM_RELAYOUT, PM_REMOVE));
    // Back in place, and in the topmost band as the stacking mode asks.
    RECT now;
    GetWindowRect(overlay.handle(), &now);
    EXPECT_EQ(now.left, placed.left);
    EXPECT_EQ(now.top, placed.top);
    EXPECT_TRUE(GetWindowLongPtrA(overlay.handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

// Whatever keeps the wallpaper from the copy leaves colour, brush, file and
// window as they were; only an area without pixels counts as done.
TEST_F(BackgroundSamplerTest, WithoutTheWallpaperInSightTheColourStays)
{
    const struct {
        const char* what;
        std::vector<int> lines;
        int graph;
        LONG left, top;  // of the overlay
        bool wallpaper, cover, done;
    } cases[] = {
        {"a window over the overlay", {1, 1}, 0, 200, 150, true, true, false},
        {"resting on a window other than the wallpaper", {1, 1}, 0, 200, 150, false, false, false},
        {"a screen without a pixel to read there", {1, 1}, 0, -30000, -30000, true, false, false},
        {"an area without pixels", {1, 0}, -1, 200, 150, true, false, true},
    };
    for (const auto& c : cases) {
        build(c.lines, c.graph);
        renderer.layout(*list, font);
        OffsetRect(&settings.windowRect, c.left - settings.windowRect.left,
                   c.top - settings.windowRect.top);
        RECT placed = settings.windowRect;
        RECT around{placed.left - 40, placed.top - 40, placed.right + 40, placed.bottom + 40};
        ColourPane below(c.wallpaper ? ColourPane::Wallpaper : ColourPane::Window, around,
                         kDesktop);
        PaintedWindow overlay(placed, 0, [&](HDC dc) { renderer.paint(dc, *list, font, false); });
        std::unique_ptr<ColourPane> cover;
        if (c.cover)
            cover = std::make_unique<ColourPane>(ColourPane::Cover, around, RGB(255, 0, 0));
        // The platform may restack a window just shown a moment later.
        ASSERT_TRUE(
            pumpUntil([&] { return RestsOnWallpaper(overlay.handle()) == c.wallpaper; }, 3000))
            << c.what;
        HBRUSH brush = settings.graphBrush.get();
        std::string before = readTextFile(path);

        EXPECT_EQ(SampleBackgroundColour(renderer, overlay.handle(), *list, font), c.done)
            << c.what;
        EXPECT_EQ(settings.graphColour, kPrevious) << c.what;
        EXPECT_EQ(settings.graphBrush.get(), brush) << c.what;
        EXPECT_EQ(readTextFile(path), before) << c.what;
        MSG message;
        EXPECT_FALSE(PeekMessageA(&message, overlay.handle(), WM_RELAYOUT, WM_RELAYOUT, PM_REMOVE))
            << c.what;
        RECT now;
        GetWindowRect(overlay.handle(), &now);
        EXPECT_EQ(now.left, placed.left) << c.what;
    }
}

}  // namespace
