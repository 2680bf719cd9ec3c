// The real program, started as a user would in the test prefix: what a user
// sees on first start, on a second start, and on screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <vector>

#include "e2e/RunningProgram.h"
#include "e2e/ScreenPixels.h"
#include "platform/KernelHandle.h"
#include "platform/Utf8.h"
#include "support/ColourPane.h"
#include "support/IniFile.h"
#include "support/ShortcutFile.h"

namespace {

int yellowPixels(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    int count = 0;
    for (DWORD pixel : screenPixels(rect))
        count += pixel == 0xFFFF00;
    return count;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

int windowWidth(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

// A command line of the host's shell, such as the X tools on Wine's display.
// Wine cannot wait on a host process, so the command leaves a mark when done.
bool runOnHost(const std::string& command)
{
    std::string mark = "/tmp/dashvane-e2e-" + std::to_string(GetCurrentProcessId()) + ".done";
    std::string seen = "Z:" + mark;
    std::replace(seen.begin(), seen.end(), '/', '\\');
    DeleteFileA(seen.c_str());
    std::string line = "Z:\\bin\\sh -c \"" + command + "; touch " + mark + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    bool done = pumpUntil([&] { return fileExists(seen); }, 10000);
    DeleteFileA(seen.c_str());
    return done;
}

// Presses the left button at from, moves by (dx, dy) in ten steps, releases.
void drag(POINT from, int dx, int dy)
{
    SetCursorPos(from.x, from.y);
    for (int step = 0; step <= 11; ++step) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = step == 0    ? MOUSEEVENTF_LEFTDOWN
                           : step == 11 ? MOUSEEVENTF_LEFTUP
                                        : MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = MulDiv(from.x + dx * step / 10, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(from.y + dy * step / 10, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        SendInput(1, &input, sizeof input);
        pumpMessages(20);
    }
}

}  // namespace

TEST(Overlay, FirstStartShowsTheWindowTopRightAndWritesItsSettings)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    ASSERT_TRUE(program.started());
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);

    LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TOOLWINDOW), WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)) & 0x80000080u, 0x80000080u);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN) - 10);
    EXPECT_EQ(rect.top, 0);
    // Built for 32 bits, it runs as a 32-bit process on the 64-bit system.
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(program.handle(), &wow64));
    EXPECT_EQ(wow64 != FALSE, sizeof(void*) == 4);

    EXPECT_EQ(iniValue(settingsFile, "Options", "Hotkey"), "CTRL,ALT,L");
    EXPECT_EQ(iniValue(settingsFile, "Position", "X"), std::to_string(rect.left));
    for (const char* key : {"Show Graphs", "Show Tooltips", "Locked", "Run At Startup",
                            "Auto BG Color", "Text Outline"})
        EXPECT_EQ(iniValue(settingsFile, "Options", key), "No") << key;
    EXPECT_EQ(iniValue(settingsFile, "Options", "Right Align"), "Yes");
    const struct {
        const char *section, *key, *value;
    } written[] = {{"Font", "Name", "Courier New"},
                   {"Font", "Point", "14"},
                   {"Font", "Weight", "0"},
                   {"Font", "Italic", "No"},
                   {"Font", "RGBColour", "255,255,0"},
                   {"Graph", "RGBColour", "71,96,141"},
                   {"Options", "Separator", "="}};
    for (const auto& key : written)
        EXPECT_EQ(iniValue(settingsFile, key.section, key.key), key.value) << key.key;
    EXPECT_EQ(iniValue(settingsFile, "DisplayItems", "Machine"), "Yes");
    EXPECT_EQ(iniValue(settingsFile, "DisplayItems", "Time"), "Yes");
}

// Libraries needed only for a dialog, a tooltip, a launch or a start-up
// question stay out of the running program: they would hold memory all day.
TEST(Overlay, RunsWithoutTheLibrariesItUsesOnlyNowAndThen)
{
    RunningProgram program;
    ASSERT_TRUE(program.started());
    ASSERT_NE(program.waitForWindow(kStartMs), nullptr);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, program.id());
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> loaded;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot, &module); more;
         more = Module32NextW(snapshot, &module))
        loaded.push_back(CharLowerW(module.szModule));
    CloseHandle(snapshot);
    EXPECT_GT(loaded.size(), 3u);
    for (const wchar_t* name : {L"comctl32.dll", L"comdlg32.dll", L"winspool.drv", L"shell32.dll",
                                L"netapi32.dll", L"ole32.dll"})
        EXPECT_EQ(std::count(loaded.begin(), loaded.end(), name), 0) << name;
}

