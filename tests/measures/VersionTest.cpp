// The version and OS items through fake version sources, and the real sources.
#include <gtest/gtest.h>

#include "measures/Measure_Version.h"
#include "platform/Utf8.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

using VersionTest = ItemTest;

VS_FIXEDFILEINFO fileRecord{};
bool fileFound = false;
bool fakeFileVersion(VS_FIXEDFILEINFO& info)
{
    info = fileRecord;
    return fileFound;
}

TEST_F(VersionTest, ShowsTheLetterVAndTheFileVersionOfItsSource)
{
    const struct {
        bool found;
        DWORD signature, high, low;
        const char* text;
    } cases[] = {{true, VS_FFI_SIGNATURE, 0x00010000, 0x00000015, "v1.0.0.21"},
                 {true, VS_FFI_SIGNATURE, 0x0002000A, 0x00C80003, "v2.10.200.3"},
                 {true, VS_FFI_SIGNATURE, 0xFFFFFFFF, 0xFFFFFFFF, "v65535.65535.65535.65535"},
                 {true, 0, 0x00010000, 0x00000015, "v"},
                 {false, VS_FFI_SIGNATURE, 0x00010000, 0x00000015, "v"}};
    for (const auto& c : cases) {
        fileRecord = VS_FIXEDFILEINFO{};
        fileRecord.dwSignature = c.signature;
        fileRecord.dwFileVersionMS = c.high, fileRecord.dwFileVersionLS = c.low;
        fileFound = c.found;
        Measure_Version item(host, settings, fakeFileVersion);
        EXPECT_EQ(item.valueText(), c.text);
        EXPECT_FALSE(item.hasTimer());
    }
}

TEST_F(VersionTest, ReadsTheVersionResourceOfTheProgramFile)
{
    // The test program has no version resource; dashvane.exe beside it has.
    EXPECT_EQ(Measure_Version(host, settings).valueText(), "v");
    WCHAR self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::string program = toUtf8(self);
    program = program.substr(0, program.find_last_of('\\')) + "\\dashvane.exe";
    if (!fileExists(program))
        GTEST_SKIP() << "dashvane.exe is not built beside the tests";
    // And under a name no code page holds all of.
    const std::string copy = dir.file("Версия 版本.exe");
    ASSERT_TRUE(CopyFileW(toWide(program).c_str(), toWide(copy).c_str(), TRUE));
    for (const std::string& file : {program, copy}) {
        VS_FIXEDFILEINFO info{};
        EXPECT_TRUE(readFileVersion(file.c_str(), info)) << file;
        EXPECT_EQ(versionText(info), "1.0.0.1") << file;
    }
    DeleteFileW(toWide(copy).c_str());
}

RTL_OSVERSIONINFOEXW osRecord{};
LONG osStatus = 0;
DWORD recordSizeOffered = 0;
LONG WINAPI fakeRtlGetVersion(RTL_OSVERSIONINFOW* info)
{
    recordSizeOffered = info->dwOSVersionInfoSize;
    if (osStatus == 0) {
        auto* record = reinterpret_cast<RTL_OSVERSIONINFOEXW*>(info);
        record->dwMajorVersion = osRecord.dwMajorVersion;
        record->dwMinorVersion = osRecord.dwMinorVersion;
        record->dwBuildNumber = osRecord.dwBuildNumber;
    }
    return osStatus;
}

OsVersionSources rtlOnly()
{
    OsVersionSources sources;
    sources.rtlGetVersion = fakeRtlGetVersion;
    sources.kernelVersion = [](VS_FIXEDFILEINFO&) { return false; };
    sources.workstation = [](DWORD&, DWORD&) { return false; };
    return sources;
}

