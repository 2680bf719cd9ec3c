// "Drive": one line per disk drive, its root path, how full it is and a bar;
// fixed disks always, network and removable drives when switched on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "measures/Measure.h"

// The drive questions, as the platform declares them. Tests pass fakes.
struct DriveSources {
    using MaskFunction = DWORD(WINAPI*)();
    using TypeFunction = UINT(WINAPI*)(LPCWSTR root);
    using SpaceFunction = BOOL(WINAPI*)(LPCWSTR root, PULARGE_INTEGER availableToCaller,
                                        PULARGE_INTEGER total, PULARGE_INTEGER totalFree);

    MaskFunction logicalDrives = GetLogicalDrives;
    TypeFunction driveType = GetDriveTypeW;
    SpaceFunction freeSpace = GetDiskFreeSpaceExW;
};

// Percent of the drive the user cannot fill: (total − available) × 100 ÷ total,
// fraction dropped. 0 for a drive that reports no size.
int DriveUsage(std::int64_t total, std::int64_t available);

class Measure_Drive;
struct Settings;

// One answer to a drive's space question.
struct DriveSpace {
    bool readable = false;
    std::int64_t total = 0, available = 0;
};

// One logical drive as seen at one update.
struct DriveRecord {
    // Reads the drive's type, and its "DisplayItems" key when it is a candidate.
    DriveRecord(const char* root, const Measure_Drive& owner, Settings& settings,
                const DriveSources& sources);
    // Takes the texts of a space answer.
    void take(const DriveSpace& space);

    char rootPath[5] = {};
    // Empty until the drive's first answer.
    char percentText[6] = {};
    // Empty when the drive is not shown or its size cannot be read.
    char sizeText[50] = {};
    int usage = 0;
    bool shown = true;
};

// The space question of a drive in flight.
struct DriveQuery;

class Measure_Drive : public Measure {
public:
    Measure_Drive(ItemHost& host, Settings& settings, DriveSources sources = DriveSources());
    // Queries still in flight announce their answers to no one.
    ~Measure_Drive() override;

    // Opens the drive of the line-th shown line.
    void activate(int line) override;
    // The total size of the line-th shown drive; none when it cannot be read.
    const char* tooltipText(int line) override;
    int drawItem(ItemPainter& painter, int top) override;
    // Every drive is asked off the UI thread and keeps its last text until
    // the answer comes.
    void update() override;
    void takeAnswers() override;

    bool showNetworkDrives() const { return showNetwork_; }
    bool showRemovableDrives() const { return showRemovable_; }
    // Each writes its "Options" key and refreshes at once.
    void SetShowNetworkDrives(bool on);
    void SetShowRemovableDrives(bool on);

private:
    void rebuildDriveList();
    // Hands finished answers to their drives' records; true when one of them
    // had no text yet.
    bool collectAnswers();
    // Gives a record its answer; true when it had no text yet.
    bool answer(DriveRecord& record, const DriveSpace& space);
    void startQuery(const DriveRecord& record);
    void joinValues();
    // The shown record numbered line (from 1), or nullptr.
    const DriveRecord* shownRecord(int line) const;
    void applyInterval();

    int lastDriveCount_ = 0;
    bool showNetwork_ = false;
    bool showRemovable_ = false;
    std::vector<DriveRecord> records_;
    // At most one per drive, until its answer is taken.
    std::vector<std::shared_ptr<DriveQuery>> queries_;
    DriveSources sources_;
};
