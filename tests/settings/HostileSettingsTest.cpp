// Settings files as a careless editor, a broken disk or a hostile user leave
// them: every reader must land on a default or a cut value, and may rewrite
// only the keys whose invalid values it repairs.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/Hotkey.h"
#include "platform/Utf8.h"
#include "settings/Settings.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"
#include "support/TempDir.h"

namespace {

struct YesNoKey {
    const char *section, *key;
    bool defaultValue;
};

// The yes/no keys of the load and of the drive item, always read; then the
// display flags, of which each file gets a few (every repair costs a file write).
const YesNoKey kAlwaysRead[] = {
    {"Options", "Show Graphs", false},
    {"Options", "Show Tooltips", false},
    {"Font", "Italic", false},
    {"Options", "Locked", false},
    {"Options", "Right Align", true},
    {"Options", "Text Outline", false},
    {"Options", "Run At Startup", false},
    {"Options", "Auto BG Color", false},
    {"Options", "ShowNetworkDrives", false},
    {"Options", "ShowRemovableDrives", false},
};
const char* const kDisplayFlags[] = {
    "Machine", "Processor", "OS",       "User",   "Domain",    "IPAddress", "Network",
    "RAM",     "RAM Used",  "Mem Used", "Uptime", "Processes", "Battery",   "Drive",
    "Time",    "CPU",       "Version",  "C:\\",   "Z:\\",
};
const char* const kOtherKeys[][2] = {
    {"Options", "Hotkey"},   {"Options", "Separator"},
    {"Options", "Position"}, {"Options", "ScreenPosition"},
    {"Font", "Name"},        {"Font", "Point"},
    {"Font", "Weight"},      {"Font", "RGBColour"},
    {"Graph", "RGBColour"},  {"Position", "X"},
    {"Position", "Y"},       {"Network", "SelectedInterface"},
    {"Unrelated", "Key"},
};

unsigned fuzzSeed()
{
    const char* chosen = std::getenv("DASHVANE_FUZZ_SEED");
    unsigned seed = chosen != nullptr ? unsigned(std::strtoul(chosen, nullptr, 10)) : 20240611u;
    std::printf("[ fuzz ] base seed %u (DASHVANE_FUZZ_SEED chooses another)\n", seed);
    return seed;
}

// In UTF-8, as the settings hand values out; size counts UTF-16 units.
std::string value(const std::string& path, const char* section, const char* key,
                  const char* defaultText, DWORD size = 4096)
{
    std::vector<WCHAR> text(size);
    GetPrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                             toWide(defaultText).c_str(), text.data(), size, toWide(path).c_str());
    return toUtf8(text.data());
}

using Sections = std::map<std::string, std::vector<std::string>>;

// Upper-cased section name → its "key=value" lines, as the profile API sees them.
Sections snapshot(const std::string& path)
{
    static std::vector<char> buffer(1 << 20);
    auto strings = [](DWORD length) {
        std::vector<std::string> list;
        for (DWORD i = 0; i < length; i += DWORD(std::strlen(&buffer[i])) + 1)
            list.push_back(&buffer[i]);
        return list;
    };
    Sections sections;
    for (std::string name : strings(
             GetPrivateProfileSectionNamesA(buffer.data(), DWORD(buffer.size()), path.c_str()))) {
        auto lines = strings(GetPrivateProfileSectionA(name.c_str(), buffer.data(),
                                                       DWORD(buffer.size()), path.c_str()));
        CharUpperA(name.data());
        sections.emplace(name, lines);
    }
    return sections;
}

bool isYesOrNo(const std::string& text)
{
    return _stricmp(text.c_str(), "Yes") == 0 || _stricmp(text.c_str(), "No") == 0;
}