TEST_F(VersionTest, NamesEveryReleaseFromTheRuntimeVersion)
{
    const struct {
        DWORD major, minor, build;
        const char* text;
    } cases[] = {
        {4, 0, 950, "Win95/64"},     {4, 3, 1, "Win95/64"},       {4, 10, 1998, "Win98/64"},
        {4, 90, 3000, "WinME/64"},   {5, 0, 2195, "Win2000/64"},  {5, 1, 2600, "WinXP/64"},
        {5, 2, 3790, "WinXPPro/64"}, {6, 0, 6002, "WinVista/64"}, {6, 1, 7601, "Win7/64"},
        {6, 2, 9200, "Win8/64"},     {6, 3, 9600, "Win8.1/64"},   {6, 4, 1, "Win7/64"},
        {10, 0, 19045, "Win10/64"},  {10, 0, 21999, "Win10/64"},  {10, 0, 22000, "Win11/64"},
        {10, 0, 26100, "Win11/64"},  {3, 51, 1057, "Unknown/64"}, {7, 0, 1, "Unknown/64"},
        {9, 0, 1, "Unknown/64"},     {11, 0, 30000, "Unknown/64"}};
    osStatus = 0;
    for (const auto& c : cases) {
        osRecord.dwMajorVersion = c.major, osRecord.dwMinorVersion = c.minor;
        osRecord.dwBuildNumber = c.build;
        Measure_OS item(host, settings, rtlOnly());
        EXPECT_EQ(item.valueText(), c.text) << c.major << "." << c.minor << "." << c.build;
        EXPECT_FALSE(item.hasTimer());
    }
    EXPECT_EQ(recordSizeOffered, 284u);
    // A 32-bit system: the name is the same, the width differs.
    EXPECT_EQ(osText(10, 22000, false), "Win11/32");
}

TEST_F(VersionTest, FallsBackToTheKernelFileAndThenTheWorkstationQuery)
{
    osRecord.dwMajorVersion = 10, osRecord.dwMinorVersion = 0, osRecord.dwBuildNumber = 22631;
    OsVersionSources kernel = rtlOnly(), workstation = rtlOnly();
    // Both fallbacks say 10.0 on Windows 11 and 6.x elsewhere.
    kernel.kernelVersion = [](VS_FIXEDFILEINFO& info) {
        info.dwProductVersionMS = 0x000A0000, info.dwFileVersionMS = 0x00060001;
        return true;
    };
    workstation.workstation = [](DWORD& major, DWORD& minor) {
        major = 6, minor = 3;
        return true;
    };
    const struct {
        LONG rtlStatus;
        const OsVersionSources* sources;
        const char* text;
    } cases[] = {{0, &kernel, "Win11/64"},
                 {static_cast<LONG>(0xC0000002L), &kernel, "Win10/64"},
                 {static_cast<LONG>(0xC0000002L), &workstation, "Win8.1/64"},
                 {static_cast<LONG>(0xC0000002L), nullptr, ""}};
    OsVersionSources none = rtlOnly();
    for (const auto& c : cases) {
        osStatus = c.rtlStatus;
        Measure_OS item(host, settings, c.sources != nullptr ? *c.sources : none);
        EXPECT_EQ(item.valueText(), c.text);
    }
    osStatus = 0;
}

TEST_F(VersionTest, RealSourcesNameThe64BitSystem)
{
    Measure_OS os(host, settings);
    const std::string& text = os.valueText();
    EXPECT_TRUE(is64BitSystem());
    ASSERT_GT(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 3), "/64");
    EXPECT_NE(text, "Unknown/64");
    // The fallbacks answer on their own too, as they must where RtlGetVersion is missing.
    VS_FIXEDFILEINFO kernel{};
    DWORD major = 0, minor = 0;
    EXPECT_TRUE(OsVersionSources::kernelFileVersion(kernel));
    EXPECT_GE(HIWORD(kernel.dwProductVersionMS), 5u);
    EXPECT_TRUE(OsVersionSources::workstationVersion(major, minor));
    EXPECT_GE(major, 5u);
}

}  // namespace