// Hand-typed positions off the one screen, far off included: the window ends
// fully on it, 10 pixels inside each edge it was pulled over, and the file
// keeps what was typed.
TEST(Overlay, AStoredPositionOffTheScreenIsPulledFullyOntoIt)
{
    const LONG right = GetSystemMetrics(SM_CXSCREEN) - 10;
    const LONG bottom = GetSystemMetrics(SM_CYSCREEN) - 10;
    struct Row {
        const char *x, *y;
        std::function<bool(const RECT&)> placed;
    } rows[] = {
        {"-3000", "50", [](const RECT& r) { return r.left == 10 && r.top == 50; }},
        {"2147483600", "-3000", [&](const RECT& r) { return r.right == right && r.top == 10; }},
        {"50", "2147483600", [&](const RECT& r) { return r.left == 50 && r.bottom == bottom; }},
    };
    for (const Row& row : rows) {
        writeUserSettings(std::string("[Position]\r\nX=") + row.x + "\r\nY=" + row.y + "\r\n");
        RunningProgram program;
        HWND window = program.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        RECT rect{};
        EXPECT_TRUE(pumpUntil([&] { return row.placed(rect = windowRect(window)); }, 3000))
            << row.x << "," << row.y << " -> " << rect.left << "," << rect.top;
        EXPECT_EQ(iniValue(userSettingsFile(), "Position", "X"), row.x);
        EXPECT_EQ(iniValue(userSettingsFile(), "Position", "Y"), row.y);
    }
}

// Auto Graph Color over a stand-in for the wallpaper: the bars take its colour,
// but not that of a window laid over the overlay when a device change asks
// for a new sample; once the window is gone, the next try takes the wallpaper.
TEST(Overlay, AWindowOverTheOverlayLeavesTheGraphColourAlone)
{
    writeUserSettings(
        "[Options]\r\nAuto BG Color=Yes\r\nShow Graphs=Yes\r\n[Graph]\r\nRGBColour=1,2,3\r\n"
        "[Position]\r\nX=200\r\nY=150\r\n");
    const std::string file = userSettingsFile();
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    auto wallpaper = std::make_unique<ColourPane>(ColourPane::Wallpaper, screen, RGB(20, 40, 160));
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(
        pumpUntil([&] { return iniValue(file, "Graph", "RGBColour") == "20,40,160"; }, 10000));

    RECT over = windowRect(window);
    InflateRect(&over, 20, 20);
    auto cover = std::make_unique<ColourPane>(ColourPane::Cover, over, RGB(255, 0, 0));
    wallpaper = std::make_unique<ColourPane>(ColourPane::Wallpaper, screen, RGB(30, 150, 60));
    PostMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    pumpMessages(2000);
    EXPECT_EQ(iniValue(file, "Graph", "RGBColour"), "20,40,160");

    cover.reset();
    EXPECT_TRUE(
        pumpUntil([&] { return iniValue(file, "Graph", "RGBColour") == "30,150,60"; }, 10000))
        << iniValue(file, "Graph", "RGBColour");
}

TEST(Overlay, CarriesItsVersionResource)
{
    std::string exe = programFolder() + "\\dashvane.exe";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));
}

