// "Version" and "OS": the program's own file version and the name of the
// running system release. Both are read once at start-up and never refresh.
#pragma once

#include <windows.h>

#include <string>

#include "measures/Measure.h"

// Whether the system is 64-bit. A 64-bit build can only run on one; a 32-bit
// build asks whether it runs under the 64-bit system's 32-bit layer.
bool is64BitSystem();

// The root record of a file's version resource; false when the file has none.
bool readFileVersion(const char* path, VS_FIXEDFILEINFO& info);
// "major.minor.build.revision" of the file version, or empty when the record
// is not a version record.
std::string versionText(const VS_FIXEDFILEINFO& info);

class Measure_Version : public Measure {
public:
    using FileVersionSource = bool (*)(VS_FIXEDFILEINFO&);
    // The version record of the running program's own file.
    static bool ownFileVersion(VS_FIXEDFILEINFO& info);

    Measure_Version(ItemHost& host, Settings& settings, FileVersionSource source = ownFileVersion);
    // The text is fixed at construction.
    void update() override {}
};

// Short release name for a version; a minor of 22000 or more stands for a
// build number of Windows 11.
const char* osName(int major, int minor);
// The name with "/64" or "/32", or empty when no version is known (negative).
std::string osText(int major, int minor, bool sixtyFourBit);

// Where the OS item asks, in order; the first that answers wins.
struct OsVersionSources {
    using RtlGetVersionCall = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    using FileVersionCall = bool (*)(VS_FIXEDFILEINFO&);
    using WorkstationCall = bool (*)(DWORD& major, DWORD& minor);

    // ntdll's RtlGetVersion, looked up at run time.
    static LONG WINAPI systemRtlGetVersion(RTL_OSVERSIONINFOW* info);
    // The version record of the system folder's kernel32.dll.
    static bool kernelFileVersion(VS_FIXEDFILEINFO& info);
    // The workstation query at level 100.
    static bool workstationVersion(DWORD& major, DWORD& minor);

    RtlGetVersionCall rtlGetVersion = systemRtlGetVersion;
    FileVersionCall kernelVersion = kernelFileVersion;
    WorkstationCall workstation = workstationVersion;
};

class Measure_OS : public Measure {
public:
    Measure_OS(ItemHost& host, Settings& settings,
               const OsVersionSources& sources = OsVersionSources());
    void update() override;

private:
    OsVersionSources sources_;
};
