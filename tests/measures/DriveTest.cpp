// The drive item through fake drives and a fake host: which drives get a
// line, their texts, the switches, re-layout requests, drawing; then Wine's.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "display/ItemDrawing.h"
#include "measures/Measure_Drive.h"
#include "platform/Utf8.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"

namespace {

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20, kGiB = std::uint64_t{1} << 30;

// The drives played by the test, by letter.
struct FakeDisk {
    UINT type = DRIVE_FIXED;
    std::uint64_t total = 0, available = 0;
    bool readable = true;
    bool slow = false;  // answers once slowServer is set, or after 5 s
};
std::map<char, FakeDisk> disks;
// Every drive is asked on a thread of its own.
std::mutex disksLock;
std::map<char, int> spaceQuestions;
HANDLE slowServer = CreateEventA(nullptr, TRUE, TRUE, nullptr);

DWORD WINAPI fakeMask()
{
    DWORD mask = 0;
    for (const auto& disk : disks)
        mask |= DWORD{1} << (disk.first - 'A');
    return mask;
}
UINT WINAPI fakeType(LPCWSTR root)
{
    auto disk = disks.find(static_cast<char>(root[0]));
    return disk == disks.end() ? DRIVE_NO_ROOT_DIR : disk->second.type;
}
BOOL WINAPI fakeSpace(LPCWSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                      PULARGE_INTEGER free)
{
    const char letter = static_cast<char>(root[0]);
    std::unique_lock<std::mutex> lock(disksLock);
    ++spaceQuestions[letter];
    auto disk = disks.find(letter);
    if (disk == disks.end() || !disk->second.readable)
        return FALSE;
    FakeDisk answer = disk->second;
    lock.unlock();
    if (answer.slow)
        WaitForSingleObject(slowServer, 5000);
    available->QuadPart = answer.available;
    total->QuadPart = answer.total;
    free->QuadPart = answer.available;
    return TRUE;
}
const DriveSources fakeDrives{fakeMask, fakeType, fakeSpace};

// The four drives of the usual example: A: present, E: a 120 GiB disk with
// 30 GiB free, D: a CD-ROM and Z: a network drive.
std::map<char, FakeDisk> exampleDisks()
{
    return {{'A', {DRIVE_REMOVABLE, 1440 * 1024, 0}},
            {'D', {DRIVE_CDROM, 700 * kMiB, 0}},
            {'E', {DRIVE_FIXED, 120 * kGiB, 30 * kGiB}},
            {'Z', {DRIVE_REMOTE, 10 * kGiB, 5 * kGiB}}};
}

class ObservedDrive : public Measure_Drive {
public:
    using Measure_Drive::Measure_Drive;
    int interval() const { return refreshInterval; }
};

struct DriveTest : ItemTest {
    DriveTest()
    {
        std::lock_guard<std::mutex> lock(disksLock);  // a thread of the last test may still ask
        disks = exampleDisks();
    }
    // Built with the answers of its shown drives.
    std::unique_ptr<ObservedDrive> make()
    {
        const int before = host.answers;
        auto item = std::make_unique<ObservedDrive>(host, settings, fakeDrives);
        takeAnswers(*item, before);
        return item;
    }
    void refresh(Measure& item)
    {
        const int before = host.answers;
        item.update();
        takeAnswers(item, before);
    }
    // Waits for the answers of every shown drive asked since before, and hands
    // them over as the window procedure does when their messages arrive.
    void takeAnswers(Measure& item, int before)
    {
        pumpUntil([&] { return host.answers - before >= item.lineCount(false); }, 3000);
        item.takeAnswers();
    }
    // Hands over the answers of drives asked off the UI thread, as the window
    // procedure does when their message arrives; true once the item shows value.
    bool answered(Measure& item, const std::string& value)
    {
        return pumpUntil([&] { return item.takeAnswers(), item.valueText() == value; }, 3000);
    }
    // The root paths that double-clicks on lines 0 to one past the last open.
    std::string shownRoots(Measure& item)
    {
        host.launched.clear();
        for (int line = 0; line <= item.lineCount(true) + 1; ++line)
            item.activate(line);
        std::string roots;
        for (const std::string& launched : host.launched)
            roots += launched + " ";
        return roots;
    }
    int relayouts() { return host.relayouts; }
};

TEST_F(DriveTest, ShownDrivesFollowTheirTypeTheSwitchesAndTheirKeys)
{
    const struct {
        const char* file;
        const char* roots;
        const char* value;
        int interval;
    } cases[] = {
        {"", "E:\\ ", "75%", 30000},
        {"[Options]\r\nShowNetworkDrives=Yes\r\n", "E:\\ Z:\\ ", "75%\n50%", 30000},
        {"[DisplayItems]\r\nE:\\=No\r\n", "", "", 30000},
        {"[Options]\r\nShowRemovableDrives=Yes\r\n", "E:\\ ", "75%", 5000},
    };
    for (const auto& c : cases) {
        writeTextFile(path, c.file);
        auto item = make();
        EXPECT_EQ(shownRoots(*item), c.roots) << c.file;
        EXPECT_TRUE(answered(*item, c.value)) << c.file << item->valueText();
        EXPECT_EQ(item->interval(), c.interval) << c.file;
        EXPECT_TRUE(item->hasTimer()) << c.file;
        EXPECT_EQ(iniValue(path, "DisplayItems", "D:\\"), "<missing>") << "not a candidate";
    }
}

TEST_F(DriveTest, SwitchesWriteTheirKeyAndRefreshAtOnce)
{
    disks['F'] = {DRIVE_REMOVABLE, 8 * kGiB, 6 * kGiB};
    auto item = make();
    ASSERT_EQ(item->valueText(), "75%");

    item->SetShowNetworkDrives(true);
    EXPECT_EQ(shownRoots(*item), "E:\\ Z:\\ ");
    EXPECT_EQ(item->lineCount(false), 2);
    EXPECT_EQ(iniValue(path, "Options", "ShowNetworkDrives"), "Yes");

    item->SetShowRemovableDrives(true);
    EXPECT_TRUE(answered(*item, "75%\n25%\n50%")) << item->valueText();
    EXPECT_EQ(item->interval(), 5000);
    EXPECT_EQ(iniValue(path, "Options", "ShowRemovableDrives"), "Yes");
    EXPECT_TRUE(item->hasTimer());

    item->SetShowRemovableDrives(false);
    item->SetShowNetworkDrives(false);
    EXPECT_EQ(item->valueText(), "75%");
    EXPECT_EQ(item->interval(), 30000);
    EXPECT_EQ(iniValue(path, "Options", "ShowRemovableDrives"), "No");
    EXPECT_EQ(iniValue(path, "Options", "ShowNetworkDrives"), "No");
    EXPECT_TRUE(item->hasTimer());
}

TEST_F(DriveTest, ALetterThatComesOrGoesAsksForANewLayout)
{
    auto item = make();
    EXPECT_EQ(relayouts(), 2) << "the first drive list, then its first texts";
    const struct {
        const char* what;
        void (*change)();
        int relayouts;
    } steps[] = {
        {"same letters, other sizes", [] { disks['E'].available = 0; }, 2},
        {"a hidden USB stick arrives",
         [] {
             disks['G'] = {DRIVE_REMOVABLE, kGiB, kGiB};
         },
         3},
        {"it leaves", [] { disks.erase('G'); }, 4},
        {"no drives at all", [] { disks.clear(); }, 5},
    };
    for (const auto& step : steps) {
        step.change();
        refresh(*item);
        EXPECT_EQ(relayouts(), step.relayouts) << step.what;
    }
    EXPECT_EQ(item->lineCount(true), 0);
    EXPECT_EQ(item->valueText(), "");
}

TEST_F(DriveTest, UsageAndSizeTexts)
{
    const struct {
        std::uint64_t total, available;
        bool readable;
        const char* value;
        const char* tip;  // nullptr: none
    } cases[] = {
        {120 * kGiB, 30 * kGiB, true, "75%", "120 GBytes"},
        {500 * kGiB, 0, true, "100%", "500 GBytes"},
        {kGiB, kGiB / 2, true, "50%", "1024 MBytes"},
        {kGiB + 1, kGiB + 1, true, "0%", "1 GBytes"},
        {kMiB, 0, true, "100%", "1048576 Bytes"},
        {0, 0, true, "0%", "0 Bytes"},
        {kGiB, 0, false, "-%", nullptr},
    };
    for (const auto& c : cases) {
        disks = {{'E', {DRIVE_FIXED, c.total, c.available, c.readable}}};
        auto item = make();
        EXPECT_EQ(item->valueText(), c.value) << c.total << " " << c.available;
        const char* tip = item->tooltipText(1);
        EXPECT_EQ(tip == nullptr ? "(none)" : std::string(tip), c.tip ? c.tip : "(none)")
            << c.total;
        EXPECT_EQ(item->tooltipText(2), nullptr);
        // Marked for painting only when the text moves.
        item->clearChanged();
        refresh(*item);
        EXPECT_FALSE(item->hasChanged());
        disks['E'].readable = !c.readable;
        refresh(*item);
        EXPECT_TRUE(item->hasChanged());
    }
}

// A magenta memory bitmap with the display font, read back pixel by pixel.
constexpr COLORREF kBackground = RGB(255, 0, 255), kPen = RGB(0, 0, 255), kFill = RGB(0, 160, 0);
constexpr int kWidth = 240, kHeight = 80;

struct Canvas {
    explicit Canvas(HFONT font)
    {
        SelectObject(dc, bitmap);
        SelectObject(dc, font);
        SetDCBrushColor(dc, kBackground);
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kPen);
    }
    ~Canvas() { DeleteDC(dc), DeleteObject(bitmap); }
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
};