// Two starts at once give one overlay; a start while one runs is refused
// before it reads or writes anything.
TEST(Overlay, SecondStartIsRefusedAndLeavesTheFirstAlone)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram quick[2];
    MessageBoxSeen seen;
    int refused = -1;
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (refused = 0; refused < 2; ++refused)
                if ((seen = findMessageBox(quick[refused].id())).box != nullptr)
                    return true;
            return false;
        },
        kStartMs));
    const RunningProgram& first = quick[1 - refused];
    HWND window = first.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(visibleWindowCount(quick[refused].id(), "DashvaneClass"), 0);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, first.id());
    PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(quick[refused].waitForExit(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    // A key the running overlay would write back if it were starting.
    pumpMessages(1000);
    // The file the first start made is UTF-16, as an editor then keeps it.
    std::string edited = readTextFile(settingsFile);
    ASSERT_EQ(edited.compare(0, 2, "\xFF\xFE"), 0);
    const std::wstring line = L"Show Tooltips=No\r\n";
    const std::string lineBytes(reinterpret_cast<const char*>(line.data()),
                                line.size() * sizeof(wchar_t));
    size_t key = edited.find(lineBytes);
    ASSERT_NE(key, std::string::npos);
    edited.erase(key, lineBytes.size());
    writeTextFile(settingsFile, edited);

    RunningProgram second;
    ASSERT_TRUE(
        pumpUntil([&] { return (seen = findMessageBox(second.id())).box != nullptr; }, kStartMs));
    EXPECT_EQ(seen.caption, "dashvane - error");
    EXPECT_EQ(seen.text, "Application already running.");
    PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
    exitCode = 1;
    ASSERT_TRUE(second.waitForExit(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);

    EXPECT_EQ(readTextFile(settingsFile), edited);
    EXPECT_EQ(FindWindowA("DashvaneClass", "DashvaneWindow"), window);
    EXPECT_EQ(WaitForSingleObject(first.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Overlay, TheKeyColourNeverReachesTheScreenButTheTextDoes)
{
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    pumpMessages(1200);  // a few repaints

    RECT rect{};
    GetWindowRect(window, &rect);
    int magenta = 0;
    int text = 0;
    for (DWORD pixel : screenPixels(rect)) {
        magenta += pixel == 0xFF00FF;
        text += pixel == 0xFFFF00;  // the default font colour, yellow
    }
    EXPECT_EQ(magenta, 0);
    EXPECT_GT(text, 20);
}

TEST(Overlay, ControlDoubleClickCopiesEveryValue)
{
    DeleteFileA(userSettingsFile().c_str());
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    emptyClipboard();
    RECT rect{};
    GetWindowRect(window, &rect);
    controlDoubleClick(rect.right - 5, rect.top + 5);
    std::string text;
    ASSERT_TRUE(pumpUntil([&] { return !(text = clipboardText()).empty(); }, 5000));

    std::vector<std::string> lines = linesOf(text);
    // One line per item in display order; the network item has two and the
    // drive item one per drive, so the tail is counted from the end.
    ASSERT_GE(lines.size(), 18u) << text;
    auto matches = [&](size_t i, const char* pattern) {
        return i < lines.size() && std::regex_match(lines[i], std::regex(pattern));
    };
    const char* head[] = {
        "[^\\n]+",                        // machine
        "[0-9.]+ [MG]Hz",                 // processor
        "Win[0-9A-Za-z.]+/64",            // OS: 64-bit Windows, for the 32-bit build too
        ".+",                             // user
        ".+",                             // domain or workgroup
        "([0-9]{1,3}\\.){3}[0-9]{1,3}|",  // IP address, or blank
    };
    for (size_t i = 0; i < std::size(head); ++i)
        EXPECT_TRUE(matches(i, head[i])) << i << ": " << lines[i];
    WCHAR machine[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = ARRAYSIZE(machine);
    GetComputerNameW(machine, &length);
    EXPECT_EQ(lines[0], toUtf8(machine));
    // Until it has measured, the network item's value is its two lines, empty.
    size_t next = std::size(head);
    if (matches(next, "[0-9]+ kb/s")) {
        EXPECT_TRUE(matches(++next, "[0-9]+ kb/s")) << lines[next];
    } else {
        EXPECT_EQ(lines[next], "");
        EXPECT_EQ(lines[++next], "");
    }
    const char* middle[] = {
        "[0-9.,]+ [GK]b",                      // installed RAM
        "[0-9]{1,3}%",                         // RAM used
        "[0-9]{1,3}%",                         // memory used
        "([0-9]+ days?, )?[0-9]{2}:[0-9]{2}",  // uptime
        "[0-9]+",                              // processes
        "None|.*[0-9]+%.*|Charged|Unknown.*",  // battery
    };
    ++next;
    for (const char* pattern : middle) {
        EXPECT_TRUE(matches(next, pattern)) << next << ": " << pattern;
        ++next;
    }
    size_t n = lines.size();
    EXPECT_TRUE(std::regex_match(lines[n - 3], std::regex("[0-9]{1,2}:[0-9]{2}:[0-9]{2}")))
        << lines[n - 3];
    EXPECT_TRUE(std::regex_match(lines[n - 2], std::regex("[0-9]{1,3}%"))) << lines[n - 2];
    EXPECT_EQ(lines[n - 1], "v1.0.0.1");
    // One line per drive between the battery and the clock.
    ASSERT_LT(next, n - 3);
    for (size_t i = next; i < n - 3; ++i)
        EXPECT_TRUE(matches(i, "[0-9]{1,3}%")) << lines[i];
}

// Widened by hand, the separator widens the window at once to what a fresh
// start with it shows, even where the window has room to grow in place.
TEST(Overlay, AnEditedSeparatorShowsOnScreenAtItsFullWidth)
{
    std::string settingsFile = userSettingsFile();
    writeTextFile(settingsFile, "[Position]\r\nX=100\r\nY=100\r\n");
    int edited = 0;
    {
        RunningProgram program;
        HWND window = program.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        pumpMessages(1000);
        int before = yellowPixels(window);
        int width = windowWidth(window);

        // As an editor would: the whole file written anew.
        std::string text = readTextFile(settingsFile);
        size_t options = text.find("[Options]\r\n");
        ASSERT_NE(options, std::string::npos);
        text.insert(options + 11, "Separator=########\r\n");
        writeTextFile(settingsFile, text);
        EXPECT_TRUE(pumpUntil([&] { return yellowPixels(window) > before + 500; }, 3000))
            << before << " -> " << yellowPixels(window);
        EXPECT_TRUE(pumpUntil([&] { return windowWidth(window) > width; }, 3000));
        edited = windowWidth(window);
    }
    RunningProgram fresh;
    HWND window = fresh.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowWidth(window), edited);
}

// Alt+F4 on the overlay the user clicked ends it; nothing stays behind to
// refuse or to pile up beside the next start.
TEST(Overlay, AltF4EndsItAndTheNextStartShowsOneWindow)
{
    {
        RunningProgram program;
        HWND window = program.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        // It starts without the keyboard; a click on the frame box gives it.
        drag(POINT{windowRect(window).right - 5, windowRect(window).top + 5}, 0, 0);
        // The window may be gone before the tool's key releases: the tool then
        // stops on an error and leaves the keys held, and the server's key repeat
        // would close every later window. A second run releases them.
        ASSERT_TRUE(
            runOnHost("xdotool search --name ^DashvaneWindow$ windowfocus --sync %1 "
                      "key alt+F4 2>/dev/null; xdotool keyup F4 Alt_L 2>/dev/null"));
        DWORD exitCode = 1;
        EXPECT_TRUE(program.waitForExit(2000, exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    RunningProgram again;
    ASSERT_NE(again.waitForWindow(kStartMs), nullptr);
    HWND first = FindWindowA("DashvaneClass", nullptr);
    EXPECT_EQ(FindWindowExA(nullptr, first, "DashvaneClass", nullptr), nullptr);
}

// With the default settings (Bottom, resting on nothing but the desktop).
TEST(Overlay, ADragMovesTheWindowWithTheCursorAndStoresWhereItIs)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    RECT before{};
    GetWindowRect(window, &before);
    drag(POINT{before.right - 5, before.top + 5}, -300, 200);  // held by the frame box

    RECT after{};
    EXPECT_TRUE(pumpUntil(
        [&] {
            GetWindowRect(window, &after);
            return after.left == before.left - 300 && after.top == before.top + 200;
        },
        3000))
        << after.left - before.left << "," << after.top - before.top;
    EXPECT_TRUE(pumpUntil(
        [&] {
            GetWindowRect(window, &after);
            return iniValue(settingsFile, "Position", "X") == std::to_string(after.left)
                   && iniValue(settingsFile, "Position", "Y") == std::to_string(after.top);
        },
        3000))
        << iniValue(settingsFile, "Position", "X") << ","
        << iniValue(settingsFile, "Position", "Y");
}

namespace {

// The machine's name as the system reports it, for one test's time.
class MachineName {
public:
    explicit MachineName(const char* name)
    {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        DWORD size = sizeof own_;
        RegQueryValueExA(key_, "ComputerName", nullptr, nullptr, reinterpret_cast<BYTE*>(own_),
                         &size);
        set(name);
    }
    ~MachineName()
    {
        set(own_);
        RegCloseKey(key_);
    }
    void set(const char* name)
    {
        RegSetValueExA(key_, "ComputerName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                       DWORD(std::strlen(name) + 1));
    }

private:
    HKEY key_ = nullptr;
    char own_[64] = {};
};

}  // namespace

// The machine's name is the widest value here. Drawn with "&" as a mark for
// the next letter, the first name would show as the second one does.
TEST(Overlay, AnAmpersandInAValueIsShownAndCopied)
{
    const char* names[] = {"W&M&W&M&W&M&W&M", "WMWMWMWM"};
    int widths[2] = {};
    for (int i = 0; i < 2; ++i) {
        MachineName machine(names[i]);
        RunningProgram program;
        HWND window = program.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        widths[i] = windowWidth(window);

        // What an ended program left on the clipboard is dropped a moment
        // after it ended, and would take this copy with it.
        pumpMessages(1000);
        emptyClipboard();
        RECT rect{};
        GetWindowRect(window, &rect);
        controlDoubleClick(rect.right - 5, rect.top + 5);
        std::string text;
        ASSERT_TRUE(pumpUntil([&] { return !(text = clipboardText()).empty(); }, 5000));
        EXPECT_EQ(linesOf(text)[0], names[i]);
        // Taken back while the program runs, so that its end has nothing of
        // the clipboard to drop while the next copy is made.
        emptyClipboard();
    }
    EXPECT_GT(widths[0], widths[1]);
}

TEST(Overlay, TheContextMenuChangesOptionsMovesTheWindowAndExits)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);

    // Up from the top lands on "Exit", once more on "Options"; Right opens
    // a submenu on its first entry, and separators are stepped over.
    ASSERT_TRUE(chooseFromMenu(
        program, window, {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, true));
    EXPECT_TRUE(
        pumpUntil([&] { return iniValue(settingsFile, "Options", "Show Graphs") == "Yes"; }, 3000));

    ASSERT_TRUE(chooseFromMenu(program, window,
                               {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                                VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}));
    RECT rect{};
    EXPECT_TRUE(pumpUntil(
        [&] { return GetWindowRect(window, &rect) && rect.left == 10 && rect.top == 10; }, 3000))
        << rect.left << "," << rect.top;
    // The key is written just after the move.
    EXPECT_TRUE(pumpUntil(
        [&] { return iniValue(settingsFile, "Options", "ScreenPosition") == "TL"; }, 3000));

    ASSERT_TRUE(chooseFromMenu(program, window, {VK_UP, VK_RETURN}));
    DWORD exitCode = 1;
    EXPECT_TRUE(program.waitForExit(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

namespace {

// Pixels of the graph colour in the window: the frame box alone, or the bars.
int graphPixels(HWND window)
{
    int count = 0;
    for (DWORD pixel : screenPixels(windowRect(window)))
        count += pixel == 0x47608D;
    return count;
}

}  // namespace

// Another program holds the file open without write sharing: the first change
// that cannot be saved shows one message naming the file, the later ones
// none, and the changes still show.
TEST(Overlay, ASettingsFileThatCannotBeWrittenGivesOneMessageAndKeepsTheChange)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    pumpMessages(1000);
    int frameBox = graphPixels(window);
    std::string before = readTextFile(settingsFile);
    HANDLE opened = CreateFileA(settingsFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(opened, INVALID_HANDLE_VALUE);
    KernelHandle holder(opened);

    // Options > Show Graphs: on, off and on again.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(chooseFromMenu(program, window,
                                   {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
                                   i == 0));
    MessageBoxSeen seen;
    ASSERT_TRUE(
        pumpUntil([&] { return (seen = findMessageBox(program.id())).box != nullptr; }, 5000));
    EXPECT_EQ(seen.caption, "dashvane - error");
    EXPECT_NE(seen.text.find(settingsFile), std::string::npos) << seen.text;
    EXPECT_TRUE(pumpUntil([&] { return graphPixels(window) > 10 * frameBox; }, 3000))
        << graphPixels(window) << " / " << frameBox;
    pumpMessages(500);
    EXPECT_EQ(visibleWindowCount(program.id(), "#32770"), 1);
    EXPECT_EQ(readTextFile(settingsFile), before);
    PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
}

namespace {

std::string dashvaneExe()
{
    return programFolder() + "\\dashvane.exe";
}

// A folder of the host's /tmp, seen by the program as Z:\tmp\..., so that
// host tools reach the same files; removed with everything in it.
class HostFolder {
public:
    explicit HostFolder(const char* name)
        : host_("/tmp/dashvane-e2e-" + std::to_string(GetCurrentProcessId()) + "-" + name)
    {
        wine_ = "Z:" + host_;
        std::replace(wine_.begin(), wine_.end(), '/', '\\');
        CreateDirectoryA(wine_.c_str(), nullptr);
    }
    ~HostFolder() { runOnHost("chattr -R -i " + host_ + " 2>/dev/null; rm -rf " + host_); }
    HostFolder(const HostFolder&) = delete;
    HostFolder& operator=(const HostFolder&) = delete;

    std::string file(const char* name) const { return wine_ + "\\" + name; }
    std::string hostFile(const char* name) const { return host_ + "/" + name; }

private:
    std::string host_, wine_;
};

// A settings file beside the program turns every start into a portable one,
// so it goes with the test, whatever the test's end.
class FileBesideProgram {
public:
    FileBesideProgram() { writeTextFile(path, ""); }
    ~FileBesideProgram() { DeleteFileA(path.c_str()); }
    FileBesideProgram(const FileBesideProgram&) = delete;
    FileBesideProgram& operator=(const FileBesideProgram&) = delete;

    const std::string path = programFolder() + "\\Dashvane.ini";
};

bool writable(const std::string& path)
{
    HANDLE opened = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    KernelHandle closed(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    return closed != nullptr;
}

int pixelsOfColour(HWND window, DWORD colour)
{
    int count = 0;
    for (DWORD pixel : screenPixels(windowRect(window)))
        count += pixel == colour;
    return count;
}

// Whether first lies above second in the top-level chain.
bool above(HWND first, HWND second)
{
    for (HWND next = first; next != nullptr; next = GetWindow(next, GW_HWNDNEXT))
        if (next == second)
            return true;
    return false;
}

// Lays cover over the whole window, then waits out the overlay's start-up
// restacking: until it settles, the overlay may still come up of its own accord.
void coverWindow(const TestWindow& cover, HWND window)
{
    const RECT rect = windowRect(window);
    SetWindowPos(cover.handle(), HWND_TOP, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    pumpMessages(1500);
}

}  // namespace

// An empty Dashvane.ini beside the program takes the first start's defaults;
// a file named with /ini, relative to the folder started in, wins over it.
// Neither start writes to the profile.
TEST(Overlay, SettingsBesideTheProgramOrNamedOnTheCommandLine)
{
    FileBesideProgram beside;
    HostFolder started("started");
    struct Row {
        std::string arguments, settings;
    } rows[] = {
        {"", beside.path},
        {"/ini \"sub folder\\my.ini\"", started.file("sub folder\\my.ini")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        DeleteFileA(userSettingsFile().c_str());
        RunningProgram program(dashvaneExe(), row.arguments, started.file(""));
        HWND window = program.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(pumpUntil(
            [&] {
                return iniValue(row.settings, "Position", "X")
                       == std::to_string(windowRect(window).left);
            },
            3000));
        EXPECT_EQ(iniValue(row.settings, "Options", "Hotkey"), "CTRL,ALT,L");
        EXPECT_EQ(iniValue(row.settings, "Options", "Right Align"), "Yes");
        EXPECT_FALSE(fileExists(userSettingsFile()));
    }
    EXPECT_EQ(iniValue(beside.path, "Options", "Hotkey"), "CTRL,ALT,L");
    EXPECT_EQ(readTextFile(beside.path).find("my.ini"), std::string::npos);
}

// Ends the overlay as its Exit does and says how it went in the exit code.
TEST(Overlay, ExitSwitchEndsTheRunningOverlay)
{
    DeleteFileA(userSettingsFile().c_str());
    RunningProgram overlay;
    HWND window = overlay.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    // Moved by the menu: the key is in the file before the end is asked for.
    ASSERT_TRUE(chooseFromMenu(overlay, window,
                               {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                                VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN},
                               true));
    ASSERT_TRUE(pumpUntil(
        [&] { return iniValue(userSettingsFile(), "Options", "ScreenPosition") == "TL"; }, 3000));

    DWORD started = GetTickCount();
    DWORD exitCode = 99;
    {
        RunningProgram request(dashvaneExe(), "/exit");
        ASSERT_TRUE(request.waitForExit(kStartMs, exitCode));
    }
    EXPECT_EQ(exitCode, 0u);
    // The request's own start counts too, which the emulator stretches.
    EXPECT_LT(GetTickCount() - started, slowMachineMs(5000));
    DWORD overlayCode = 99;
    EXPECT_TRUE(overlay.waitForExit(0, overlayCode));
    EXPECT_EQ(overlayCode, 0u);
    EXPECT_EQ(iniValue(userSettingsFile(), "Options", "ScreenPosition"), "TL");

    RunningProgram again(dashvaneExe(), "/exit");
    exitCode = 99;
    ASSERT_TRUE(again.waitForExit(kStartMs, exitCode));
    EXPECT_EQ(exitCode, 1u);
}

namespace {

LRESULT CALLBACK ignoresClose(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_CLOSE ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// An overlay that does not end in time: the request gives up after 5 s.
TEST(Overlay, ExitSwitchGivesUpOnAnOverlayThatDoesNotEnd)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ignoresClose;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DashvaneClass";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    HWND stuck = CreateWindowExA(WS_EX_TOOLWINDOW, "DashvaneClass", "DashvaneWindow", WS_POPUP, 0,
                                 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(stuck, nullptr);
    ShowWindow(stuck, SW_SHOWNOACTIVATE);

    DWORD started = GetTickCount();
    RunningProgram request(dashvaneExe(), "/exit");
    DWORD exitCode = 99;
    ASSERT_TRUE(request.waitForExit(10000, exitCode));
    EXPECT_EQ(exitCode, 2u);
    EXPECT_GE(GetTickCount() - started, 4900u);
    EXPECT_TRUE(IsWindow(stuck));
    DestroyWindow(stuck);
}

// Each ends with its one message and no overlay.
TEST(Overlay, SwitchesThatEndAtOnceShowOneMessage)
{
    const struct {
        std::string arguments;
        const char* caption;
        std::string shown;
        DWORD exitCode;
    } rows[] = {
        {"/nonsense", "dashvane - error", "/nonsense", 87},
        {"/?", "dashvane", "/ini <file>", 0},
        {"/ini Q:\\nowhere\\my.ini", "dashvane - error", "Q:\\nowhere\\my.ini", 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        RunningProgram program(dashvaneExe(), row.arguments);
        MessageBoxSeen seen;
        ASSERT_TRUE(pumpUntil([&] { return (seen = findMessageBox(program.id())).box != nullptr; },
                              kStartMs));
        EXPECT_EQ(seen.caption, row.caption);
        EXPECT_NE(seen.text.find(row.shown), std::string::npos) << seen.text;
        if (row.exitCode != 1) {
            for (const char* listed : {"/ini <file>", "/exit", "/?"})
                EXPECT_NE(seen.text.find(listed), std::string::npos) << listed;
        }
        EXPECT_EQ(FindWindowA("DashvaneClass", nullptr), nullptr);
        PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
        DWORD exitCode = 99;
        ASSERT_TRUE(program.waitForExit(5000, exitCode));
        EXPECT_EQ(exitCode, row.exitCode);
    }
}

// A file that refuses writes from the start is used as it is: a change from
// the menu shows, the file stays byte for byte, and nothing is said.
TEST(Overlay, ASettingsFileThatCannotBeWrittenAtStartIsUsedAsItIs)
{
    HostFolder shared("shared");
    const std::string settingsFile = shared.file("locked.ini");
    const std::string text = "[Options]\r\nShow Graphs=No\r\nLocked=No\r\n";
    writeTextFile(settingsFile, text);
    // As root only the immutable flag refuses writes; as another user, the mode.
    runOnHost("chattr +i " + shared.hostFile("locked.ini") + " 2>/dev/null || chmod 444 "
              + shared.hostFile("locked.ini"));
    if (writable(settingsFile))
        GTEST_SKIP() << "neither chattr +i nor chmod 444 made the file refuse writes";

    RunningProgram program(dashvaneExe(), "/ini " + settingsFile);
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    pumpMessages(1000);
    int frameBox = graphPixels(window);
    ASSERT_TRUE(chooseFromMenu(
        program, window, {VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, true));
    EXPECT_TRUE(pumpUntil([&] { return graphPixels(window) > 10 * frameBox; }, 3000))
        << graphPixels(window) << " / " << frameBox;
    pumpMessages(1000);
    EXPECT_EQ(findMessageBox(program.id()).box, nullptr);
    EXPECT_EQ(readTextFile(settingsFile), text);
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(program.waitForExit(5000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(readTextFile(settingsFile), text);
}


// Run At Startup of a copy started with /ini and a relative path starts the
// next one at logon with the same file, wherever that start begins.
TEST(Overlay, RunAtStartupKeepsTheSettingsFileNamedOnTheCommandLine)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    char folder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, TRUE));
    const std::string shortcut = std::string(folder) + "\\Dashvane.lnk";
    DeleteFileA(shortcut.c_str());
    HostFolder started("logon");
    {
        RunningProgram program(dashvaneExe(), "/ini sub\\my.ini", started.file(""));
        HWND window = program.waitForWindow(kStartMs);
        ASSERT_NE(window, nullptr);
        // Up from Options' first entry wraps to its last, Run At Startup.
        ASSERT_TRUE(
            chooseFromMenu(program, window, {VK_UP, VK_UP, VK_RIGHT, VK_UP, VK_RETURN}, true));
        ASSERT_TRUE(pumpUntil(
            [&] {
                return iniValue(started.file("sub\\my.ini"), "Options", "Run At Startup") == "Yes";
            },
            3000));
    }
    const std::wstring link = readShortcut(toWide(shortcut));
    EXPECT_EQ(toUtf8(link.substr(link.find(L'|') + 1)),
              "/ini \"" + started.file("sub\\my.ini") + "\"");
    DeleteFileA(shortcut.c_str());
    CoUninitialize();
}

// A file that shows nothing shows the Version line, and the menu cannot hide
// the last line shown.
TEST(Overlay, TheOverlayCannotBeHiddenForGood)
{
    std::string settingsFile = userSettingsFile();
    std::string text = "[DisplayItems]\r\n";
    for (const char* key : kItemKeys)
        text += std::string(key) + "=No\r\n";
    writeUserSettings(text);
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(iniValue(settingsFile, "DisplayItems", "Version"), "Yes");
    EXPECT_TRUE(pumpUntil([&] { return yellowPixels(window) > 20; }, 3000));

    // Down from the top walks the items; the greyed Version entry does nothing.
    std::vector<WPARAM> keys(17, VK_DOWN);
    keys.push_back(VK_RETURN);
    keys.push_back(VK_ESCAPE);
    ASSERT_TRUE(chooseFromMenu(program, window, keys, true));
    pumpMessages(500);
    EXPECT_EQ(iniValue(settingsFile, "DisplayItems", "Version"), "Yes");
    EXPECT_GT(yellowPixels(window), 20);
}

// The dialog's "Fuchsia" is the window's transparent colour: text in it is
// drawn one step off, and the file keeps what the user chose.
TEST(Overlay, TextInTheKeyColourStaysVisible)
{
    writeUserSettings("[Font]\r\nRGBColour=255,0,255\r\n[Options]\r\nShow Graphs=No\r\n");
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return pixelsOfColour(window, 0xFF00FE) > 20; }, 3000));
    EXPECT_EQ(iniValue(userSettingsFile(), "Font", "RGBColour"), "255,0,255");
}

// A user who starts it again looks for it: the running overlay comes above
// the window that covered it, before the refusal is shown.
TEST(Overlay, ASecondStartBringsTheCoveredOverlayToTheTop)
{
    writeUserSettings("[Options]\r\nPosition=Bottom\r\n");
    RunningProgram first;
    HWND window = first.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    TestWindow cover;
    coverWindow(cover, window);
    ASSERT_TRUE(above(cover.handle(), window));

    RunningProgram second;
    MessageBoxSeen seen;
    ASSERT_TRUE(
        pumpUntil([&] { return (seen = findMessageBox(second.id())).box != nullptr; }, kStartMs));
    EXPECT_EQ(seen.text, "Application already running.");
    EXPECT_TRUE(pumpUntil([&] { return above(window, cover.handle()); }, 3000));
    PostMessageA(seen.box, WM_COMMAND, IDOK, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(second.waitForExit(5000, exitCode));
}

// Options edited by hand while the overlay runs show at once: here the mode
// that lifts it above a covering window, the text and bar colours and the bars.
TEST(Overlay, AnEditedSettingsFileShowsWithoutARestart)
{
    auto file = [](const char* mode, const char* text, const char* graphs, const char* bars) {
        return std::string("[Options]\r\nPosition=") + mode + "\r\nShow Graphs=" + graphs
               + "\r\n[Font]\r\nRGBColour=" + text + "\r\n[Graph]\r\nRGBColour=" + bars + "\r\n";
    };
    writeUserSettings(file("Bottom", "255,255,0", "No", "0,0,255"));
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    TestWindow cover;
    coverWindow(cover, window);
    ASSERT_TRUE(above(cover.handle(), window));

    writeUserSettings(file("AlwaysOnTop", "0,255,0", "Yes", "0,0,255"));
    EXPECT_TRUE(pumpUntil([&] { return above(window, cover.handle()); }, 2000));
    EXPECT_TRUE(pumpUntil(
        [&] {
            return pixelsOfColour(window, 0x00FF00) > 20 && pixelsOfColour(window, 0x0000FF) > 20;
        },
        2000));
    EXPECT_EQ(pixelsOfColour(window, 0xFFFF00), 0);
    EXPECT_TRUE(IsWindow(window)) << "the same window, not a restart";
}

// The text colour has an entry of its own; the colour dialog's red, green and
// blue fields are typed into as a user would.
TEST(Overlay, ChangeTextColorRecoloursTheText)
{
    std::string settingsFile = userSettingsFile();
    DeleteFileA(settingsFile.c_str());
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    // From the bottom: Exit, Options, Graph Color, then Change Text Color.
    RECT rect = windowRect(window);
    PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(rect.right - rect.left - 5, 5));
    HWND popup = nullptr;
    ASSERT_TRUE(
        pumpUntil([&] { return (popup = findVisibleWindow(program.id(), "#32768")); }, 5000));
    for (WPARAM key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_RETURN})
        PostMessageA(popup, WM_KEYDOWN, key, 0);
    MessageBoxSeen dialog;
    ASSERT_TRUE(
        pumpUntil([&] { return (dialog = findMessageBox(program.id())).box != nullptr; }, 5000));
    const struct {
        int field;
        const char* value;
    } typed[] = {{706, "0"}, {707, "128"}, {708, "0"}};
    for (const auto& t : typed)
        SendMessageA(GetDlgItem(dialog.box, t.field), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(t.value));
    PostMessageA(dialog.box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(
        pumpUntil([&] { return iniValue(settingsFile, "Font", "RGBColour") == "0,128,0"; }, 5000));
    EXPECT_TRUE(pumpUntil([&] { return pixelsOfColour(window, 0x008000) > 20; }, 3000));
    EXPECT_EQ(yellowPixels(window), 0);
}

// On a white wallpaper the yellow text is ringed in black, and nothing but
// the text, its outline, the frame box and the wallpaper through the key
// shows: no blended fringe. The check runs after a few seconds of values
// changing, so rows repainted alone are held to it too.
TEST(Overlay, TextOutlineRingsTheTextWithoutFringeColours)
{
    writeUserSettings(
        "[Options]\r\nText Outline=Yes\r\nShow Graphs=No\r\nRight Align=No\r\n"
        "[Position]\r\nX=200\r\nY=150\r\n");
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ColourPane wallpaper(ColourPane::Wallpaper, screen, RGB(255, 255, 255));
    RunningProgram program;
    HWND window = program.waitForWindow(kStartMs);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return pixelsOfColour(window, 0x000000) > 20; }, 3000));
    pumpMessages(2500);

    constexpr DWORD kWhite = 0xFFFFFF, kYellow = 0xFFFF00, kBlack = 0x000000, kFill = 0x47608D;
    const RECT rect = windowRect(window);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const std::vector<DWORD> pixels = screenPixels(rect);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width) * static_cast<size_t>(height));
    int yellow = 0;
    int strays = 0;
    int bare = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD pixel = pixels[static_cast<size_t>(y * width + x)];
            strays += pixel != kWhite && pixel != kYellow && pixel != kBlack && pixel != kFill;
            if (pixel != kYellow)
                continue;
            ++yellow;
            // The frame box at the right end is drawn in the text colour, unringed.
            if (x >= width - 30)
                continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    bare += nx < 0 || ny < 0 || nx >= width || ny >= height
                            || pixels[static_cast<size_t>(ny * width + nx)] == kWhite;
                }
        }
    }
    EXPECT_GT(yellow, 100);
    EXPECT_EQ(strays, 0);
    EXPECT_EQ(bare, 0);
}
