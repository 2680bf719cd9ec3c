// Finding this process's open popup menu from a second thread, while the
// modal menu loop blocks the test's own.
#pragma once

#include <windows.h>

#include <thread>

inline BOOL CALLBACK findOwnPopup(HWND window, LPARAM result)
{
    char name[16] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || lstrcmpA(name, "#32768") != 0
        || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// This process's open popup menu window, if one is showing.
inline HWND openPopup()
{
    HWND found = nullptr;
    EnumWindows(findOwnPopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Closes the next popup that opens, as Escape would.
inline std::thread dismissNextPopup()
{
    return std::thread([] {
        HWND popup = nullptr;
        for (int wait = 0; wait < 500 && (popup = openPopup()) == nullptr; ++wait)
            Sleep(10);
        if (popup != nullptr)
            PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
}
