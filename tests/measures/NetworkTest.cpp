// The network item on a played counter system (dial-up totals, "If1", "If2"),
// its own drawing against a reference drawing, and the item on Wine's sources.
// The socket headers must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>
#include <pdhmsg.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <string>

#include "display/ItemDrawing.h"
#include "measures/Measure_Network.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

// Bytes per second each entry reads, sent then received.
struct Rates {
    double entry[3][2] = {};
    int collects = 0;
} sys;

PDH_STATUS WINAPI fakeEnum(LPCWSTR, LPCWSTR, LPCWSTR, LPWSTR counters, LPDWORD counterLength,
                           LPWSTR instances, LPDWORD instanceLength, DWORD, DWORD)
{
    static const wchar_t list[] = L"If1\0If2\0";  // the closing empty name is the literal's end
    constexpr DWORD kLength = sizeof list / sizeof list[0];
    if (counters == nullptr || instances == nullptr || *instanceLength < kLength) {
        *counterLength = 1, *instanceLength = kLength;
        return PDH_MORE_DATA;
    }
    *counters = L'\0';
    std::memcpy(instances, list, sizeof list);
    return ERROR_SUCCESS;
}
PDH_STATUS WINAPI fakeOpen(LPCWSTR, DWORD_PTR, PDH_HQUERY* query)
{
    return *query = &sys, 0;
}
// The handle tells the entry and the direction.
PDH_STATUS WINAPI fakeAdd(PDH_HQUERY, LPCWSTR path, DWORD_PTR, PDH_HCOUNTER* counter)
{
    const std::wstring text = path;
    const size_t entry = text.find(L"If1") != std::wstring::npos   ? 1
                         : text.find(L"If2") != std::wstring::npos ? 2
                                                                   : 0;
    const size_t received = text.find(L"Received") != std::wstring::npos ? 1 : 0;
    *counter = reinterpret_cast<PDH_HCOUNTER>(entry * 2 + received + 1);
    return ERROR_SUCCESS;
}
PDH_STATUS WINAPI fakeRelease(HANDLE)
{
    return ERROR_SUCCESS;
}
PDH_STATUS WINAPI fakeCollect(PDH_HQUERY)
{
    return ++sys.collects, ERROR_SUCCESS;
}
PDH_STATUS WINAPI fakeValue(PDH_HCOUNTER counter, DWORD, LPDWORD, PDH_FMT_COUNTERVALUE* value)
{
    const size_t handle = reinterpret_cast<size_t>(counter) - 1;
    value->doubleValue = sys.entry[handle / 2][handle % 2];
    return ERROR_SUCCESS;
}

NetworkSources fakes()
{
    NetworkSources sources = NetworkSources::system();
    sources.enumObjectItems = fakeEnum, sources.openQuery = fakeOpen, sources.addCounter = fakeAdd;
    sources.removeCounter = fakeRelease, sources.closeQuery = fakeRelease;
    sources.collectQuery = fakeCollect, sources.formattedValue = fakeValue;
    return sources;
}

class ObservedNetwork : public Measure_Network {
public:
    ObservedNetwork(ItemHost& host, Settings& settings) : Measure_Network(host, settings, fakes())
    {
    }
    void markUntouched()
    {
        value = "(untouched)";
        changed = false;
    }
};

struct NetworkTest : ItemTest {
    // Stored selection (nullptr: none in the file) and the rates to read.
    void prepare(const char* stored, Rates rates)
    {
        writeTextFile(path, stored == nullptr
                                ? std::string()
                                : std::string("[Network]\r\nSelectedInterface=") + stored + "\r\n");
        sys = rates;
    }
};

