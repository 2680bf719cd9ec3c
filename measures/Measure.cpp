// Shown flag, timer and base behaviour shared by all items.
#include "measures/Measure.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Every item alive now. A timer id is only an address; the timer procedure
// acts on it only when it is one of these (items live on the UI thread).
std::vector<Measure*>& liveItems()
{
    static std::vector<Measure*> items;
    return items;
}

// The domain item relabels itself "Workgroup" but keeps its flag under "Domain".
const char* displayKey(const std::string& name)
{
    return name == "Workgroup" ? "Domain" : name.c_str();
}

}  // namespace

Measure::Measure(AppState& appState, Settings& settingsStore, const char* name, bool shownByDefault)
    : mainWindow(appState.mainWindow),
      shown(false),
      name_(name),
      settings(settingsStore),
      app(appState)
{
    shown = settings.readBool("DisplayItems", name, shownByDefault);
    liveItems().push_back(this);
}

Measure::~Measure()
{
    stopTimer();
    std::vector<Measure*>& items = liveItems();
    items.erase(std::remove(items.begin(), items.end(), this), items.end());
}

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

void Measure::stopTimer()
{
    KillTimer(mainWindow, timerId());
}

void Measure::resetTimer(bool exiting)
{
    stopTimer();
    // Without a window the system would make up an id of its own, which the
    // timer procedure could never match to this item.
    if (refreshInterval > 0 && shown && !exiting && mainWindow != nullptr)
        SetTimer(mainWindow, timerId(), static_cast<UINT>(refreshInterval), TimerProc);
}

void Measure::setShown(bool show, bool exiting)
{
    if (show == shown)
        return;
    shown = show;
    settings.writeBool("DisplayItems", displayKey(name_), show);
    if (show)
        resetTimer(exiting);
    else
        stopTimer();
}

int Measure::lineCount(bool includeHidden) const
{
    return (shown || includeHidden) ? lines : 0;
}

void CALLBACK Measure::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    const std::vector<Measure*>& items = liveItems();
    auto found = std::find_if(items.begin(), items.end(), [id](Measure* item) {
        return reinterpret_cast<UINT_PTR>(item) == id;
    });
    if (found == items.end())
        return;
    Measure* item = *found;
    if (!item->app.suspended)
        item->update();
}
