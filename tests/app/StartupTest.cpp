// The program's run without the entry point's checks.
#include <gtest/gtest.h>

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
    // The apartment the shell's calls are made in.
    EXPECT_TRUE(apartmentSeen == APTTYPE_MAINSTA || apartmentSeen == APTTYPE_STA);
    // Timers without a window would tick on this thread; the quickest is 500 ms.
    Sleep(600);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}
