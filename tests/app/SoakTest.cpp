// Long runs of the real window: what a week on a desktop does in seconds.
// Resource counters must level off after a warm-up; timers must survive
// every suspend and resume.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>

#include "app/Items.h"
#include "platform/Messages.h"
#include "support/MainWindowFixture.h"

namespace {

// Where the platform's own count is 0 (Wine answers 0 for GDI and user
// objects and kernel handles, and no PrivateUsage), the count is made another
// way: GDI objects and handles by trying every small handle value, user
// objects by the thread's windows, private bytes by adding up the committed
// private regions.
long long gdiObjects()
{
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return reported;
    long long count = 0;
    for (ULONG_PTR value = 1; value <= 0xFFFF; ++value)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
    return count;
}

BOOL CALLBACK countChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<long long*>(count);
    return TRUE;
}

BOOL CALLBACK countWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<long long*>(count);
    EnumChildWindows(window, countChild, count);
    return TRUE;
}

// Where the platform answers 0 the windows of this thread, top-level and
// child, stand in: the kind of user object a layout or a tooltip could leave.
long long userObjects()
{
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (reported != 0)
        return reported;
    long long count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

long long kernelHandles()
{
    DWORD reported = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0)
        return reported;
    long long count = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value <= 0x8000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return count;
}

long long privateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)
        && memory.PrivateUsage != 0)
        return static_cast<long long>(memory.PrivateUsage);
    long long total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<long long>(region.RegionSize);
    return total;
}

struct Counter {
    const char* name;
    long long (*read)();
    long long allowance;
    bool available = false;
    long long baseline = 0;
};

// Takes the baseline after the warm-up; a counter the platform cannot give
// (0 or a failed call) is left out, with a note.
class ResourceWatch {
public:
    void start()
    {
        for (Counter& counter : counters_) {
            counter.baseline = counter.read();
            counter.available = counter.baseline > 0;
            if (!counter.available)
                std::printf("[ note ] %s not reported here; not checked\n", counter.name);
        }
    }
    void expectLevel(const char* run)
    {
        for (const Counter& counter : counters_) {
            if (!counter.available)
                continue;
            long long growth = counter.read() - counter.baseline;
            std::printf("[ soak ] %s: %s %lld -> growth %lld (allowed %lld)\n", run, counter.name,
                        counter.baseline, growth, counter.allowance);
            EXPECT_LE(growth, counter.allowance) << run << ": " << counter.name;
        }
    }

private:
    Counter counters_[4] = {
        {"GDI objects", gdiObjects, 4},
        {"user objects", userObjects, 4},
        {"kernel handles", kernelHandles, 8},
        {"private bytes", privateBytes, 1024 * 1024},
    };
};

HFONT createFont(int height, bool italic)
{
    return CreateFontA(height, 0, 0, 0, italic ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                       FF_SWISS, "Courier New");
}

}  // namespace

class Soak : public MainWindowTest {
protected:
    Soak()
    {
        ShowWindow(app.mainWindow, SW_SHOWNOACTIVATE);
        settings.showGraphs = true;
    }
    ~Soak() override
    {
        app.measures = nullptr;
        list.reset();
    }
    void relayoutAndRepaint()
    {
        send(WM_RELAYOUT);
        RequestRedraw(app.mainWindow, renderer);
        send(WM_NCPAINT, 1);
    }
    // The font chooser's way: the new font is in place before the old one goes.
    void replaceFont(int round)
    {
        app.displayFont.reset(createFont(12 + round % 9, round % 2 != 0));
    }
    void changeLooks(int round)
    {
        replaceFont(round);
        settings.setFontColour(RGB(round % 256, 255 - round % 256, 7));
        settings.setGraphColour(RGB(13, round % 256, 200));
        settings.setSeparator(round % 3 == 0 ? ": " : round % 3 == 1 ? "=" : " -> ");
    }
    ResourceWatch watch;
};

TEST_F(Soak, TenThousandRelayoutsAndRepaintsLeaveNothingBehind)
{
    app.displayFont.reset(createFont(14, false));
    const int cycles = 10000, warmUp = 500;
    const ULONGLONG deadline = GetTickCount64() + 25000;
    int i = 0;
    for (; i < cycles && GetTickCount64() < deadline; ++i) {
        if (i == warmUp)
            watch.start();
        // Values of changing width make every layout a new bitmap size.
        item(1).setValue(std::to_string(i % 1000) + "%");
        relayoutAndRepaint();
        if (i % 500 == 0)
            pumpMessages(0);
    }
    std::printf("[ soak ] %d cycles\n", i);
    ASSERT_GT(i, warmUp * 4) << "too few cycles for a verdict";
    watch.expectLevel("relayout and repaint");
}

TEST_F(Soak, ItemUpdateRoundsWithLookChangesLeaveNothingBehind)
{
    app.measures = nullptr;
    list.reset();
    AccountInfo account;
    list = std::make_unique<MeasureList>(CreateItems(app, settings, account));
    app.measures = list.get();
    Measure* drives = list->findByName("Drive");
    changeLooks(0);
    relayoutAndRepaint();

    const int rounds = 1000, warmUp = 50;
    const ULONGLONG deadline = GetTickCount64() + 25000;
    int done = 0;
    for (; done < rounds && GetTickCount64() < deadline; ++done) {
        if (done == warmUp)
            watch.start();
        // Two items change state per round, so each one goes and comes back.
        Measure& toggled = list->at(done % list->count());
        toggled.setShown(!toggled.isShown(), false);
        Measure& returning = list->at((done + list->count() - 1) % list->count());
        returning.setShown(true, false);
        // The drive item rebuilds its whole list at each update and costs as
        // much as all the others together; it runs every tenth round.
        for (int i = 0; i < list->count(); ++i)
            if (&list->at(i) != drives || done % 10 == 0)
                list->at(i).update();
        changeLooks(done);
        relayoutAndRepaint();
        pumpMessages(0);
    }
    std::printf("[ soak ] %d update rounds of %d items\n", done, list->count());
    ASSERT_GT(done, warmUp * 4) << "too few rounds for a verdict";
    watch.expectLevel("item update rounds");
}

TEST_F(Soak, PowerSuspendAndResumeKeepEveryItemTimer)
{
    auto updates = [&] { return item(0).updates + item(1).updates + item(2).updates; };
    for (int cycle = 0; cycle < 1000; ++cycle) {
        send(WM_POWERBROADCAST, PBT_APMSUSPEND);
        int held = updates();
        send(WM_TIMER, IDT_REFRESH);
        ASSERT_EQ(updates(), held) << "update while suspended, cycle " << cycle;

        send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
        ASSERT_TRUE(takePosted(WM_RELAYOUT)) << "cycle " << cycle;
        ASSERT_FALSE(takePosted(WM_RELAYOUT)) << "one re-layout per resume, cycle " << cycle;
        // Each fixture item's interval is under a tick: a lost timer shows as
        // an item standing still, a doubled one as two updates.
        send(WM_TIMER, IDT_REFRESH);
        ASSERT_EQ(updates(), held + 3) << "cycle " << cycle;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(item(i).hasTimer()) << item(i).name();
}
