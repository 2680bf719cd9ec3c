// The items in their fixed order, and every question about them as a column:
// rows, hit tests, joined texts for measuring, drawing and menu entries.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "measures/Measure.h"

// Pixel rows [top, bottom) of the picture.
struct Band {
    int top;
    int bottom;
};

class MeasureList {
public:
    explicit MeasureList(std::vector<std::unique_ptr<Measure>> items);
    ~MeasureList();
    MeasureList(const MeasureList&) = delete;
    MeasureList& operator=(const MeasureList&) = delete;

    // Destroys the items in list order; each stops its own timer.
    void destroyAll();
    int count() const { return static_cast<int>(items_.size()); }
    Measure& at(int position) const { return *items_[static_cast<size_t>(position)]; }
    Measure* findByName(const char* name) const;
    bool anyChanged() const;
    void clearChanged();
    // One refresh tick for every item, in list order (see Measure::tick).
    void tick();
    bool anyVisibleGraph() const;
    int shownItemsAboveFirstGraph() const;
    // (x, y) in screen coordinates; line receives the line within the item,
    // counted from 1. nullptr below the shown rows or for a zero line height.
    Measure* hitTest(HWND window, int x, int y, int& line, int lineHeight) const;
    // Draws the shown items that reach into band, in list order.
    void drawAll(ItemPainter& painter, Band band) const;
    // The rows the changed shown items can draw on, joined where they meet.
    std::vector<Band> changedBands(int lineHeight, int height) const;
    // Hidden items included; each text followed by "\n". Valid until the next call.
    const std::string& joinNames();
    // Adds every item's line count to allLines and the shown ones' to shownLines.
    const std::string& joinValues(int& allLines, int& shownLines);
    // The one shown item, or nullptr when none or several are shown.
    const Measure* onlyShownItem() const;
    // With nothing shown the window would be an invisible dot no one can
    // right-click: the Version item is shown then. True when it was.
    bool showVersionIfNoneShown(bool exiting);
    // Menu command id of an item = its position + 1. The only shown item's
    // entry is greyed: hiding it would leave nothing to click.
    void appendMenuItems(HMENU menu) const;
    void checkMenuItems(HMENU menu) const;

private:
    std::vector<std::unique_ptr<Measure>> items_;
    std::string names_;
    std::string values_;
};