struct DriveDrawingTest : DriveTest {
    DriveDrawingTest()
    {
        settings.setFontColour(kPen);
        settings.setGraphColour(kFill);
        settings.setSeparator("=");
        // C: 75% and E: 40% get lines; the CD-ROM between them does not.
        std::lock_guard<std::mutex> lock(disksLock);
        disks = {{'C', {DRIVE_FIXED, 100 * kGiB, 25 * kGiB}},
                 {'D', {DRIVE_CDROM, kGiB, 0}},
                 {'E', {DRIVE_FIXED, 100 * kGiB, 60 * kGiB}}};
    }
    ~DriveDrawingTest() override { DeleteObject(font); }
    HFONT font = CreateFontIndirectW(&settings.font);
    static constexpr int top = 10, lineHeight = 20, start = 40, labelWidth = 30,
                         separatorWidth = 12;
};

TEST_F(DriveDrawingTest, OneBarPerShownDriveAtItsRow)
{
    // Fill ranges [left, end) per row, from a 200-pixel span.
    const struct {
        bool rightAlign;
        int left[2], end[2];
    } cases[] = {
        {false, {40, 40}, {190, 120}},
        {true, {90, 160}, {240, 240}},
    };
    settings.showGraphs = true;
    for (const auto& c : cases) {
        settings.rightAlign = c.rightAlign;
        auto item = make();
        Canvas canvas(font);
        ItemDrawing drawing(canvas.dc, settings,
                            {kWidth, kHeight, lineHeight, start, labelWidth, separatorWidth, 0});
        item->drawItem(drawing, top);
        for (int row = 0; row < 3; ++row) {
            const int y = top + row * lineHeight + lineHeight / 2;
            // Inside each end of the bar, and just beyond it; clear of the texts.
            const int inside = c.rightAlign ? c.left[row % 2] + 3 : c.end[row % 2] - 3;
            const int outside = c.rightAlign ? c.left[row % 2] - 3 : c.end[row % 2] + 3;
            EXPECT_EQ(GetPixel(canvas.dc, inside, y), row < 2 ? kFill : kBackground)
                << c.rightAlign << " row " << row;
            if (outside < kWidth) {
                EXPECT_EQ(GetPixel(canvas.dc, outside, y), kBackground)
                    << c.rightAlign << " row " << row;
            }
        }
    }
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    for (char ch : text + separator)
        if (ch == separator)
            parts.push_back(part), part.clear();
        else
            part += ch;
    return parts;
}

