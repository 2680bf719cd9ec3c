// Column-wide operations over the items, in creation order.
#include "measures/MeasureList.h"

#include <algorithm>

#include "platform/Utf8.h"

namespace {

// The rows an item can draw on: its own lines and the line below, where a
// one-line item's bar outline lies and a glyph may overhang its cell.
Band reachOf(int top, int lines, int lineHeight)
{
    return Band{top, top + (lines + 1) * lineHeight};
}

bool meet(Band a, Band b)
{
    return a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

MeasureList::MeasureList(std::vector<std::unique_ptr<Measure>> items) : items_(std::move(items))
{
}

MeasureList::~MeasureList()
{
    destroyAll();
}

void MeasureList::destroyAll()
{
    for (auto& item : items_)
        item.reset();
    items_.clear();
}

Measure* MeasureList::findByName(const char* name) const
{
    for (const auto& item : items_)
        if (item->name() == name)
            return item.get();
    return nullptr;
}

bool MeasureList::anyChanged() const
{
    for (const auto& item : items_)
        if (item->hasChanged())
            return true;
    return false;
}

void MeasureList::clearChanged()
{
    for (const auto& item : items_)
        item->clearChanged();
}

void MeasureList::tick()
{
    for (const auto& item : items_)
        item->tick();
}

bool MeasureList::anyVisibleGraph() const
{
    for (const auto& item : items_)
        if (item->hasVisibleGraph())
            return true;
    return false;
}

int MeasureList::shownItemsAboveFirstGraph() const
{
    int shownItems = 0;
    for (const auto& item : items_) {
        if (item->hasVisibleGraph())
            break;
        if (item->isShown())
            ++shownItems;
    }
    return shownItems;
}

Measure* MeasureList::hitTest(HWND window, int x, int y, int& line, int lineHeight) const
{
    if (lineHeight == 0)
        return nullptr;
    POINT point{x, y};
    ScreenToClient(window, &point);
    if (point.y < 0)
        return nullptr;
    int target = point.y / lineHeight + 1;
    int sum = 0;
    for (const auto& item : items_) {
        if (!item->isShown())
            continue;
        sum += item->lineCount(false);
        if (sum >= target) {
            line = item->lineCount(false) + target - sum;
            return item.get();
        }
    }
    return nullptr;
}

void MeasureList::drawAll(ItemPainter& painter, Band band) const
{
    const int lineHeight = painter.lineHeight();
    int row = 0;
    for (const auto& item : items_) {
        int lines = item->lineCount(false);
        int top = row * lineHeight;
        if (item->isShown() && meet(reachOf(top, lines, lineHeight), band))
            item->drawItem(painter, top);
        row += lines;
    }
}

std::vector<Band> MeasureList::changedBands(int lineHeight, int height) const
{
    std::vector<Band> bands;
    int row = 0;
    for (const auto& item : items_) {
        int lines = item->lineCount(false);
        if (item->isShown() && item->hasChanged()) {
            Band reach = reachOf(row * lineHeight, lines, lineHeight);
            reach.bottom = std::min(reach.bottom, height);
            // Items come in row order, so only the last band can meet this one.
            if (!bands.empty() && bands.back().bottom >= reach.top)
                bands.back().bottom = std::max(bands.back().bottom, reach.bottom);
            else
                bands.push_back(reach);
        }
        row += lines;
    }
    return bands;
}

const std::string& MeasureList::joinNames()
{
    names_.clear();
    for (const auto& item : items_) {
        names_ += item->name();
        names_ += '\n';
    }
    return names_;
}

const std::string& MeasureList::joinValues(int& allLines, int& shownLines)
{
    values_.clear();
    for (const auto& item : items_) {
        const std::string& text = item->valueText();
        values_ += text;
        // A value not known yet still takes all its item's lines: the line
        // height is worked out from the whole text's height.
        int missingLines = item->lineCount(true) - 1
                           - static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        values_.append(static_cast<size_t>(std::max(missingLines, 0)), '\n');
        values_ += '\n';
        allLines += item->lineCount(true);
        shownLines += item->lineCount(false);
    }
    return values_;
}

const Measure* MeasureList::onlyShownItem() const
{
    const Measure* shown = nullptr;
    for (const auto& item : items_) {
        if (!item->isShown())
            continue;
        if (shown != nullptr)
            return nullptr;
        shown = item.get();
    }
    return shown;
}

bool MeasureList::showVersionIfNoneShown(bool exiting)
{
    for (const auto& item : items_)
        if (item->isShown())
            return false;
    Measure* version = findByName("Version");
    if (version == nullptr)
        return false;
    version->setShown(true, exiting);
    return true;
}

void MeasureList::appendMenuItems(HMENU menu) const
{
    const Measure* only = onlyShownItem();
    for (size_t i = 0; i < items_.size(); ++i) {
        UINT flags = MF_BYPOSITION | MF_STRING | (items_[i]->isShown() ? MF_CHECKED : MF_UNCHECKED)
                     | (items_[i].get() == only ? MF_GRAYED : MF_ENABLED);
        InsertMenuW(menu, static_cast<UINT>(-1), flags, i + 1, toWide(items_[i]->name()).c_str());
    }
}

void MeasureList::checkMenuItems(HMENU menu) const
{
    const Measure* only = onlyShownItem();
    for (size_t i = 0; i < items_.size(); ++i) {
        const UINT id = static_cast<UINT>(i + 1);
        CheckMenuItem(menu, id, MF_BYCOMMAND | (items_[i]->isShown() ? MF_CHECKED : MF_UNCHECKED));
        EnableMenuItem(menu, id, MF_BYCOMMAND | (items_[i].get() == only ? MF_GRAYED : MF_ENABLED));
    }
}