TEST_F(NetworkTest, ChoosesTheFirstEntryWithTrafficOnceAndRemembersIt)
{
    const struct {
        const char* what;
        const char* stored;
        Rates rates;
        const char* key;
        const char* value;
    } cases[] = {
        {"nothing moves: keeps searching", nullptr, {}, "10000", ""},
        {"traffic on the second interface",
         nullptr,
         {{{}, {}, {0, 10240}}},
         "2",
         "0 kb/s\n10 kb/s"},
        {"dial-up comes first", nullptr, {{{1, 0}, {}, {5000, 0}}}, "0", "0 kb/s\n0 kb/s"},
        {"chosen before: no search", "2", {{{}, {2048, 0}, {1600, 10240}}}, "2", "2 kb/s\n10 kb/s"},
        {"unreadable stored value", "x", {{{}, {2048, 2048}, {}}}, "1", "2 kb/s\n2 kb/s"},
        {"entry gone since it was chosen", "7", {{{}, {2048, 2048}, {}}}, "7", "0 kb/s\n0 kb/s"},
    };
    for (const auto& c : cases) {
        prepare(c.stored, c.rates);
        ObservedNetwork item(host, settings);
        EXPECT_EQ(iniValue(path, "Network", "SelectedInterface"), c.key) << c.what;
        EXPECT_EQ(item.selectedEntry(), std::stoi(c.key)) << c.what;
        EXPECT_EQ(item.valueText(), c.value) << c.what;
        EXPECT_EQ(item.hasChanged(), *c.value != '\0') << c.what;
        // The search happens in the update; every entry it reads shares one
        // collection, so that all are measured over the same second.
        sys.collects = 0;
        item.update();
        EXPECT_EQ(sys.collects, 1) << c.what;
        EXPECT_EQ(item.lineCount(false), 2);
        EXPECT_TRUE(item.hasTimer()) << c.what;
        ASSERT_EQ(item.entryCount(), 3);
        EXPECT_STREQ(item.entryName(0), "RAS (Dialup)");
        EXPECT_STREQ(item.entryName(2), "If2");
    }
}

TEST_F(NetworkTest, ShowsWholeKilobytesAndRebuildsTheTextOnlyWhenARateChanges)
{
    prepare("1", {{{}, {1600, 10240}, {}}});
    ObservedNetwork item(host, settings);
    EXPECT_EQ(item.valueText(), "2 kb/s\n10 kb/s");
    const struct {
        double sent, received;
        const char* text;
    } steps[] = {{1600, 10240, "(untouched)"},
                 {2048, 10240, "2 kb/s\n10 kb/s"},  // same text, other rate
                 {2048, 10240, "(untouched)"},
                 {0, 0, "0 kb/s\n0 kb/s"},
                 {1e12, 1e12, "976562500 kb/s\n976562500"}};  // cut to fit
    for (const auto& s : steps) {
        item.markUntouched();
        sys.entry[1][0] = s.sent, sys.entry[1][1] = s.received;
        item.update();
        EXPECT_EQ(item.valueText(), s.text) << s.sent << " " << s.received;
        EXPECT_EQ(item.hasChanged(), std::string(s.text) != "(untouched)") << s.sent;
    }
}

