// How the settings store tells the program that a change could not be saved.
// The store shows nothing itself; the application implements this.
#pragma once

class SaveFailureReport {
public:
    // The first write of the run that did not reach the file at path. The
    // change stays in effect for the run, and no later failure is reported.
    virtual void settingsNotSaved(const char* path) = 0;

protected:
    ~SaveFailureReport() = default;
};
