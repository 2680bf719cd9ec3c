// A bare item whose own fields a test sets directly (update() and drawItem()
// count), and what every item needs: a settings file of its own and a host
// to report to.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "measures/Measure.h"
#include "support/FakeHost.h"
#include "support/TempDir.h"
#include "support/TestWindow.h"

class FakeMeasure : public Measure {
public:
    // The construction sequence of every real item: own fields, one update,
    // timer; an interval under one refresh tick updates at every tick.
    FakeMeasure(ItemHost& host, Settings& settings, const char* name, int interval = 0,
                int lineCount = 1)
        : Measure(host, settings, name)
    {
        refreshInterval = interval;
        lines = lineCount;
        update();
        resetTimer(false);
    }

    void update() override { ++updates; }
    int drawItem(ItemPainter& painter, int top) override
    {
        ++draws;
        return Measure::drawItem(painter, top);
    }
    void activate(int line) override { activatedLine = line; }
    const char* tooltipText(int line) override
    {
        tipLine = line;
        return tip.empty() ? nullptr : tip.c_str();
    }
    void setValue(const std::string& text) { value = text; }
    void setInterval(int milliseconds)
    {
        refreshInterval = milliseconds;
        resetTimer(false);
    }
    void setGraph(bool graph, int percent) { hasGraph = graph, graphPercent = percent; }
    void setOwnSeparator(const std::string& text) { ownSeparator = text; }
    void rename(const char* text) { name_ = text; }
    void markChanged() { changed = true; }

    int updates = 0;
    int draws = 0;
    int activatedLine = 0;
    std::string tip;
    int tipLine = 0;
};

struct ItemTest : ::testing::Test {
    TempDir dir;
    std::string path = dir.file("Dashvane.ini");
    Settings settings{path};
    FakeHost host;
};