// Comma runs separate, missing parts keep the defaults, each part keeps its
// low 8 bits; blanks before a number are allowed, as hand-edited files have them.
COLORREF expectedColour(const std::string& text, unsigned r, unsigned g, unsigned b)
{
    unsigned parts[3] = {r, g, b};
    size_t at = 0;
    for (int index = 0; index < 3 && (at = text.find_first_not_of(',', at)) != std::string::npos;) {
        size_t end = std::min(text.find(',', at), text.size());
        unsigned number = 0;
        for (size_t i = std::min(text.find_first_not_of(" \t", at), end);
             i < end && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            number = number * 10 + unsigned(text[i] - '0');
        parts[index++] = number;
        at = end;
    }
    return RGB(parts[0] & 0xFF, parts[1] & 0xFF, parts[2] & 0xFF);
}

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    unsigned pick(unsigned count) { return count == 0 ? 0 : unsigned(random_() % count); }
    std::string bytes(size_t length, int low, int high)
    {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += char(low + int(pick(unsigned(high - low + 1))));
        return text;
    }
    std::string hostileValue()
    {
        static const char* const kValues[] = {
            "",
            "-1",
            "-2147483649",
            "99999999999999999999",
            "2147483648",
            "0042",
            "7abc",
            "Yes",
            "no",
            "YES ",
            "\"Yes\"",
            "'No'",
            "Y-es",
            "N'o",
            "Y\xAD"
            "es",
            "Yes\"",
            "\"",
            "\"\"",
            ",,,",
            ",",
            "300,20",
            "1,,2,,,3,4",
            " 10, 20 ,30",
            "=",
            "==No",
            "T",
            "BL",
            "Desktop",
            "AlwaysOnTop",
            "\xE9\xE8\xFF\x81",
            "ALT,CTRL,F24",
            "WIN,SHIFT,NUMPAD9",
            "CTRL,F",
            ",F99",
            "CTRL,",
            "a\"b'c",
            ";comment",
            "[Options]",
        };
        switch (pick(4)) {
        case 0:
            return bytes(pick(200), 1, 255);
        case 1:
            return std::string(40 + pick(300), "=,\"Y9 "[pick(6)]);
        default:
            return kValues[pick(sizeof kValues / sizeof *kValues)];
        }
    }
    // Random bytes, an endless line, or every known key with hostile values
    // in sections that may repeat. Each repair is a file write, slow enough to
    // bound the run, so most yes/no values are valid ones.
    std::string file()
    {
        switch (pick(10)) {
        case 0:
        case 1:
            return bytes(pick(3000), 0, 255);
        case 2:
            return std::string(2000 + pick(40000), pick(2) ? 'x' : '[') + "\n" + keyed(false);
        case 3:
        case 4:
            return keyed(true);
        default:
            return keyed(false);
        }
    }

private:
    std::string keyed(bool validOnly)
    {
        auto yesNo = [&] {
            return !validOnly && pick(4) == 0 ? hostileValue() : pick(2) ? "yES" : "no";
        };
        const char* eol = pick(3) == 0 ? "\n" : pick(2) ? "\r\n" : "\r";
        std::map<std::string, std::string> sections;
        auto add = [&](const char* section, const char* key, const std::string& text) {
            sections[section] += std::string(key) + "=" + text + eol;
        };
        for (const YesNoKey& key : kAlwaysRead)
            add(key.section, key.key, yesNo());
        for (const char* flag : kDisplayFlags)
            add("DisplayItems", flag, yesNo());
        for (const auto& other : kOtherKeys) {
            bool network = std::strcmp(other[1], "SelectedInterface") == 0;
            add(other[0], other[1],
                validOnly && network ? std::to_string(pick(100000)) : hostileValue());
        }
        std::string text;
        for (int copy = 0, copies = 1 + int(pick(2)); copy < copies; ++copy)
            for (const auto& section : sections)
                if (validOnly || pick(8) != 0)
                    text += "[" + section.first + "]" + eol + section.second;
        return validOnly ? text : text + bytes(pick(50), 0, 255);
    }

    std::mt19937 random_;
};

}  // namespace

