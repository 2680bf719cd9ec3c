// Launches through a stand-in for the shell: one still running when the
// program ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>

#include "platform/Launch.h"

namespace {

std::atomic<int> finishedCalls{0};

BOOL WINAPI slowShell(SHELLEXECUTEINFOW*)
{
    Sleep(300);
    ++finishedCalls;
    return TRUE;
}

TEST(LaunchesTest, ALaunchStartedJustBeforeExitStillReachesTheShell)
{
    auto launches = std::make_unique<Launches>();
    launches->execute = slowShell;
    ASSERT_TRUE(launches->start("C:\\"));
    launches.reset();
    EXPECT_EQ(finishedCalls, 1);
}

}  // namespace
