// Opens a file, folder or program with the shell's default action: the
// program's only way to start anything.
#pragma once

#include <windows.h>

// Errors show no dialog and are not reported; returns ShellExecuteExA's result.
bool LaunchTarget(HWND owner, const char* target);

// The seam through which items launch, so a test can watch instead.
using Launcher = bool (*)(HWND owner, const char* target);