// The pure parsers get many more texts than the file round trips can.
TEST(HostileSettings, ParsersTakeAnyTextWithinTheirRules)
{
    Generator generate(fuzzSeed());
    for (int i = 0; i < 100000; ++i) {
        std::string text = generate.hostileValue().substr(0, kMaxSettingText);
        std::string colour = text, hotkey = text;
        ASSERT_EQ(parseColour(colour.data(), 71, 96, 141), expectedColour(text, 71, 96, 141))
            << text;
        HotkeyChord chord = parseHotkey(hotkey.data());
        for (size_t c = 0; c < text.size(); ++c)
            ASSERT_EQ(hotkey[c], char(std::toupper(static_cast<unsigned char>(text[c])))) << text;
        ASSERT_EQ(chord.modifiers & ~UINT(MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN), 0u) << text;
        ASSERT_LT(chord.key, 0x100u) << text;
        if (text.find(',') == std::string::npos) {
            ASSERT_EQ(chord.key, 0u) << text;
        }
    }
}

// Four blocks of files, each with a seed of its own, so that the test runner
// can spread the thousands of files over separate processes.
class HostileSettingsFiles : public ::testing::TestWithParam<unsigned> {};

INSTANTIATE_TEST_SUITE_P(Blocks, HostileSettingsFiles, ::testing::Values(0u, 1u, 2u, 3u));

