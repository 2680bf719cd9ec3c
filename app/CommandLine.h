// The switches dashvane.exe takes: the settings file a run uses, and the
// requests that end at once (end the running overlay, list the switches).
#pragma once

#include <windows.h>

#include <string>

enum class StartAction {
    RunOverlay,    // no switch, or /ini <file>
    EndRunning,    // /exit
    ShowSwitches,  // /?
    WrongSwitch,   // anything else, or /ini without a file
};

struct CommandLine {
    StartAction action = StartAction::RunOverlay;
    // As given after /ini; empty without it.
    std::wstring settingsFile;
    // The argument that was not understood.
    std::wstring wrong;
};

// Exit codes of /exit: the overlay ended, none was running, or it was still
// running when the wait ran out.
constexpr int kOverlayEnded = 0;
constexpr int kNoOverlayRunning = 1;
constexpr int kOverlayStillRunning = 2;
constexpr DWORD kEndWaitMs = 5000;
// Of a switch that was not understood: the system's code for a wrong parameter.
constexpr int kWrongSwitchExitCode = ERROR_INVALID_PARAMETER;
// Of a start whose settings file cannot be used.
constexpr int kUnusableSettingsExitCode = 1;

// line: the whole command line, the program's name first (GetCommandLineW).
// A wrong switch anywhere wins over /?, which wins over /exit.
CommandLine ParseCommandLine(const wchar_t* line);

// Does what an action other than RunOverlay asks, shows nothing but its one
// message, and returns the program's exit code.
int CarryOut(const CommandLine& commandLine);

// Asks the overlay of this session to end as its Exit does and waits for its
// process up to waitMs. One that is still starting is waited for until its
// window shows. Takes nothing an overlay needs: the mutex is only looked at.
int EndRunningOverlay(DWORD waitMs = kEndWaitMs);

// The settings file a run uses, in UTF-8: the one
// named with /ini (relative to the current folder, its folder made when
// missing), else a Dashvane.ini beside the program (portable mode), else
// empty: the per-user file. unusable names the file when it cannot be had.
struct SettingsChoice {
    std::string path;
    std::wstring unusable;
};
SettingsChoice ChooseSettingsFile(const CommandLine& commandLine,
                                  const std::wstring& programFolder);

// ChooseSettingsFile beside this program. A file that cannot be had is named
// in a message, and false returned. A file named with /ini is kept for the
// start at logon.
bool TakeSettingsFile(const CommandLine& commandLine, std::string& path);
