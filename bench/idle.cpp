// dashvane_idle: what any Wine program costs before it does anything of its
// own, to measure the rest of dashvane.exe's distance to a native program.
// One window of a given place and size, filled by the window class's brush,
// and an empty message loop: no timers, no painting, no system queries.
//
// Usage: dashvane_idle.exe x y width height
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    int x = 0, y = 0, width = 0, height = 0;
    std::sscanf(commandLine, "%d %d %d %d", &x, &y, &width, &height);
    if (width <= 0 || height <= 0)
        return 1;

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Yellow, so that the benchmark sees the first frame as for the others.
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    windowClass.hbrBackground = yellow;
    windowClass.lpszClassName = "DashvaneIdleClass";
    RegisterClassExA(&windowClass);

    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "DashvaneIdleWindow",
                                  WS_POPUP, x, y, width, height, nullptr, nullptr, instance,
                                  nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    DeleteObject(yellow);
    return 0;
}
