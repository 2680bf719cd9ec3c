// dashvane_floor: the least a colour-keyed overlay like ours must do in
// steady state, to measure dashvane.exe against. One layered tool window of a
// given size, a full repaint every 500 ms of a fixed number of text lines
// (off-screen bitmap, one BitBlt through the window DC in WM_NCPAINT), and one
// timer per value source calling the same system queries at the same rates.
// No layout, no settings file, no item objects.
//
// Usage: dashvane_floor.exe [x y width height [lines]]
// Without lines, as many font-high rows as the height holds are drawn.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <powrprof.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kColourKey = RGB(255, 0, 255);
constexpr COLORREF kTextColour = RGB(255, 255, 0);
constexpr int kFontHeight = 14;
constexpr UINT kDrawFlags = DT_LEFT | DT_NOPREFIX | DT_SINGLELINE | DT_EXPANDTABS;

enum TimerId : UINT_PTR {
    kRepaint = 1,
    kCpu,
    kPhysicalMemory,
    kCommitMemory,
    kUptime,
    kProcesses,
    kProcessor,
    kBattery,
    kDrives,
    kClock,
    kNetwork,
    kAddress,
};

struct Timing {
    TimerId id;
    UINT interval;
};

constexpr Timing kTimings[] = {
    {kRepaint, 500},  {kCpu, 1000},      {kPhysicalMemory, 1000}, {kCommitMemory, 1000},
    {kUptime, 1000},  {kProcesses, 500}, {kProcessor, 60000},     {kBattery, 60000},
    {kDrives, 30000}, {kClock, 500},     {kNetwork, 1000},        {kAddress, 60000},
};

// Row of each value; rows past the drawn count are still kept up to date.
enum Row : int {
    kRowMachine,
    kRowProcessor,
    kRowOs,
    kRowUser,
    kRowDomain,
    kRowAddress,
    kRowSent,
    kRowReceived,
    kRowInstalled,
    kRowPhysical,
    kRowCommit,
    kRowUptime,
    kRowProcesses,
    kRowBattery,
    kRowDriveC,
    kRowDriveZ,
    kRowClock,
    kRowCpu,
    kRowVersion,
    kRowCount
};

struct Overlay {
    HWND window = nullptr;
    int width = 400;
    int height = 267;
    int lines = 0;
    int lineHeight = kFontHeight;
    HFONT font = nullptr;
    HBRUSH keyBrush = nullptr;
    HDC memoryDC = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ initialBitmap = nullptr;
    std::vector<std::string> rows = std::vector<std::string>(kRowCount);
    char computerName[MAX_COMPUTERNAME_LENGTH + 1] = {};
    ULONGLONG lastIdle = 0;
    ULONGLONG lastTotal = 0;
};

Overlay overlay;

ULONGLONG ticksOf(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void setRow(int row, const char* label, const char* text)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s\t= %s", label, text);
    overlay.rows[row] = line;
}

void readCpu()
{
    FILETIME idle{}, kernel{}, user{};
    if (!GetSystemTimes(&idle, &kernel, &user))
        return;
    // Kernel time includes idle time.
    ULONGLONG idleNow = ticksOf(idle);
    ULONGLONG totalNow = ticksOf(kernel) + ticksOf(user);
    ULONGLONG total = totalNow - overlay.lastTotal;
    ULONGLONG busy = total - (idleNow - overlay.lastIdle);
    overlay.lastIdle = idleNow;
    overlay.lastTotal = totalNow;
    char text[32];
    std::snprintf(text, sizeof text, "%d%%", total == 0 ? 0 : static_cast<int>(busy * 100 / total));
    setRow(kRowCpu, "CPU", text);
}

void readMemory(int row)
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return;
    char text[64];
    if (row == kRowPhysical) {
        std::snprintf(text, sizeof text, "%lu%% %llu MB", status.dwMemoryLoad,
                      (status.ullTotalPhys - status.ullAvailPhys) >> 20);
        setRow(row, "RAM used", text);
    } else {
        std::snprintf(text, sizeof text, "%llu MB",
                      (status.ullTotalPageFile - status.ullAvailPageFile) >> 20);
        setRow(row, "Memory used", text);
    }
}

