// The program's only diagnostics: time-stamped lines for the debugger.
#pragma once

void TraceLine(const char* text);