TEST_F(DriveTest, RealDrivesOfThisSystem)
{
    const int before = host.answers;
    ObservedDrive item(host, settings, DriveSources());
    takeAnswers(item, before);
    std::string roots = shownRoots(item);
    std::printf("Drive item on this system: %s| %s\n", roots.c_str(), item.valueText().c_str());
    EXPECT_NE(roots.find("C:\\"), std::string::npos);
    std::vector<std::string> root = split(roots, ' '), percent = split(item.valueText(), '\n');
    for (size_t line = 0; line < percent.size(); ++line) {
        ULARGE_INTEGER available{}, total{}, free{};
        ASSERT_TRUE(GetDiskFreeSpaceExA(root[line].c_str(), &available, &total, &free));
        auto expected =
            static_cast<int>((total.QuadPart - available.QuadPart) * 100 / total.QuadPart);
        EXPECT_NEAR(std::stoi(percent[line]), expected, 1) << root[line];
        EXPECT_NE(item.tooltipText(static_cast<int>(line) + 1), nullptr) << root[line];
    }
}

// E: a disk that must spin up and Z: a network drive whose server is slow,
// each taking 5 s to answer, and a shell as slow to open one, on the real window.
using SlowDriveTest = MainWindowTest;

struct ShellCall {
    std::string target;
    bool inApartment = false;
};
std::mutex shellLock;
std::vector<ShellCall> shellCalls;

