// "Drive": one line per disk drive, its root path, how full it is and a bar;
// fixed disks always, network and removable drives when switched on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "measures/Measure.h"
#include "menu/Launch.h"

// The drive questions, as the platform declares them. Tests pass fakes.
struct DriveSources {
    using MaskFunction = DWORD(WINAPI*)();
    using TypeFunction = UINT(WINAPI*)(LPCSTR root);
    using SpaceFunction = BOOL(WINAPI*)(LPCSTR root, PULARGE_INTEGER availableToCaller,
                                        PULARGE_INTEGER total, PULARGE_INTEGER totalFree);

    MaskFunction logicalDrives = GetLogicalDrives;
    TypeFunction driveType = GetDriveTypeA;
    SpaceFunction freeSpace = GetDiskFreeSpaceExA;
};

// Percent of the drive the user cannot fill: (total − available) × 100 ÷ total,
// fraction dropped. 0 for a drive that reports no size.
int DriveUsage(std::int64_t total, std::int64_t available);

class Measure_Drive;
struct Settings;

// One logical drive as seen at one update.
struct DriveRecord {
    // Reads the drive's type, its "DisplayItems" key when it is a candidate,
    // and its size when it is shown.
    DriveRecord(const char* root, const Measure_Drive& owner, Settings& settings,
                const DriveSources& sources);

    char rootPath[5] = {};
    char percentText[6] = {};
    // Empty when the drive is not shown or its size cannot be read.
    char sizeText[50] = {};
    // -1 until the first reading, so that reading always publishes.
    int usage = -1;
    bool shown = true;
    UINT driveType = 0;
};

class Measure_Drive : public Measure {
public:
    Measure_Drive(AppState& app, Settings& settings, DriveSources sources = DriveSources(),
                  Launcher launch = LaunchTarget);

    // Opens the drive of the line-th shown line.
    void activate(int line) override;
    // The total size of the line-th shown drive; none when it cannot be read.
    const char* tooltipText(int line) override;
    int drawItem(HDC dc, int top, int right, int bottom, int lineHeight, int valueColumnStart,
                 int labelWidth, int separatorWidth) override;
    void update() override;

    bool showNetworkDrives() const { return showNetwork_; }
    bool showRemovableDrives() const { return showRemovable_; }
    // Each writes its "Options" key and refreshes at once.
    void SetShowNetworkDrives(bool on);
    void SetShowRemovableDrives(bool on);

private:
    void rebuildDriveList();
    // The shown record numbered line (from 1), or nullptr.
    const DriveRecord* shownRecord(int line) const;
    void applyInterval();

    int lastDriveCount_ = 0;
    bool showNetwork_ = false;
    bool showRemovable_ = false;
    std::vector<DriveRecord> records_;
    DriveSources sources_;
    Launcher launch_;
};
