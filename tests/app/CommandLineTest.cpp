// The switches as the system splits them, and the settings file they choose
// on a real file system.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

std::wstring wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

const char* actionName(StartAction action)
{
    switch (action) {
    case StartAction::RunOverlay:
        return "run";
    case StartAction::EndRunning:
        return "exit";
    case StartAction::ShowSwitches:
        return "list";
    default:
        return "wrong";
    }
}

// The test's own folder as current folder, given back afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder)
    {
        GetCurrentDirectoryA(sizeof own_, own_);
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(own_); }

private:
    char own_[MAX_PATH] = {};
};

}  // namespace

TEST(CommandLine, SwitchesAndTheirFile)
{
    const struct {
        const wchar_t* line;
        const char* action;
        const wchar_t* file;  // or the wrong argument
    } rows[] = {
        {L"dashvane.exe", "run", L""},
        {L"\"C:\\Program Files\\dashvane.exe\"  ", "run", L""},
        {L"dashvane.exe /ini my.ini", "run", L"my.ini"},
        {L"dashvane.exe /INI \"D:\\Shared Settings\\\u00e9t\u00e9.ini\"", "run",
         L"D:\\Shared Settings\\\u00e9t\u00e9.ini"},
        {L"dashvane.exe /ini a.ini /ini b.ini", "run", L"b.ini"},
        {L"dashvane.exe /Exit", "exit", L""},
        {L"dashvane.exe /ini a.ini /exit", "exit", L"a.ini"},
        {L"dashvane.exe /exit /?", "list", L""},
        {L"dashvane.exe /nonsense", "wrong", L"/nonsense"},
        {L"dashvane.exe /? stray", "wrong", L"stray"},
        {L"dashvane.exe /exitnow", "wrong", L"/exitnow"},
        {L"dashvane.exe -exit", "wrong", L"-exit"},
        {L"dashvane.exe /ini", "wrong", L"/ini"},
        {L"dashvane.exe /ini \"\"", "wrong", L"/ini"},
    };
    for (const auto& row : rows) {
        CommandLine parsed = ParseCommandLine(row.line);
        EXPECT_STREQ(actionName(parsed.action), row.action) << row.line;
        EXPECT_EQ(parsed.action == StartAction::WrongSwitch ? parsed.wrong : parsed.settingsFile,
                  row.file)
            << row.line;
    }
}

// /ini wins over a file beside the program, which wins over the profile; a
// relative name is taken in the current folder, whose missing folder is made.
TEST(CommandLine, ChoosesTheSettingsFile)
{
    TempDir program, current;
    CurrentFolder inCurrent(current.path());
    auto choose = [&](const std::wstring& named) {
        CommandLine commandLine;
        commandLine.settingsFile = named;
        return ChooseSettingsFile(commandLine, wide(program.path()));
    };

    SettingsChoice none = choose(L"");
    EXPECT_TRUE(none.path.empty() && none.unusable.empty());
    writeTextFile(program.file("Dashvane.ini"), "");
    EXPECT_EQ(choose(L"").path, program.file("Dashvane.ini"));

    SettingsChoice named = choose(L"made\\my.ini");
    EXPECT_EQ(named.path, current.file("made\\my.ini"));
    EXPECT_TRUE(named.unusable.empty());
    EXPECT_TRUE(fileExists(current.file("made")));
    EXPECT_FALSE(fileExists(current.file("made\\my.ini")));

    // A name the code page lacks is its own spelling; like any name, the
    // file is made by the first write.
    SettingsChoice unspelled = choose(L"\u4e2d\u6587.ini");
    EXPECT_EQ(unspelled.path, current.file("\u4e2d\u6587.ini"));
    EXPECT_FALSE(fileExists(unspelled.path));

    const std::wstring here = wide(current.path());
    const struct {
        std::wstring named, unusable;
    } refused[] = {
        {L"Q:\\settings\\my.ini", L"Q:\\settings\\my.ini"},  // no such drive
        {L"two\\levels\\my.ini", here + L"\\two\\levels\\my.ini"},
        {L"made", here + L"\\made"},  // a folder
        {L"made\\", here + L"\\made\\"},
    };
    for (const auto& row : refused) {
        SettingsChoice choice = choose(row.named);
        EXPECT_EQ(choice.unusable, row.unusable);
        EXPECT_TRUE(choice.path.empty());
    }
    EXPECT_FALSE(fileExists(current.file("two")));
}
