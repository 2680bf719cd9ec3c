// The version and OS items and the system bitness test.
#include "measures/Measure_Version.h"

#include <lm.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/SystemLibrary.h"
#include "platform/Utf8.h"

namespace {

template <typename Function>
Function lookUp(const wchar_t* module, const char* name)
{
    return EntryPoint<Function>(GetModuleHandleW(module), name);
}

// STATUS_NOT_IMPLEMENTED: what an NT call reports when it does not exist.
constexpr LONG kNotImplemented = static_cast<LONG>(0xC0000002L);

}  // namespace

bool is64BitSystem()
{
#ifdef _WIN64
    return true;
#else
    using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const auto isWow64Process =
        lookUp<IsWow64ProcessCall>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

namespace {

// Read at start only: the version library is not kept for the run.
bool readVersionResource(const std::wstring& path, VS_FIXEDFILEINFO& info)
{
    SystemLibrary library("version.dll");
    auto infoSize = library.entry<decltype(&GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
    auto readInfo = library.entry<decltype(&GetFileVersionInfoW)>("GetFileVersionInfoW");
    auto queryValue = library.entry<decltype(&VerQueryValueW)>("VerQueryValueW");
    if (infoSize == nullptr || readInfo == nullptr || queryValue == nullptr)
        return false;
    DWORD ignored = 0;
    DWORD size = infoSize(path.c_str(), &ignored);
    if (size == 0)
        return false;
    std::vector<char> block(size);
    if (!readInfo(path.c_str(), 0, size, block.data()))
        return false;
    void* root = nullptr;
    UINT length = 0;
    // A shorter root block would be read past its end.
    if (!queryValue(block.data(), L"\\", &root, &length) || length < sizeof info)
        return false;
    std::memcpy(&info, root, sizeof info);
    return true;
}

}  // namespace

bool readFileVersion(const char* path, VS_FIXEDFILEINFO& info)
{
    return readVersionResource(toWide(path), info);
}

std::string versionText(const VS_FIXEDFILEINFO& info)
{
    if (info.dwSignature != VS_FFI_SIGNATURE)
        return std::string();
    // Room for four five-digit numbers, so no version is ever cut short.
    char text[24] = {};
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(info.dwFileVersionMS),
                  LOWORD(info.dwFileVersionMS), HIWORD(info.dwFileVersionLS),
                  LOWORD(info.dwFileVersionLS));
    return text;
}

bool Measure_Version::ownFileVersion(VS_FIXEDFILEINFO& info)
{
    WCHAR path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), path, MAX_PATH);
    // A full buffer means the path was cut: it names some other file.
    if (length == 0 || length >= MAX_PATH)
        return false;
    return readVersionResource(std::wstring(path, length), info);
}

Measure_Version::Measure_Version(ItemHost& host, Settings& settings, FileVersionSource source)
    : Measure(host, settings, "Version")
{
    value = "v";
    VS_FIXEDFILEINFO info{};
    if (source(info))
        value += versionText(info);
    resetTimer(false);
}

const char* osName(int major, int minor)
{
    switch (major) {
    case 4:
        return minor == 10 ? "Win98" : minor == 90 ? "WinME" : "Win95";
    case 5:
        return minor == 0 ? "Win2000" : minor == 2 ? "WinXPPro" : "WinXP";
    case 6:
        return minor == 0 ? "WinVista" : minor == 2 ? "Win8" : minor == 3 ? "Win8.1" : "Win7";
    case 10:
        return minor >= 22000 ? "Win11" : "Win10";
    default:
        return "Unknown";
    }
}

std::string osText(int major, int minor, bool sixtyFourBit)
{
    if (major < 0 || minor < 0)
        return std::string();
    return std::string(osName(major, minor)) + (sixtyFourBit ? "/64" : "/32");
}

LONG WINAPI OsVersionSources::systemRtlGetVersion(RTL_OSVERSIONINFOW* info)
{
    static const auto rtlGetVersion = lookUp<RtlGetVersionCall>(L"ntdll.dll", "RtlGetVersion");
    return rtlGetVersion != nullptr ? rtlGetVersion(info) : kNotImplemented;
}

bool OsVersionSources::kernelFileVersion(VS_FIXEDFILEINFO& info)
{
    WCHAR folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return readVersionResource(std::wstring(folder, length) + L"\\kernel32.dll", info);
}

bool OsVersionSources::workstationVersion(DWORD& major, DWORD& minor)
{
    SystemLibrary network("netapi32.dll");
    auto getInfo = network.entry<decltype(&NetWkstaGetInfo)>("NetWkstaGetInfo");
    auto release = network.entry<decltype(&NetApiBufferFree)>("NetApiBufferFree");
    LPBYTE buffer = nullptr;
    if (getInfo == nullptr || release == nullptr || getInfo(nullptr, 100, &buffer) != NERR_Success)
        return false;
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    major = info->wki100_ver_major;
    minor = info->wki100_ver_minor;
    release(buffer);
    return true;
}

Measure_OS::Measure_OS(ItemHost& host, Settings& settings, const OsVersionSources& sources)
    : Measure(host, settings, "OS"), sources_(sources)
{
    update();
    resetTimer(false);
}

void Measure_OS::update()
{
    int major = -1;
    int minor = -1;
    RTL_OSVERSIONINFOEXW record{};
    record.dwOSVersionInfoSize = sizeof record;
    if (sources_.rtlGetVersion(reinterpret_cast<RTL_OSVERSIONINFOW*>(&record)) == 0) {
        major = static_cast<int>(record.dwMajorVersion);
        // Windows 11 still reports 10.0; only its build number tells it apart.
        minor = record.dwBuildNumber >= 22000 ? 22000 : static_cast<int>(record.dwMinorVersion);
    }
    // The fallbacks serve systems without RtlGetVersion; they report 10.0 on
    // Windows 11 as well, so they read "Win10" there.
    VS_FIXEDFILEINFO kernel{};
    if (major == -1 && sources_.kernelVersion(kernel)) {
        major = HIWORD(kernel.dwProductVersionMS);
        minor = LOWORD(kernel.dwProductVersionMS);
    }
    DWORD workstationMajor = 0;
    DWORD workstationMinor = 0;
    if (major == -1 && sources_.workstation(workstationMajor, workstationMinor)) {
        major = static_cast<int>(workstationMajor);
        minor = static_cast<int>(workstationMinor);
    }
    value = osText(major, minor, is64BitSystem());
}
