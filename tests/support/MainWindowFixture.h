// The real overlay window in the test process, with three items, its own
// settings file and renderer, driven by real messages.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/MainWindow.h"
#include "display/DisplayRenderer.h"
#include "menu/ContextMenu.h"
#include "support/FakeMeasure.h"


class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        RegisterMainWindowClass(GetModuleHandleA(nullptr));
        settings.windowRect = RECT{100, 100, 100, 100};
        settings.storedPlace = POINT{100, 100};
        app.settings = &settings;
        app.renderer = &renderer;
        app.contextMenu = &contextMenu;
        CreateMainWindow(GetModuleHandleA(nullptr), app);
        std::vector<std::unique_ptr<Measure>> items;
        for (const char* name : {"First", "Second", "Third"})
            items.push_back(std::make_unique<FakeMeasure>(app, settings, name, 20));
        list = std::make_unique<MeasureList>(std::move(items));
        item(0).setValue("9:05:07");
        item(1).setValue("37%");
        app.measures = list.get();
        renderer.layout(*list, nullptr);
    }
    ~MainWindowTest() override
    {
        list.reset();
        DestroyWindow(app.mainWindow);
        // The window's end asks the program's loop to end; this thread has none.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    FakeMeasure& item(int i) { return static_cast<FakeMeasure&>(list->at(i)); }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(app.mainWindow, message, wParam, lParam);
    }
    // Whether a posted message of this kind is waiting; takes it out.
    bool takePosted(UINT message)
    {
        MSG msg;
        return PeekMessageA(&msg, app.mainWindow, message, message, PM_REMOVE) != 0;
    }

    TempDir dir;
    std::string path = dir.file("Dashvane.ini");
    Settings settings{path};
    DisplayRenderer renderer{settings};
    ContextMenu contextMenu;
    AppState app;
    std::unique_ptr<MeasureList> list;
};

inline void setControlKey(bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}
