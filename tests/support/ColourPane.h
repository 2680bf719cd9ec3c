// A window of one colour on the screen, owned by a thread of its own: Wine
// brings a window's pixels to the screen only while its thread reads messages.
// A wallpaper has the class of the desktop's wallpaper window ("WorkerW") and
// is kept at the bottom of the z-order, as the shell keeps its own; a plain
// window is put at the bottom once; a cover is topmost, above every window
// that is not.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

#include "support/TestWindow.h"

class ColourPane {
public:
    enum Kind { Wallpaper, Window, Cover };

    ColourPane(Kind kind, const RECT& at, COLORREF colour)
        : colour_(colour), owner_([this, kind, at] { run(kind, at); })
    {
        while (handle_ == nullptr)
            Sleep(5);
    }
    ~ColourPane()
    {
        done_ = true;
        owner_.join();
    }
    ColourPane(const ColourPane&) = delete;
    ColourPane& operator=(const ColourPane&) = delete;

    HWND handle() const { return handle_; }

private:
    void run(Kind kind, const RECT& at)
    {
        const char* name = kind == Wallpaper ? "WorkerW" : "DashvaneCoverPane";
        registerTestClass(name, Procedure);
        HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, name, "", WS_POPUP, at.left, at.top,
                                      at.right - at.left, at.bottom - at.top, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowPos(window, kind == Cover ? HWND_TOPMOST : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        handle_ = window;
        while (!done_) {
            pumpMessages(5);
            if (kind == Wallpaper && visibleBelow(window))
                SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        DestroyWindow(window);
    }

    static bool visibleBelow(HWND window)
    {
        HWND next = GetWindow(window, GW_HWNDNEXT);
        while (next != nullptr && !IsWindowVisible(next))
            next = GetWindow(next, GW_HWNDNEXT);
        return next != nullptr;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ColourPane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr || message != WM_ERASEBKGND)
            return DefWindowProcA(window, message, wParam, lParam);
        RECT all{};
        GetClientRect(window, &all);
        HBRUSH brush = CreateSolidBrush(self->colour_);
        FillRect(reinterpret_cast<HDC>(wParam), &all, brush);
        DeleteObject(brush);
        return 1;
    }

    const COLORREF colour_;
    std::atomic<HWND> handle_{nullptr};
    std::atomic<bool> done_{false};
    std::thread owner_;
};
