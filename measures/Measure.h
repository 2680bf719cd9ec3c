// Base of every displayed item: name, value text, shown flag (kept in the
// settings file), bar percentage and the item's own refresh timer.
#pragma once

#include <windows.h>

#include <string>

#include "app/AppState.h"
#include "settings/Settings.h"

class Measure {
public:
    Measure(AppState& app, Settings& settings, const char* name, bool shownByDefault = true);
    virtual ~Measure();
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    // line: the line within the item, counted from 1.
    virtual void activate(int line);
    // Text for the tooltip over that line, or nullptr for none.
    virtual const char* tooltipText(int line);
    virtual const std::string& valueText() const;
    // Returns the height of the value text drawn.
    virtual int drawItem(HDC dc, int top, int right, int bottom, int lineHeight,
                         int valueColumnStart, int labelWidth, int separatorWidth);
    virtual void update() = 0;
    // On the UI thread, once a worker thread of the item has posted
    // WM_ITEMANSWER: takes over what the workers have finished.
    virtual void takeAnswers();

    void setShown(bool show, bool exiting);
    void resetTimer(bool exiting);
    int lineCount(bool includeHidden) const;
    bool isShown() const { return shown; }
    bool hasChanged() const { return changed; }
    bool hasVisibleGraph() const { return shown && hasGraph; }
    const std::string& name() const { return name_; }
    void drawBar(HDC dc, int top, int left, int bottom, int right);

    // One procedure serves every item's timer: the timer id is the item.
    static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

protected:
    // The bar of one row, when graphs are shown and percent is 1 to 100.
    void drawPercentBar(HDC dc, int top, int right, int lineHeight, int valueColumnStart,
                        int percent);
    // Label at x 0, then the separator and the value in their columns, the
    // value right-aligned when Right Align is on; returns the value's height.
    int drawColumns(HDC dc, int top, int right, int bottom, int labelWidth, int separatorWidth,
                    const char* label, const char* separator, const char* valueText);

    UINT_PTR timerId() const { return reinterpret_cast<UINT_PTR>(this); }
    void stopTimer();

    int refreshInterval = 0;
    int lines = 1;
    bool changed = false;
    HWND mainWindow;
    bool shown;
    std::string name_;
    std::string value;
    std::string ownSeparator;
    bool hasGraph = false;
    // A bar is drawn only for 1 to 100; the default draws none.
    int graphPercent = 300;
    Settings& settings;
    AppState& app;
};