void readUptime()
{
    ULONGLONG seconds = GetTickCount64() / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%llud %02llu:%02llu:%02llu", seconds / 86400,
                  seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    setRow(kRowUptime, "Uptime", text);
}

void readProcesses()
{
    DWORD ids[1024];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof ids, &bytes))
        return;
    char text[16];
    std::snprintf(text, sizeof text, "%lu", bytes / static_cast<DWORD>(sizeof ids[0]));
    setRow(kRowProcesses, "Processes", text);
}

void readProcessor()
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    if (info.dwNumberOfProcessors == 0)
        return;
    // The record layout of ProcessorInformation, which the SDK headers do not declare.
    struct PowerRecord {
        ULONG number, maxMhz, currentMhz, mhzLimit, maxIdleState, currentIdleState;
    };
    std::vector<PowerRecord> records(info.dwNumberOfProcessors);
    ULONG size = static_cast<ULONG>(records.size() * sizeof(PowerRecord));
    if (CallNtPowerInformation(ProcessorInformation, nullptr, 0, records.data(), size) != 0)
        return;
    char text[48];
    std::snprintf(text, sizeof text, "%lu x %lu MHz", info.dwNumberOfProcessors,
                  records[0].currentMhz);
    setRow(kRowProcessor, "Processor", text);
}

void readBattery()
{
    SYSTEM_POWER_STATUS status{};
    if (!GetSystemPowerStatus(&status))
        return;
    char text[32];
    if (status.BatteryFlag & 128)
        std::snprintf(text, sizeof text, "AC");
    else
        std::snprintf(text, sizeof text, "%d%%", status.BatteryLifePercent);
    setRow(kRowBattery, "Battery", text);
}

void readDrive(int row, const char* root)
{
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(root, &available, &total, &free) || total.QuadPart == 0)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%d%%",
                  static_cast<int>((total.QuadPart - free.QuadPart) * 100 / total.QuadPart));
    setRow(row, root, text);
}

void readClock()
{
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        return;
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", local);
    setRow(kRowClock, "Time", text);
}

void readNetwork()
{
    MIB_IF_TABLE2* table = nullptr;
    if (GetIfTable2(&table) != NO_ERROR)
        return;
    ULONG64 sent = 0, received = 0;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IF_ROW2& row = table->Table[i];
        if (row.Type == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        sent += row.OutOctets;
        received += row.InOctets;
    }
    FreeMibTable(table);
    char text[48];
    std::snprintf(text, sizeof text, "%llu KB", sent >> 10);
    setRow(kRowSent, "Sent", text);
    std::snprintf(text, sizeof text, "%llu KB", received >> 10);
    setRow(kRowReceived, "Received", text);
}

void readAddress()
{
    const hostent* host = gethostbyname(overlay.computerName);
    if (host == nullptr || host->h_addr_list[0] == nullptr)
        return;
    in_addr address{};
    std::memcpy(&address, host->h_addr_list[0], sizeof address);
    setRow(kRowAddress, "IP Address", inet_ntoa(address));
}

void readAll()
{
    readCpu();
    readMemory(kRowPhysical);
    readMemory(kRowCommit);
    readUptime();
    readProcesses();
    readProcessor();
    readBattery();
    readDrive(kRowDriveC, "C:\\");
    readDrive(kRowDriveZ, "Z:\\");
    readClock();
    readNetwork();
    readAddress();
}

void onTimer(UINT_PTR id)
{
    switch (id) {
    case kRepaint:
        RedrawWindow(overlay.window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_NOINTERNALPAINT);
        return;
    case kCpu:
        readCpu();
        return;
    case kPhysicalMemory:
        readMemory(kRowPhysical);
        return;
    case kCommitMemory:
        readMemory(kRowCommit);
        return;
    case kUptime:
        readUptime();
        return;
    case kProcesses:
        readProcesses();
        return;
    case kProcessor:
        readProcessor();
        return;
    case kBattery:
        readBattery();
        return;
    case kDrives:
        readDrive(kRowDriveC, "C:\\");
        readDrive(kRowDriveZ, "Z:\\");
        return;
    case kClock:
        readClock();
        return;
    case kNetwork:
        readNetwork();
        return;
    case kAddress:
        readAddress();
        return;
    default:
        return;
    }
}