BOOL WINAPI slowShell(SHELLEXECUTEINFOW* info)
{
    WaitForSingleObject(slowServer, 5000);
    using ApartmentQuery = HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*);
    auto query = EntryPoint<ApartmentQuery>(GetModuleHandleA("ole32.dll"), "CoGetApartmentType");
    APTTYPE type = APTTYPE_MTA;
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    bool singleThreaded = query != nullptr && SUCCEEDED(query(&type, &qualifier))
                          && (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
    std::lock_guard<std::mutex> lock(shellLock);
    shellCalls.push_back({toUtf8(info->lpFile), singleThreaded});
    return TRUE;
}

TEST_F(SlowDriveTest, NeitherHoldsTheWindowNorLosesItsText)
{
    disks = exampleDisks();
    disks['E'].slow = disks['Z'].slow = true;
    spaceQuestions.clear();
    ResetEvent(slowServer);
    settings.writeBool("Options", "ShowNetworkDrives", true);
    app.launches.execute = slowShell;
    list.reset();
    app.measures = nullptr;

    // Asked from another thread while the UI thread works, the window answers.
    auto answersDuring = [&](const std::function<void()>& work) {
        std::atomic<LRESULT> answer{-1};
        std::thread asker([&] {
            DWORD_PTR result = 0;
            answer = SendMessageTimeoutA(app.mainWindow, WM_NULL, 0, 0, SMTO_NORMAL,
                                         slowMachineMs(100), &result);
        });
        work();
        pumpUntil([&] { return answer != -1; }, slowMachineMs(1000));
        asker.join();
        return answer != 0;
    };
    EXPECT_TRUE(answersDuring([&] {
        std::vector<std::unique_ptr<Measure>> items;
        items.push_back(std::make_unique<Measure_Drive>(app, settings, fakeDrives));
        list = std::make_unique<MeasureList>(std::move(items));
        app.measures = list.get();
    })) << "the window did not answer within 100 ms while the drives were asked";
    Measure& drive = list->at(0);
    EXPECT_TRUE(answersDuring([&] { drive.activate(1); }))
        << "the window did not answer within 100 ms while E: was opened";

    // Until its answer comes each drive keeps its last text, none at first.
    EXPECT_EQ(drive.valueText(), "");
    SetEvent(slowServer);
    EXPECT_TRUE(pumpUntil([&] { return drive.valueText() == "75%\n50%"; }, 3000));
    ResetEvent(slowServer);
    disksLock.lock();
    disks['Z'].available = 2 * kGiB;
    disksLock.unlock();
    drive.update();
    EXPECT_EQ(drive.valueText(), "75%\n50%");
    SetEvent(slowServer);
    EXPECT_TRUE(pumpUntil([&] { return drive.valueText() == "75%\n80%"; }, 3000));
    EXPECT_STREQ(drive.tooltipText(2), "10 GBytes");
    // One space question per drive and update. E:'s second answer shows no
    // change, so its thread may not have asked yet when Z:'s text arrives.
    EXPECT_TRUE(pumpUntil(
        [&] {
            std::lock_guard<std::mutex> lock(disksLock);
            return spaceQuestions == std::map<char, int>{{'E', 2}, {'Z', 2}};
        },
        3000));
    // The shell was asked once, in the apartment its execute call wants.
    EXPECT_TRUE(pumpUntil(
        [&] {
            std::lock_guard<std::mutex> lock(shellLock);
            return !shellCalls.empty();
        },
        3000));
    std::lock_guard<std::mutex> lock(shellLock);
    ASSERT_EQ(shellCalls.size(), 1u);
    EXPECT_EQ(shellCalls[0].target, "E:\\");
    EXPECT_TRUE(shellCalls[0].inApartment);
}

}  // namespace
