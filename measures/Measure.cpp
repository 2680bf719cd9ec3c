// Shown flag, refresh schedule and base behaviour shared by all items.
#include "measures/Measure.h"

#include <cstring>

namespace {

// The domain item relabels itself "Workgroup" but keeps its flag under "Domain".
const char* displayKey(const std::string& name)
{
    return name == "Workgroup" ? "Domain" : name.c_str();
}

int ticksFor(int intervalMs)
{
    return (intervalMs + kRefreshTickMs - 1) / kRefreshTickMs;
}

}  // namespace

Measure::Measure(ItemHost& itemHost, Settings& settingsStore, const char* name, bool shownByDefault)
    : shown(false), name_(name), settings(settingsStore), host(itemHost)
{
    shown = settings.readBool("DisplayItems", name, shownByDefault);
}

Measure::~Measure() = default;

void Measure::activate(int)
{
}

void Measure::takeAnswers()
{
}

const char* Measure::tooltipText(int)
{
    return nullptr;
}

const std::string& Measure::valueText() const
{
    return value;
}

int Measure::drawItem(ItemPainter& painter, int top)
{
    if (hasGraph)
        painter.drawPercentBar(top, graphPercent);
    std::string separatorText = ownSeparator.empty() ? settings.separator() : ownSeparator;
    return painter.drawColumns(top, name_.c_str(), separatorText.c_str(), valueText().c_str());
}

void Measure::resetTimer(bool exiting)
{
    ticksToUpdate_ = refreshInterval > 0 && shown && !exiting ? ticksFor(refreshInterval) : 0;
}

void Measure::tick()
{
    if (ticksToUpdate_ == 0 || --ticksToUpdate_ > 0)
        return;
    // Rescheduled first: an update may restart the schedule itself.
    ticksToUpdate_ = ticksFor(refreshInterval);
    update();
}

void Measure::setShown(bool show, bool exiting)
{
    if (show == shown)
        return;
    shown = show;
    settings.writeBool("DisplayItems", shownKey(), show);
    if (show)
        resetTimer(exiting);
    else
        stopTimer();
}

const char* Measure::shownKey() const
{
    return displayKey(name_);
}

int Measure::lineCount(bool includeHidden) const
{
    return (shown || includeHidden) ? lines : 0;
}
