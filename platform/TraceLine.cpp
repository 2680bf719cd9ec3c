// Debugger output with a "[HH:MM:SS] " prefix.
#include "platform/TraceLine.h"

#include <windows.h>

#include <ctime>
#include <string>

#include "platform/Utf8.h"

void TraceLine(const char* text)
{
    char stamp[15] = {};
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local != nullptr)
        std::strftime(stamp, sizeof stamp, "[%H:%M:%S] ", local);
    std::string line = std::string(stamp) + text;
    if (line.empty() || line.back() != '\n')
        line += '\n';
    OutputDebugStringW(toWide(line).c_str());
}
