// A real, hidden top-level window to own item timers and receive posted
// messages, and a message pump that runs for a given time.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <vector>

// Registers a plain window class of the test program; a second registration
// of the same name fails harmlessly.
inline void registerTestClass(const char* name, WNDPROC procedure)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

class TestWindow {
public:
    TestWindow()
    {
        registerTestClass("DashvaneTestWindow", Procedure);
        handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, "DashvaneTestWindow", "test", WS_POPUP, 0, 0,
                                  200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestWindow() { DestroyWindow(handle_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND handle() const { return handle_; }
    // Messages of WM_USER and above that reached the window, in order.
    const std::vector<UINT>& privateMessages() const { return privateMessages_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && message >= WM_USER && message < 0x8000)
            self->privateMessages_.push_back(message);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND handle_ = nullptr;
    std::vector<UINT> privateMessages_;
};

// Dispatches this thread's messages (timers included) for about milliseconds.
inline void pumpMessages(DWORD milliseconds)
{
    ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        ULONGLONG now = GetTickCount64();
        if (now >= end)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// A time limit stretched for a machine that runs the tests many times slower
// than a real one (the emulated guest sets DASHVANE_TEST_SLOWDOWN).
inline DWORD slowMachineMs(DWORD milliseconds)
{
    char factor[16] = {};
    if (GetEnvironmentVariableA("DASHVANE_TEST_SLOWDOWN", factor, sizeof factor) == 0)
        return milliseconds;
    int times = std::atoi(factor);
    return times > 1 ? milliseconds * static_cast<DWORD>(times) : milliseconds;
}

// Pumps until done() holds or the time is up; returns done().
inline bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds)
{
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done() && GetTickCount64() < end)
        pumpMessages(10);
    return done();
}
