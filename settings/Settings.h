// The settings file and every option the program remembers: one object, plain
// public fields, each change written to the INI file at once by its caller.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "platform/GdiGuards.h"
#include "settings/SaveFailureReport.h"
#include "settings/SettingsLocation.h"

// The window's transparent colour: the picture's background.
constexpr COLORREF kColourKey = RGB(255, 0, 255);

// The colour itself, or one step of blue off the key when it is the key, so
// that what the user chose stays visible.
constexpr COLORREF drawableColour(COLORREF colour)
{
    return colour == kColourKey ? RGB(255, 0, 254) : colour;
}

enum StackingMode { Bottom = 0, Normal = 1, AlwaysOnTop = 2, Desktop = 3 };

enum ScreenPosition { TopLeft = 0, TopRight = 1, BottomLeft = 2, BottomRight = 3, Custom = 4 };

// Stored positions are taken as at most this far from the origin: far past
// every screen, yet a window size added to one cannot overflow.
constexpr LONG kPositionLimit = 1L << 24;

// The font sizes the program takes, in points: past these bounds the layout
// makes a window far larger than any screen, or text no one can read.
constexpr int kMinFontPoints = 4;
constexpr int kMaxFontPoints = 144;

// Longest text any read returns, in UTF-16 units as the file's reads count
// them; the read buffer holds it in UTF-8 (at most three bytes a unit) plus
// the terminator.
constexpr int kMaxSettingText = 49;
constexpr int kSettingTextBytes = kMaxSettingText * 3 + 1;

struct Settings {
    int screenDpi = 0;
    bool showGraphs = false;
    GdiObject<HPEN> textPen;
    GdiObject<HBRUSH> graphBrush;
    bool showTooltips = false;
    LOGFONTW font{};
    int fontPointSize = 0;
    COLORREF fontColour = 0;
    COLORREF graphColour = 0;
    // Where the window is now.
    RECT windowRect{};
    // The place the user gave the window, as "Position"/"X","Y" hold it. The
    // window sits elsewhere only while that place lies off the monitors.
    POINT storedPlace{};
    bool rightAlign = false;
    // Every text drawn with a rim of the contrasting colour, for light wallpapers.
    bool textOutline = false;
    bool runAtStartup = false;
    bool autoBgColor = false;
    bool locked = false;
    // UTF-8, as every text the object hands out or takes.
    std::string path;
    // The file was there at start but refused to be opened for writing (a
    // file an administrator hands out read-only, a share that takes no
    // writes): changes then apply for the run only, nothing is written to
    // it and no failure is reported.
    bool readOnly = false;
    // Set while values just read from the file are applied: a write would
    // only put back what the file says, under the user's editor. A change
    // held from earlier for such a key is dropped, as the file now decides.
    bool writesMuted = false;
    StackingMode stackingMode = Bottom;
    ScreenPosition screenPosition = TopLeft;
    char readBuffer[kSettingTextBytes] = {};

    // How writes reach the file: each at once, held until releaseWrites, or
    // never (a second read of a file that a user may be editing: what it
    // lacks is taken as the default without being written).
    enum class Writes { AtOnce, Held, Never };

    // Locates the file (only when path is empty), finds out whether it can
    // be written and loads the options. The first write that fails is
    // reported to saveFailures, when given.
    explicit Settings(std::string filePath = std::string(),
                      const FolderSource& folders = FolderSource(), Writes writes = Writes::AtOnce,
                      SaveFailureReport* saveFailures = nullptr);
    // Held writes that were never released, and writes that failed, are tried
    // once more; a failure now is reported to no one.
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    const char* readString(const char* section, const char* key, const char* defaultText);
    int readInt(const char* section, const char* key, int defaultValue);
    bool readBool(const char* section, const char* key, bool defaultValue);
    void writeString(const char* section, const char* key, const char* text);
    void writeInt(const char* section, const char* key, int value);
    void writeLong(const char* section, const char* key, long value);
    void writeBool(const char* section, const char* key, bool value);
    // As "r,g,b", the form parseColour reads.
    void writeColour(const char* section, const char* key, COLORREF colour);

    // The separator is reached only through these, under a lock, so that any
    // thread may read or replace it.
    std::string separator() const;
    void setSeparator(const std::string& text);

    // Writes what was held (reads saw it already) and writes at once from
    // then on. A start with no file writes some thirty defaults, and each
    // single write rewrites and re-reads the whole file: into an absent or
    // empty file they go as one text.
    // A write that fails, now or later, stays held: reads keep seeing the
    // change for the rest of the run. A read-only file keeps every write held.
    void releaseWrites();

    // Replaces the pen or brush after the font or graph colour changed; both
    // draw in drawableColour, the fields keep the colour as chosen.
    void setFontColour(COLORREF colour);
    void setGraphColour(COLORREF colour);

private:
    void load();
    // An integer kept within low to high; a value outside is written back clamped.
    int readClamped(const char* section, const char* key, int defaultValue, int low, int high);

    struct HeldWrite {
        std::string section, key, text;
    };
    HeldWrite* heldWrite(const char* section, const char* key);
    void hold(const char* section, const char* key, const char* text);
    void answer(std::wstring text);
    bool writeToFile(const char* section, const char* key, const char* text);
    bool writeAllAsNewFile() const;
    void reportUnsaved();

    bool holding_ = false;
    bool neverWrites_ = false;
    std::vector<HeldWrite> held_;
    SaveFailureReport* saveFailures_ = nullptr;
    bool unsavedReported_ = false;
    mutable std::mutex separatorLock_;
    std::string separator_;
};

// "r,g,b" → colour; empty fields do not use up a component, missing ones keep
// the defaults, each component keeps its low 8 bits. The text is cut up in place.
COLORREF parseColour(char* text, int defaultRed, int defaultGreen, int defaultBlue);

// First-character rules of "Options"/"Position" and "Options"/"ScreenPosition".
StackingMode stackingModeFromText(const char* text);
ScreenPosition screenPositionFromText(const char* text);