void paint(HWND window)
{
    if (overlay.memoryDC == nullptr)
        return;
    RECT whole{0, 0, overlay.width, overlay.height};
    FillRect(overlay.memoryDC, &whole, overlay.keyBrush);
    for (int i = 0; i < overlay.lines; ++i) {
        const std::string& text = overlay.rows[i % kRowCount];
        RECT row{2, i * overlay.lineHeight, overlay.width, (i + 1) * overlay.lineHeight};
        DrawTextA(overlay.memoryDC, text.c_str(), static_cast<int>(text.size()), &row, kDrawFlags);
    }
    HDC target = GetWindowDC(window);
    BitBlt(target, 0, 0, overlay.width, overlay.height, overlay.memoryDC, 0, 0, SRCCOPY);
    ReleaseDC(window, target);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCPAINT:
        paint(window);
        return 0;
    case WM_TIMER:
        onTimer(wParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void prepareBitmap()
{
    HDC screen = GetDC(nullptr);
    overlay.memoryDC = CreateCompatibleDC(screen);
    overlay.bitmap = CreateCompatibleBitmap(screen, overlay.width, overlay.height);
    ReleaseDC(nullptr, screen);
    overlay.initialBitmap = SelectObject(overlay.memoryDC, overlay.bitmap);
    SelectObject(overlay.memoryDC, overlay.font);
    SetBkMode(overlay.memoryDC, TRANSPARENT);
    SetTextColor(overlay.memoryDC, kTextColour);

    // A given line count shares the height out evenly; otherwise as many
    // font-high rows as fit are drawn.
    if (overlay.lines > 0) {
        overlay.lineHeight = (overlay.height - 1) / overlay.lines;
        if (overlay.lineHeight < 1)
            overlay.lineHeight = 1;
        return;
    }
    TEXTMETRICA metrics{};
    if (GetTextMetricsA(overlay.memoryDC, &metrics) && metrics.tmHeight > 0)
        overlay.lineHeight = metrics.tmHeight;
    overlay.lines = (overlay.height - 1) / overlay.lineHeight;
}

void fillStaticRows()
{
    DWORD size = sizeof overlay.computerName;
    GetComputerNameA(overlay.computerName, &size);
    setRow(kRowMachine, "Machine", overlay.computerName);
    setRow(kRowOs, "OS", "Windows");
    setRow(kRowUser, "User", "user");
    setRow(kRowDomain, "Workgroup", "WORKGROUP");
    setRow(kRowInstalled, "Installed RAM", "-");
    setRow(kRowVersion, "Version", "floor");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    int x = 0, y = 0;
    std::sscanf(commandLine, "%d %d %d %d %d", &x, &y, &overlay.width, &overlay.height,
                &overlay.lines);
    if (overlay.width <= 0 || overlay.height <= 0)
        return 1;

    WSADATA winsock{};
    WSAStartup(MAKEWORD(2, 2), &winsock);
    fillStaticRows();

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "DashvaneFloorClass";
    RegisterClassExA(&windowClass);

    overlay.keyBrush = CreateSolidBrush(kColourKey);
    overlay.font = CreateFontA(kFontHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                               NONANTIALIASED_QUALITY, FF_SWISS, "Courier New");
    prepareBitmap();
    readAll();

    overlay.window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName,
                                     "DashvaneFloorWindow", WS_POPUP, x, y, overlay.width,
                                     overlay.height, nullptr, nullptr, instance, nullptr);
    if (overlay.window == nullptr)
        return 1;
    SetLayeredWindowAttributes(overlay.window, kColourKey, 0, LWA_COLORKEY);
    for (const Timing& timing : kTimings)
        SetTimer(overlay.window, timing.id, timing.interval, nullptr);
    ShowWindow(overlay.window, SW_SHOWNOACTIVATE);
    RedrawWindow(overlay.window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_NOINTERNALPAINT);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);

    SelectObject(overlay.memoryDC, overlay.initialBitmap);
    DeleteDC(overlay.memoryDC);
    DeleteObject(overlay.bitmap);
    DeleteObject(overlay.font);
    DeleteObject(overlay.keyBrush);
    WSACleanup();
    return 0;
}
