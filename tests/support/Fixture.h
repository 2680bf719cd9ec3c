// Files kept in the test tree (tests/*/fixtures), which the build copies into
// a "fixtures" folder beside the test programs.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Utf8.h"

inline std::string fixturePath(const char* name)
{
    WCHAR self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string program = toUtf8(self);
    return program.substr(0, program.find_last_of('\\')) + "\\fixtures\\" + name;
}
