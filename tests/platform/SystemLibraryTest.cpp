// The system-folder loader, in this process.
#include <gtest/gtest.h>

#include "platform/SystemLibrary.h"

namespace {

// A system library nothing here links, so that only the test loads it.
const char kUnused[] = "msimg32.dll";

bool loaded(const char* name)
{
    return GetModuleHandleA(name) != nullptr;
}

}  // namespace

// Entry points taken from a library stay callable as long as any holder of
// it lives: a copy must hold a reference of its own.
TEST(SystemLibrary, StaysLoadedWhileAnyHolderLives)
{
    ASSERT_FALSE(loaded(kUnused));
    {
        SystemLibrary copy;
        {
            SystemLibrary original(kUnused);
            EXPECT_NE(original.entry<void(WINAPI*)()>("GradientFill"), nullptr);
            copy = original;
        }
        EXPECT_TRUE(loaded(kUnused));
        EXPECT_NE(copy.entry<void(WINAPI*)()>("GradientFill"), nullptr);
    }
    EXPECT_FALSE(loaded(kUnused));
}
