// Tells the user, once, that a change of the settings could not be saved.
#pragma once

#include "settings/SaveFailureReport.h"

class SaveFailureNotice : public SaveFailureReport {
public:
    // The box shows on a thread of its own and returns at once: the write may
    // come from a menu command or a timer, and a box's own message loop there
    // would run the overlay's timers and commands again inside that one.
    void settingsNotSaved(const char* path) override;
};
