// The drive item: the drive list rebuilt from scratch at every update.
#include "measures/Measure_Drive.h"

#include <cstdio>
#include <cstring>

#include "app/Messages.h"
#include "settings/Settings.h"

namespace {

constexpr int kInterval = 30000;
// Removable media come and go by hand; they are noticed within this time.
constexpr int kRemovableInterval = 5000;

constexpr std::int64_t kMiB = std::int64_t{1} << 20;
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

std::int64_t toInt64(const ULARGE_INTEGER& number)
{
    return static_cast<std::int64_t>(number.QuadPart);
}

// Total and available bytes of a drive; false when its space cannot be read.
bool readSpace(const DriveSources& sources, const char* root, std::int64_t& total,
               std::int64_t& available)
{
    ULARGE_INTEGER availableToCaller{}, totalBytes{}, totalFree{};
    if (!sources.freeSpace(root, &availableToCaller, &totalBytes, &totalFree))
        return false;
    total = toInt64(totalBytes);
    available = toInt64(availableToCaller);
    return true;
}

}  // namespace

int DriveUsage(std::int64_t total, std::int64_t available)
{
    if (total <= 0)
        return 0;
    // Unsigned so that a size beyond any real disk wraps instead of overflowing.
    auto used = static_cast<std::uint64_t>(total) - static_cast<std::uint64_t>(available);
    auto percent = static_cast<std::int64_t>(used * 100u) / total;
    return static_cast<int>(static_cast<std::uint32_t>(percent));
}

DriveRecord::DriveRecord(const char* root, const Measure_Drive& owner, Settings& settings,
                         const DriveSources& sources)
{
    if (std::strlen(root) < sizeof rootPath)
        std::strcpy(rootPath, root);
    driveType = sources.driveType(rootPath);

    bool candidate = driveType == DRIVE_FIXED
                     || (driveType == DRIVE_REMOTE && owner.showNetworkDrives())
                     || (driveType == DRIVE_REMOVABLE && owner.showRemovableDrives());
    if (!candidate) {
        shown = false;
        return;
    }
    shown = settings.readBool("DisplayItems", rootPath, true);
    if (!shown)
        return;

    std::int64_t total = 0, available = 0;
    if (!readSpace(sources, rootPath, total, available))
        return;
    if (total > kGiB)
        std::snprintf(sizeText, sizeof sizeText, "%lld GBytes", static_cast<long long>(total / kGiB));
    else if (total > kMiB)
        std::snprintf(sizeText, sizeof sizeText, "%lld MBytes", static_cast<long long>(total / kMiB));
    else
        std::snprintf(sizeText, sizeof sizeText, "%lld Bytes", static_cast<long long>(total));
}

Measure_Drive::Measure_Drive(AppState& app, Settings& settings, DriveSources sources,
                             Launcher launch)
    : Measure(app, settings, "Drive"), sources_(sources), launch_(launch)
{
    hasGraph = true;
    showNetwork_ = settings.readBool("Options", "ShowNetworkDrives", false);
    showRemovable_ = settings.readBool("Options", "ShowRemovableDrives", false);
    applyInterval();
    update();
    resetTimer(false);
}

void Measure_Drive::rebuildDriveList()
{
    DWORD mask = sources_.logicalDrives();
    records_.clear();
    // A: is the floppy drive, whose probing would make the drive spin up.
    for (int letter = 1; letter < 26; ++letter) {
        if ((mask & (DWORD{1} << letter)) == 0)
            continue;
        const char root[] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
        records_.emplace_back(root, *this, settings, sources_);
    }
}

void Measure_Drive::update()
{
    rebuildDriveList();
    // Every record counts, shown or not: only a letter that comes or goes
    // changes the number, and then the window needs a new layout.
    int count = static_cast<int>(records_.size());
    if (count != lastDriveCount_) {
        lastDriveCount_ = count;
        PostMessageA(mainWindow, WM_RELAYOUT, 0, 0);
    }

    value.clear();
    lines = 0;
    for (DriveRecord& record : records_) {
        if (!record.shown)
            continue;
        std::int64_t total = 0, available = 0;
        if (readSpace(sources_, record.rootPath, total, available)) {
            int usage = DriveUsage(total, available);
            if (usage != record.usage) {
                record.usage = usage;
                std::snprintf(record.percentText, sizeof record.percentText, "%d%%", usage);
                changed = true;
            }
        } else {
            record.usage = 0;
            std::snprintf(record.percentText, sizeof record.percentText, "-%%");
        }
        if (!value.empty())
            value += '\n';
        value += record.percentText;
        ++lines;
    }
}

const DriveRecord* Measure_Drive::shownRecord(int line) const
{
    int count = 0;
    for (const DriveRecord& record : records_)
        if (record.shown && ++count == line)
            return &record;
    return nullptr;
}

void Measure_Drive::activate(int line)
{
    if (const DriveRecord* record = shownRecord(line))
        launch_(mainWindow, record->rootPath);
}

const char* Measure_Drive::tooltipText(int line)
{
    const DriveRecord* record = shownRecord(line);
    return record != nullptr && record->sizeText[0] != '\0' ? record->sizeText : nullptr;
}

int Measure_Drive::drawItem(HDC dc, int top, int right, int bottom, int lineHeight,
                            int valueColumnStart, int labelWidth, int separatorWidth)
{
    // Drives share the global separator; the item's own one is never used.
    const std::string separatorText = settings.separator();
    int height = 0;
    int lineTop = top;
    for (const DriveRecord& record : records_) {
        if (!record.shown)
            continue;
        if (hasGraph)
            drawPercentBar(dc, lineTop, right, lineHeight, valueColumnStart, record.usage);
        height = drawColumns(dc, lineTop, right, bottom, labelWidth, separatorWidth,
                             record.rootPath, separatorText.c_str(), record.percentText);
        lineTop += lineHeight;
    }
    return height;
}

void Measure_Drive::applyInterval()
{
    refreshInterval = showRemovable_ ? kRemovableInterval : kInterval;
}

void Measure_Drive::SetShowNetworkDrives(bool on)
{
    if (on == showNetwork_)
        return;
    showNetwork_ = on;
    settings.writeBool("Options", "ShowNetworkDrives", on);
    update();
}

void Measure_Drive::SetShowRemovableDrives(bool on)
{
    if (on == showRemovable_)
        return;
    showRemovable_ = on;
    settings.writeBool("Options", "ShowRemovableDrives", on);
    applyInterval();
    resetTimer(false);
    update();
}
