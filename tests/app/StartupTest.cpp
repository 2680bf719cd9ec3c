// The run of the program without the entry point's checks.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include "app/Startup.h"
#include "support/TempDir.h"

namespace {

APTTYPE apartmentSeen = APTTYPE_CURRENT;

HWND noWindow(HINSTANCE, AppState&)
{
    APTTYPEQUALIFIER qualifier{};
    CoGetApartmentType(&apartmentSeen, &qualifier);
    return nullptr;
}

}  // namespace

TEST(Startup, WithoutAWindowItEndsAtOnceWithAnErrorCodeAndNoTimer)
{
    TempDir dir;
    Settings settings(dir.file("Dashvane.ini"));
    AccountInfo account;
    EXPECT_EQ(RunOverlay(GetModuleHandleA(nullptr), settings, account, noWindow),
              kNoWindowExitCode);
    // The shell's calls are made in the apartment the window was made in.
    EXPECT_TRUE(apartmentSeen == APTTYPE_MAINSTA || apartmentSeen == APTTYPE_STA)
        << apartmentSeen;
    // Timers on no window would tick on this thread; the quickest is 500 ms.
    MSG message;
    Sleep(600);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}
