// Base of every displayed item: name, value text, shown flag (kept in the
// settings file), bar percentage, the item's refresh schedule and its mark
// for painting.
#pragma once

#include <windows.h>

#include <string>

#include "measures/ItemHost.h"
#include "measures/ItemPainter.h"
#include "settings/Settings.h"

// The one clock every item runs on: the window's refresh tick, just after each
// second of the wall clock starts. Item intervals count in these ticks, so all
// updates fall on a refresh, the clock shows each second as it starts, and the
// program wakes once a second rather than once per item timer.
constexpr int kRefreshTickMs = 1000;

class Measure {
public:
    Measure(ItemHost& host, Settings& settings, const char* name, bool shownByDefault = true);
    virtual ~Measure();
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    // line: the line within the item, counted from 1.
    virtual void activate(int line);
    // Text for the tooltip over that line, or nullptr for none.
    virtual const char* tooltipText(int line);
    virtual const std::string& valueText() const;
    // The item's rows from top down, each bar before the texts over it;
    // returns the height of the value text drawn.
    virtual int drawItem(ItemPainter& painter, int top);
    virtual void update() = 0;
    // On the UI thread, after a worker thread of the item told the host that
    // answers are ready: takes over what the workers have finished.
    virtual void takeAnswers();

    void setShown(bool show, bool exiting);
    // Starts a full new refresh interval, when shown, with an interval and not exiting.
    void resetTimer(bool exiting);
    // One refresh tick: runs update once the item's interval has passed.
    void tick();
    bool hasTimer() const { return ticksToUpdate_ > 0; }
    int lineCount(bool includeHidden) const;
    bool isShown() const { return shown; }
    // Whether the item shows something the window does not show yet.
    bool hasChanged() const { return changed; }
    // Painting has brought the window up to date with the item.
    void clearChanged() { changed = false; }
    bool hasVisibleGraph() const { return shown && hasGraph; }
    const std::string& name() const { return name_; }
    // The "DisplayItems" key that holds the shown flag.
    const char* shownKey() const;

protected:
    void stopTimer() { ticksToUpdate_ = 0; }

    int refreshInterval = 0;
    int lines = 1;
    // Set by an update that changes what the item shows; cleared by painting.
    bool changed = false;
    bool shown;
    std::string name_;
    std::string value;
    std::string ownSeparator;
    bool hasGraph = false;
    // A bar is drawn only for 1 to 100; the default draws none.
    int graphPercent = 300;
    Settings& settings;
    ItemHost& host;

private:
    // Refresh ticks until the next update; 0 while the item has no timer.
    int ticksToUpdate_ = 0;
};