TEST_F(NetworkTest, DrawsTwoLineLabelsAndSeparatorBesideTheRates)
{
    const struct {
        const char* stored;
        int menuChoice;  // -1: none
        bool rightAlign;
        const char* label;
        const char* key;
    } cases[] = {
        {"0", -1, false, "RAS Send\nRAS Recv", "0"},
        {"1", -1, false, "Net Send\nNet Recv", "1"},
        {nullptr, -1, false, "Net Send\nNet Recv", "10000"},  // none chosen: no traffic
        {"0", -1, true, "RAS Send\nRAS Recv", "0"},
        {"1", 0, false, "RAS Send\nRAS Recv", "0"},  // chosen from the menu
    };
    const int top = 6, right = 220, bottom = 80, labelWidth = 70, separatorWidth = 20;
    for (const auto& c : cases) {
        prepare(c.stored, c.stored != nullptr ? Rates{{{}, {1600, 10240}, {}}} : Rates{});
        settings.setSeparator(":");
        settings.rightAlign = c.rightAlign;
        settings.showGraphs = true;
        ObservedNetwork item(host, settings);
        if (c.menuChoice >= 0)
            item.selectEntry(c.menuChoice);
        EXPECT_EQ(iniValue(path, "Network", "SelectedInterface"), c.key);

        HFONT font = CreateFontIndirectW(&settings.font);
        struct Canvas {
            HDC dc = CreateCompatibleDC(nullptr);
            void* bits = nullptr;
            HBITMAP bitmap = nullptr;
            ~Canvas() { DeleteDC(dc), DeleteObject(bitmap); }
        } drawn, expected;
        BITMAPINFO info{{sizeof(BITMAPINFOHEADER), right, -bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                        {}};
        for (Canvas* canvas : {&drawn, &expected}) {
            canvas->bitmap =
                CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &canvas->bits, nullptr, 0);
            SelectObject(canvas->dc, canvas->bitmap), SelectObject(canvas->dc, font);
            SetBkMode(canvas->dc, TRANSPARENT), SetTextColor(canvas->dc, RGB(255, 255, 255));
        }
        ItemDrawing drawing(drawn.dc, settings,
                            {right, bottom, 12, 60, labelWidth, separatorWidth, 0});
        const int height = item.drawItem(drawing, top);

        auto text = [&](const char* what, int left, int edge, UINT flags) {
            RECT rect{left, top, edge, bottom};
            return DrawTextExA(expected.dc, const_cast<char*>(what), -1, &rect, flags, nullptr);
        };
        text(c.label, 0, right, 0);
        text(":\n:", labelWidth, right, 0);
        const int valueHeight = text(item.valueText().c_str(), labelWidth + separatorWidth,
                                     c.rightAlign ? right - 1 : right, c.rightAlign ? DT_RIGHT : 0);
        GdiFlush();
        EXPECT_EQ(std::memcmp(drawn.bits, expected.bits, size_t(right) * bottom * 4), 0)
            << c.label << " right-aligned " << c.rightAlign;
        EXPECT_EQ(height, valueHeight);
        DeleteObject(font);
    }
}

// Wine lists no counter objects, so the interface table stands in; it shows the
// host's interfaces and whatever traffic they carry.
TEST_F(NetworkTest, OnTheRealSourcesChoosesAnInterfaceWithTraffic)
{
    DWORD counterLength = 0, instanceLength = 0;
    const PDH_STATUS listing = PdhEnumObjectItemsW(nullptr, nullptr, L"Network Interface", nullptr,
                                                   &counterLength, nullptr, &instanceLength,
                                                   PERF_DETAIL_WIZARD, 0);
    Measure_Network item(host, settings);
    ASSERT_GE(item.entryCount(), 1);
    EXPECT_STREQ(item.entryName(0), "RAS (Dialup)");
    std::string names;
    for (int i = 1; i < item.entryCount(); ++i)
        names += std::string(" \"") + item.entryName(i) + "\"";
    std::printf("counter listing status 0x%08lX; interfaces:%s\n",
                static_cast<unsigned long>(listing), names.c_str());

    // Whatever traffic the host has of its own; the test sends none.
    for (int second = 0; second < 3 && item.selectedEntry() == Measure_Network::kNoEntry;
         ++second) {
        Sleep(1000);
        item.update();
    }

    if (item.selectedEntry() != Measure_Network::kNoEntry) {
        std::printf("chose %d \"%s\": %s\n", item.selectedEntry(),
                    item.entryName(item.selectedEntry()), item.valueText().c_str());
        EXPECT_EQ(iniValue(path, "Network", "SelectedInterface"),
                  std::to_string(item.selectedEntry()));
    } else {
        std::printf("no traffic seen\n");
        item.selectEntry(item.entryCount() > 1 ? 1 : 0);
        item.update();
    }
    EXPECT_TRUE(std::regex_match(item.valueText(), std::regex("\\d+ kb/s\n\\d+ kb/s")))
        << item.valueText();
}

}  // namespace
