// Shown flag, timer and base behaviour shared by all items.
#include "measures/Measure.h"

#include <cstring>

namespace {

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
}

Measure::~Measure()
{
    stopTimer();
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
    if (refreshInterval > 0 && shown && !exiting)
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
    Measure* item = reinterpret_cast<Measure*>(id);
    if (item->app.suspended)
        return;
    item->update();
}
