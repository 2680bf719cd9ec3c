// Entry point of dashvane.exe, and the home of the program-wide objects.
#include <windows.h>

#include <objbase.h>

#include <clocale>
#include <cstdio>

#include "app/AppState.h"
#include "app/Hotkey.h"
#include "app/Items.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/MessageLoop.h"
#include "app/SettingsWatcher.h"
#include "app/Stacking.h"
#include "display/DisplayRenderer.h"
#include "display/Placement.h"
#include "measures/AccountInfo.h"
#include "measures/MeasureList.h"
#include "menu/ContextMenu.h"
#include "settings/Settings.h"

// Built before WinMain runs, in this order: the settings file located and its
// options loaded, then the user and domain names resolved once.
Settings settings;
AccountInfo accountInfo;

namespace {

constexpr const char* kErrorCaption = "dashvane - error";

bool isSupportedSystem()
{
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.dwMajorVersion = 5;
    wanted.dwMinorVersion = 1;
    wanted.wServicePackMajor = 0;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&wanted, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                              condition) != FALSE;
}

HFONT createDisplayFont(const Settings& settings)
{
    // The point size is used directly as the cell height in pixels.
    return CreateFontA(settings.fontPointSize, 0, 0, 0, settings.font.lfWeight,
                       settings.font.lfItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, FF_SWISS,
                       settings.font.lfFaceName);
}

ATOM createHotkeyAtom()
{
    // Only a unique string is wanted; no file is ever made with this name.
    char name[L_tmpnam] = {};
    if (std::tmpnam(name) == nullptr)
        return 0;
    return GlobalAddAtomA(name);
}

void registerHotkey(HWND window, ATOM atom)
{
    char text[kMaxSettingText + 1] = {};
    GetPrivateProfileStringA("Options", "Hotkey", "CTRL,ALT,L", text, sizeof text,
                             settings.path.c_str());
    RegisterHotkeyFromString(text, window, atom);
    settings.writeString("Options", "Hotkey", text);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // An empty card reader or floppy drive must fail its query, not stop the
    // whole desktop with the system's "No disk" box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (FindWindowA(kWindowClassName, kWindowTitle) != nullptr) {
        MessageBoxA(nullptr, "Application already running.", kErrorCaption, MB_ICONWARNING);
        return 0;
    }
    ATOM hotkeyAtom = createHotkeyAtom();
    std::setlocale(LC_ALL, "");
    if (!isSupportedSystem()) {
        MessageBoxA(nullptr, "This application does not run on Win9X.\n\n\t  Sorry!",
                    kErrorCaption, MB_ICONWARNING);
        return 0;
    }

    AppState app;
    app.settings = &settings;
    ContextMenu contextMenu;
    app.contextMenu = &contextMenu;
    app.displayFont = createDisplayFont(settings);

    HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (com != S_OK && com != S_FALSE)
        return 0;

    RegisterMainWindowClass(instance);
    DisplayRenderer renderer(settings);
    app.renderer = &renderer;
    HWND window = CreateMainWindow(instance, app);

    MeasureList measures(CreateItems(app, settings, accountInfo));
    app.measures = &measures;

    ApplyColourKey(window);
    StartTimers(app);
    SetTimer(window, IDT_FIRST_SAMPLE, 2000, nullptr);
    renderer.layout(measures, app.displayFont);
    // The window was created 1 × 1: give it the laid-out size and place now,
    // without a second layout, even when no item asks for one while built.
    const RECT& laidOut = settings.windowRect;
    MoveWindow(window, laidOut.left, laidOut.top, laidOut.right - laidOut.left,
               laidOut.bottom - laidOut.top, FALSE);
    registerHotkey(window, hotkeyAtom);
    ShowWindow(window, SW_SHOWNORMAL);
    RefreshPlacement(window, settings, renderer);
    ApplyStartupStacking(window, settings.stackingMode);

    // Without a watch only the live separator update is lost.
    SettingsWatcher watcher(settings, window);
    RunMessageLoop(watcher);

    measures.destroyAll();
    app.measures = nullptr;
    GlobalDeleteAtom(hotkeyAtom);
    CoUninitialize();
    return 0;
}