TEST_P(HostileSettingsFiles, EveryReaderEndsOnDefaultsOrCutValuesAndRepairsOnlyItsOwnKeys)
{
    unsigned seed = fuzzSeed() + GetParam();
    Generator generate(seed);
    TempDir folder;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    int files = 0;
    for (; files < 750 && GetTickCount64() < deadline && !testing::Test::HasFailure(); ++files) {
        // A new name each time: the profile API caches files by name.
        std::string path = folder.file(("f" + std::to_string(files) + ".ini").c_str());
        std::string contents = generate.file();
        writeTextFile(path, contents);
        SCOPED_TRACE("file " + std::to_string(files) + " of seed " + std::to_string(seed) + ":\n"
                     + contents.substr(0, 2000));

        std::vector<YesNoKey> keys(std::begin(kAlwaysRead), std::end(kAlwaysRead));
        for (int i = 0; i < 3; ++i)
            keys.push_back(
                {"DisplayItems", kDisplayFlags[generate.pick(std::size(kDisplayFlags))], true});
        Sections before = snapshot(path);
        std::map<std::string, std::string> repaired;  // "section\nkey" → the text written
        std::vector<bool> expected;
        for (const YesNoKey& key : keys) {
            std::string text = value(path, key.section, key.key, "", kMaxSettingText + 1);
            expected.push_back(isYesOrNo(text) ? _stricmp(text.c_str(), "No") != 0
                                               : key.defaultValue);
            if (!isYesOrNo(text))
                repaired[std::string(key.section) + "\n" + key.key] = key.defaultValue ? "Yes"
                                                                                       : "No";
        }
        std::string network = value(path, "Network", "SelectedInterface", "", kMaxSettingText + 1);
        long long selected = std::isdigit(static_cast<unsigned char>(network[0])) ? 0 : 10000;
        for (size_t i = 0;
             selected != 10000 && i < network.size() && std::isdigit((unsigned char)network[i]);
             ++i)
            selected = std::min<long long>(selected * 10 + (network[i] - '0'), INT_MAX);
        if (!std::isdigit(static_cast<unsigned char>(network[0])))
            repaired["Network\nSelectedInterface"] = "10000";
        // Font size and weight are pulled into their bounds and written back.
        auto bounded = [&](const char* key, int fallback, int low, int high) {
            int stored = int(GetPrivateProfileIntA("Font", key, fallback, path.c_str()));
            int kept = std::clamp(stored, low, high);
            if (kept != stored)
                repaired[std::string("Font\n") + key] = std::to_string(kept);
            return kept;
        };
        int points = bounded("Point", 14, 4, 144);
        int weight = bounded("Weight", 0, 0, 1000);
        // A key the file lacks is added with its default.
        const struct {
            const char *section, *key, *text;
        } added[] = {{"Font", "Name", "Courier New"},
                     {"Font", "Point", "14"},
                     {"Font", "Weight", "0"},
                     {"Font", "RGBColour", "255,255,0"},
                     {"Graph", "RGBColour", "71,96,141"},
                     {"Options", "Separator", "="}};
        for (const auto& key : added)
            if (value(path, key.section, key.key, "\x01", kMaxSettingText + 1) == "\x01")
                repaired[std::string(key.section) + "\n" + key.key] = key.text;

        Settings settings(path);
        // The later readers, as the start-up and the items run them.
        char hotkey[kMaxSettingText + 1] = {};
        GetPrivateProfileStringA("Options", "Hotkey", "CTRL,ALT,L", hotkey, sizeof hotkey,
                                 path.c_str());
        EXPECT_LT(parseHotkey(hotkey).key, 0x100u);
        for (size_t i = 0; i < keys.size(); ++i)
            EXPECT_EQ(settings.readBool(keys[i].section, keys[i].key, keys[i].defaultValue),
                      expected[i])
                << keys[i].section << "/" << keys[i].key;
        EXPECT_EQ(settings.readInt("Network", "SelectedInterface", 10000), selected) << network;

        // What the load keeps in memory.
        EXPECT_EQ(settings.showGraphs, expected[0]);
        EXPECT_EQ(settings.rightAlign, expected[4]);
        EXPECT_EQ(settings.font.lfItalic, expected[2] ? 1 : 0);
        EXPECT_EQ(settings.fontPointSize, points);
        EXPECT_EQ(settings.font.lfWeight, weight);
        // Read through a buffer of the program's size: the profile API strips
        // enclosing quotes differently when a long value does not fit.
        EXPECT_EQ(settings.separator(),
                  value(path, "Options", "Separator", "=", kMaxSettingText + 1));
        EXPECT_EQ(std::wstring(settings.font.lfFaceName),
                  toWide(value(path, "Font", "Name", "Courier New", kMaxSettingText + 1))
                      .substr(0, LF_FACESIZE - 1));
        std::string font = value(path, "Font", "RGBColour", "", kMaxSettingText + 1);
        std::string graph = value(path, "Graph", "RGBColour", "", kMaxSettingText + 1);
        EXPECT_EQ(settings.fontColour, expectedColour(font, 255, 255, 0)) << font;
        EXPECT_EQ(settings.graphColour, expectedColour(graph, 71, 96, 141)) << graph;
        EXPECT_EQ(settings.stackingMode,
                  stackingModeFromText(value(path, "Options", "Position", "Bottom").c_str()));
        EXPECT_EQ(settings.screenPosition,
                  screenPositionFromText(value(path, "Options", "ScreenPosition", "C").c_str()));
        auto stored = [&](const char* key, UINT missing) {
            LONG value = LONG(GetPrivateProfileIntA("Position", key, missing, path.c_str()));
            return std::clamp(value, -kPositionLimit, kPositionLimit);
        };
        EXPECT_EQ(settings.windowRect.left, stored("X", 10000));
        EXPECT_EQ(settings.windowRect.top, stored("Y", 0));

        // Nothing written but the repairs; a file needing none keeps every byte.
        if (repaired.empty()) {
            EXPECT_EQ(readTextFile(path), contents);
        }
        for (const auto& [name, text] : repaired) {
            size_t cut = name.find('\n');
            EXPECT_EQ(value(path, name.substr(0, cut).c_str(), name.substr(cut + 1).c_str(), ""),
                      text)
                << name;
        }
        auto withoutRepairs = [&](Sections sections) {
            for (auto& [section, lines] : sections) {
                std::vector<std::string> kept;
                for (const std::string& line : lines) {
                    std::string name = section + "\n" + line.substr(0, line.find('='));
                    bool wasRepaired = false;
                    for (const auto& entry : repaired)
                        wasRepaired = wasRepaired
                                      || _stricmp(entry.first.c_str(), name.c_str()) == 0;
                    if (!wasRepaired)
                        kept.push_back(line);
                }
                lines = kept;
            }
            for (const char* written : {"OPTIONS", "FONT", "GRAPH", "DISPLAYITEMS", "NETWORK"})
                if (sections.count(written) && sections[written].empty())
                    sections.erase(written);
            return sections;
        };
        // Saving any key, the profile API's own writer drops what follows a NUL
        // in a line; only files without one can be held to every line.
        if (contents.find('\0') == std::string::npos) {
            EXPECT_EQ(withoutRepairs(snapshot(path)), withoutRepairs(before));
        }
        DeleteFileA(path.c_str());
    }
    std::printf("[ fuzz ] %d files\n", files);
    EXPECT_GE(files, 60) << "too few files for a verdict";
}

