// The program's run without the entry point's checks.
#include <gtest/gtest.h>

#include <objbase.h>

#include "app/Startup.h"
#include "platform/ComApartment.h"
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
    // No apartment yet: COM is entered by the first shell call, in the kind
    // the shell wants, and left with the run.
    EXPECT_EQ(apartmentSeen, APTTYPE_CURRENT);
    {
        ComApartment run;
        ASSERT_TRUE(Loaded::EnterComApartment());
        APTTYPEQUALIFIER qualifier{};
        CoGetApartmentType(&apartmentSeen, &qualifier);
        EXPECT_TRUE(apartmentSeen == APTTYPE_MAINSTA || apartmentSeen == APTTYPE_STA);
    }
    APTTYPEQUALIFIER qualifier{};
    EXPECT_EQ(CoGetApartmentType(&apartmentSeen, &qualifier), CO_E_NOTINITIALIZED);
    // Timers without a window would tick on this thread; the refresh tick
    // comes within a second and a little.
    Sleep(1100);
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}
