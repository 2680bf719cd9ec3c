// Reading and writing the settings file, and the load of the options the
// window and the display need.
#include "settings/Settings.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/KernelHandle.h"
#include "platform/Utf8.h"
#include "settings/SettingsFileText.h"

namespace {

int measureScreenDpi()
{
    CreatedDC screen(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (screen == nullptr)
        return 96;
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

// Leading decimal digits of text; values beyond 32 bits saturate instead of
// wrapping into something that looks deliberate.
int leadingDigits(const char* text)
{
    long long value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

// Letter case aside, exactly the word: the locale-aware comparison would also
// take it with characters it ignores in between ("Y\xADes").
bool isWord(const char* text, const char* word)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    for (; *word != '\0'; ++text, ++word)
        if (lower(*text) != lower(*word))
            return false;
    return *text == '\0';
}

// Section and key names, letter case aside, as the profile calls compare them.
bool sameName(const std::string& a, const char* b)
{
    return lstrcmpiW(toWide(a).c_str(), toWide(b).c_str()) == 0;
}

bool sameName(const std::string& a, const std::string& b)
{
    return sameName(a, b.c_str());
}

LONG storedCoordinate(UINT value)
{
    return std::clamp(static_cast<LONG>(value), -kPositionLimit, kPositionLimit);
}

// Found by trying the open, not by the read-only attribute, which says
// nothing of the file's permissions or of a share that refuses writes. A
// file another program holds without write sharing does not count: it is
// writable again once that program lets go of it.
bool refusesWrites(const std::string& path)
{
    HANDLE opened = CreateFileW(toWide(path).c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
        KernelHandle closed(opened);
        return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT
           || error == ERROR_NETWORK_ACCESS_DENIED;
}

// readString, and a key the file lacks is written with its default, so a
// user who opens the file sees everything there is to change.
const char* readOrAdd(Settings& settings, const char* section, const char* key,
                      const char* defaultText)
{
    // No line of a text file holds this character alone.
    constexpr const char* kAbsent = "\x01";
    if (std::strcmp(settings.readString(section, key, kAbsent), kAbsent) != 0)
        return settings.readBuffer;
    settings.writeString(section, key, defaultText);
    return settings.readString(section, key, defaultText);
}

}  // namespace

Settings::Settings(std::string filePath, const FolderSource& folders, Writes writes,
                   SaveFailureReport* saveFailures)
    : path(std::move(filePath)),
      holding_(writes != Writes::AtOnce),
      neverWrites_(writes == Writes::Never),
      saveFailures_(saveFailures)
{
    screenDpi = measureScreenDpi();
    if (path.empty())
        path = locateSettingsFile(folders);
    if (path.empty())
        return;
    readOnly = refusesWrites(path);
    load();
}

Settings::~Settings()
{
    // The program is ending: a box now would vanish with it unread.
    saveFailures_ = nullptr;
    releaseWrites();
}

void Settings::load()
{
    showGraphs = readBool("Options", "Show Graphs", false);
    showTooltips = readBool("Options", "Show Tooltips", false);

    lstrcpynW(font.lfFaceName, toWide(readOrAdd(*this, "Font", "Name", "Courier New")).c_str(),
              LF_FACESIZE);
    readOrAdd(*this, "Font", "Point", "14");
    readOrAdd(*this, "Font", "Weight", "0");
    fontPointSize = readClamped("Font", "Point", 14, kMinFontPoints, kMaxFontPoints);
    font.lfHeight = -MulDiv(fontPointSize, screenDpi, 72);
    font.lfWeight = readClamped("Font", "Weight", 0, 0, 1000);
    font.lfItalic = readBool("Font", "Italic", false) ? 1 : 0;

    readOrAdd(*this, "Font", "RGBColour", "255,255,0");
    setFontColour(parseColour(readBuffer, 255, 255, 0));
    readOrAdd(*this, "Graph", "RGBColour", "71,96,141");
    setGraphColour(parseColour(readBuffer, 71, 96, 141));

    stackingMode = stackingModeFromText(readString("Options", "Position", "Bottom"));
    screenPosition = screenPositionFromText(readString("Options", "ScreenPosition", "C"));
    const std::wstring file = toWide(path);
    windowRect.left =
        storedCoordinate(GetPrivateProfileIntW(L"Position", L"X", 10000, file.c_str()));
    windowRect.top = storedCoordinate(GetPrivateProfileIntW(L"Position", L"Y", 0, file.c_str()));
    storedPlace = POINT{windowRect.left, windowRect.top};

    locked = readBool("Options", "Locked", false);
    setSeparator(readOrAdd(*this, "Options", "Separator", "="));
    rightAlign = readBool("Options", "Right Align", true);
    textOutline = readBool("Options", "Text Outline", false);
    runAtStartup = readBool("Options", "Run At Startup", false);
    autoBgColor = readBool("Options", "Auto BG Color", false);
}

int Settings::readClamped(const char* section, const char* key, int defaultValue, int low, int high)
{
    int value = static_cast<int>(GetPrivateProfileIntW(toWide(section).c_str(), toWide(key).c_str(),
                                                       defaultValue, toWide(path).c_str()));
    int clamped = std::clamp(value, low, high);
    if (clamped != value)
        writeInt(section, key, clamped);
    return clamped;
}

const char* Settings::readString(const char* section, const char* key, const char* defaultText)
{
    // Without a settings file every read answers its default and nothing is
    // written anywhere else (an empty file name would reach a system file).
    if (path.empty()) {
        answer(toWide(defaultText));
    } else if (const HeldWrite* held = heldWrite(section, key)) {
        answer(toWide(held->text));
    } else {
        WCHAR text[kMaxSettingText + 1] = {};
        DWORD length = GetPrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(),
                                                toWide(defaultText).c_str(), text,
                                                kMaxSettingText + 1, toWide(path).c_str());
        answer(std::wstring(text, std::min<DWORD>(length, kMaxSettingText)));
    }
    return readBuffer;
}

// Every answer is cut as the file's own reads cut it, but never between the
// two halves of a character.
void Settings::answer(std::wstring text)
{
    if (text.size() > size_t(kMaxSettingText))
        text.resize(kMaxSettingText);
    if (!text.empty() && IS_HIGH_SURROGATE(text.back()))
        text.pop_back();
    const std::string utf8 = toUtf8(text);
    std::memcpy(readBuffer, utf8.c_str(), utf8.size() + 1);
}

int Settings::readInt(const char* section, const char* key, int defaultValue)
{
    const char* text = readString(section, key, "");
    if (text[0] >= '0' && text[0] <= '9')
        return leadingDigits(text);
    writeInt(section, key, defaultValue);
    return defaultValue;
}

bool Settings::readBool(const char* section, const char* key, bool defaultValue)
{
    const char* text = readString(section, key, "");
    if (isWord(text, "Yes"))
        return true;
    if (isWord(text, "No"))
        return false;
    writeBool(section, key, defaultValue);
    return defaultValue;
}

void Settings::writeString(const char* section, const char* key, const char* text)
{
    if (path.empty())
        return;
    if (writesMuted) {
        if (const HeldWrite* held = heldWrite(section, key))
            held_.erase(held_.begin() + (held - held_.data()));
        return;
    }
    if (holding_ || readOnly) {
        hold(section, key, text);
        return;
    }
    if (writeToFile(section, key, text)) {
        // An earlier change of this key that failed is replaced in the file now.
        if (const HeldWrite* held = heldWrite(section, key))
            held_.erase(held_.begin() + (held - held_.data()));
        return;
    }
    hold(section, key, text);
    reportUnsaved();
}

void Settings::hold(const char* section, const char* key, const char* text)
{
    if (HeldWrite* held = heldWrite(section, key))
        held->text = text;
    else
        held_.push_back(HeldWrite{section, key, text});
}

Settings::HeldWrite* Settings::heldWrite(const char* section, const char* key)
{
    // Names compare without letter case, as the file's own lookups do.
    for (HeldWrite& held : held_)
        if (sameName(held.section, section) && sameName(held.key, key))
            return &held;
    return nullptr;
}

bool Settings::writeToFile(const char* section, const char* key, const char* text)
{
    const std::wstring file = toWide(path), wideSection = toWide(section), wideKey = toWide(key),
                       wideText = toWide(text);
    return prepareForWrite(file, {wideSection, wideKey, wideText})
           && WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideText.c_str(),
                                         file.c_str());
}

void Settings::releaseWrites()
{
    if (neverWrites_)
        return;
    holding_ = false;
    if (held_.empty() || readOnly)
        return;
    if (writeAllAsNewFile()) {
        held_.clear();
        return;
    }
    std::vector<HeldWrite> unsaved;
    for (HeldWrite& held : held_)
        if (!writeToFile(held.section.c_str(), held.key.c_str(), held.text.c_str()))
            unsaved.push_back(std::move(held));
    held_ = std::move(unsaved);
    if (!held_.empty())
        reportUnsaved();
}

void Settings::reportUnsaved()
{
    if (saveFailures_ == nullptr || unsavedReported_)
        return;
    unsavedReported_ = true;
    saveFailures_->settingsNotSaved(path.c_str());
}

bool Settings::writeAllAsNewFile() const
{
    // Sections in the order of their first write, each key under its own.
    std::string text;
    std::vector<const std::string*> sections;
    for (const HeldWrite& held : held_) {
        bool seen = false;
        for (const std::string* section : sections)
            seen = seen || sameName(*section, held.section);
        if (!seen)
            sections.push_back(&held.section);
    }
    for (const std::string* section : sections) {
        text += "[" + *section + "]\r\n";
        for (const HeldWrite& held : held_)
            if (sameName(held.section, *section))
                text += held.key + "=" + held.text + "\r\n";
    }

    // A file with anything in it, even one made meanwhile, takes the writes
    // one by one, so nothing in it is lost.
    return writeAsNewFile(toWide(path), toWide(text));
}

void Settings::writeInt(const char* section, const char* key, int value)
{
    char text[20];
    snprintf(text, sizeof text, "%d", value);
    writeString(section, key, text);
}

void Settings::writeLong(const char* section, const char* key, long value)
{
    char text[20];
    snprintf(text, sizeof text, "%ld", value);
    writeString(section, key, text);
}

void Settings::writeBool(const char* section, const char* key, bool value)
{
    writeString(section, key, value ? "Yes" : "No");
}

void Settings::writeColour(const char* section, const char* key, COLORREF colour)
{
    char text[20] = {};
    std::snprintf(text, sizeof text, "%d,%d,%d", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    writeString(section, key, text);
}

std::string Settings::separator() const
{
    std::lock_guard<std::mutex> hold(separatorLock_);
    return separator_;
}

void Settings::setSeparator(const std::string& text)
{
    std::lock_guard<std::mutex> hold(separatorLock_);
    separator_ = text;
}

void Settings::setFontColour(COLORREF colour)
{
    fontColour = colour;
    textPen.reset(CreatePen(PS_SOLID, 1, drawableColour(colour)));
}

void Settings::setGraphColour(COLORREF colour)
{
    graphColour = colour;
    graphBrush.reset(CreateSolidBrush(drawableColour(colour)));
}