// Writes that cannot reach the disk: the option changes in memory all the
// same, and the first write that can reach it again lands.
TEST(HostileSettings, WritesToALockedOrVanishedFileStillChangeMemory)
{
    TempDir folder;
    const std::string home = folder.file("settings");
    const std::string path = home + "\\Dashvane.ini";
    CreateDirectoryA(home.c_str(), nullptr);
    Settings settings(path);
    FakeHost host;
    FakeMeasure item(host, settings, "Machine");
    auto change = [&](int round) {
        settings.windowRect.left = round;
        settings.writeLong("Position", "X", round);
        settings.locked = round % 2 != 0;
        settings.writeBool("Options", "Locked", settings.locked);
        settings.writeInt("Network", "SelectedInterface", round);
        settings.setFontColour(RGB(round, 1, 2));
        settings.setGraphColour(RGB(3, round, 4));
        settings.setSeparator(std::string(size_t(round), ':'));
        item.setShown(round % 2 == 0, false);
        EXPECT_EQ(settings.fontColour, RGB(round, 1, 2));
        EXPECT_EQ(settings.graphColour, RGB(3, round, 4));
        EXPECT_NE(settings.textPen.get(), nullptr);
        EXPECT_NE(settings.graphBrush.get(), nullptr);
        EXPECT_EQ(settings.separator(), std::string(size_t(round), ':'));
        EXPECT_EQ(item.isShown(), round % 2 == 0);
    };
    auto landed = [&](int round) {
        return iniValue(path, "Position", "X") == std::to_string(round)
               && iniValue(path, "Options", "Locked") == (round % 2 ? "Yes" : "No")
               && iniValue(path, "Network", "SelectedInterface") == std::to_string(round)
               && iniValue(path, "DisplayItems", "Machine") == (round % 2 ? "No" : "Yes");
    };

    // Wine run as root ignores the read-only attribute; an open handle that
    // shares no writing makes the writes fail there too.
    std::string stored = readTextFile(path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    change(1);
    EXPECT_EQ(readTextFile(path), stored);
    CloseHandle(holder);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    ASSERT_TRUE(DeleteFileA(path.c_str()));
    change(2);
    EXPECT_TRUE(landed(2)) << readTextFile(path);

    ASSERT_TRUE(DeleteFileA(path.c_str()));
    ASSERT_TRUE(RemoveDirectoryA(home.c_str()));
    change(3);
    EXPECT_FALSE(fileExists(path));
    {
        Settings homeless(path);
        EXPECT_TRUE(homeless.rightAlign);
        EXPECT_EQ(homeless.graphColour, RGB(71, 96, 141));
        EXPECT_EQ(homeless.separator(), "=");
        EXPECT_FALSE(fileExists(path));
    }

    CreateDirectoryA(home.c_str(), nullptr);
    change(4);
    EXPECT_TRUE(landed(4)) << readTextFile(path);
}
