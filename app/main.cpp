// Entry point of dashvane.exe, and the home of the program-wide objects.
#include <windows.h>

#include "settings/Settings.h"

// Built before WinMain runs: locates the settings file and loads the options.
Settings settings;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
