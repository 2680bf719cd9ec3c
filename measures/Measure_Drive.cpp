// The drive item: the drive list rebuilt at every update, each drive keeping
// its texts until its next answer.
#include "measures/Measure_Drive.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/KernelHandle.h"
#include "platform/Utf8.h"
#include "settings/Settings.h"

// The space question of one drive, asked on a short-lived thread of its own:
// a network drive can take the network's time-out to answer, and a disk that
// has spun down, a USB disk or a card reader reporting as fixed among them,
// takes seconds. The item and the thread share it, so either may be gone first.
struct DriveQuery {
    char rootPath[5] = {};
    DriveSources::SpaceFunction freeSpace = nullptr;
    // The thread stores its answer and tells the host under this lock; the
    // item takes the answer, or at its end sends the host away, under it too.
    std::mutex lock;
    // Told when the answer is ready; null once the item is gone.
    ItemHost* host = nullptr;
    const Measure* item = nullptr;
    DriveSpace space;
    bool done = false;
};

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

DriveSpace askSpace(DriveSources::SpaceFunction freeSpace, const char* root)
{
    ULARGE_INTEGER availableToCaller{}, totalBytes{}, totalFree{};
    DriveSpace space;
    space.readable = freeSpace(toWide(root).c_str(), &availableToCaller, &totalBytes, &totalFree)
                     != FALSE;
    space.total = toInt64(totalBytes);
    space.available = toInt64(availableToCaller);
    return space;
}

DWORD WINAPI askOffTheUiThread(void* parameter)
{
    std::unique_ptr<std::shared_ptr<DriveQuery>> shared(
        static_cast<std::shared_ptr<DriveQuery>*>(parameter));
    DriveQuery& query = **shared;
    DriveSpace space = askSpace(query.freeSpace, query.rootPath);
    std::lock_guard<std::mutex> hold(query.lock);
    query.space = space;
    query.done = true;
    if (query.host != nullptr)
        query.host->answersReady(query.item);
    return 0;
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
    const UINT driveType = sources.driveType(toWide(rootPath).c_str());

    bool candidate = driveType == DRIVE_FIXED
                     || (driveType == DRIVE_REMOTE && owner.showNetworkDrives())
                     || (driveType == DRIVE_REMOVABLE && owner.showRemovableDrives());
    shown = candidate && settings.readBool("DisplayItems", rootPath, true);
}

void DriveRecord::take(const DriveSpace& space)
{
    if (!space.readable) {
        usage = 0;
        std::snprintf(percentText, sizeof percentText, "-%%");
        sizeText[0] = '\0';
        return;
    }
    usage = DriveUsage(space.total, space.available);
    std::snprintf(percentText, sizeof percentText, "%d%%", usage);
    const long long total = space.total;
    if (total > kGiB)
        std::snprintf(sizeText, sizeof sizeText, "%lld GBytes", total / kGiB);
    else if (total > kMiB)
        std::snprintf(sizeText, sizeof sizeText, "%lld MBytes", total / kMiB);
    else
        std::snprintf(sizeText, sizeof sizeText, "%lld Bytes", total);
}

Measure_Drive::Measure_Drive(ItemHost& host, Settings& settings, DriveSources sources)
    : Measure(host, settings, "Drive"), sources_(sources)
{
    hasGraph = true;
    showNetwork_ = settings.readBool("Options", "ShowNetworkDrives", false);
    showRemovable_ = settings.readBool("Options", "ShowRemovableDrives", false);
    applyInterval();
    update();
    resetTimer(false);
}

Measure_Drive::~Measure_Drive()
{
    for (const auto& query : queries_) {
        std::lock_guard<std::mutex> hold(query->lock);
        query->host = nullptr;
    }
}

void Measure_Drive::rebuildDriveList()
{
    DWORD mask = sources_.logicalDrives();
    std::vector<DriveRecord> previous = std::move(records_);
    records_.clear();
    // A: is the floppy drive, whose probing would make the drive spin up.
    for (int letter = 1; letter < 26; ++letter) {
        if ((mask & (DWORD{1} << letter)) == 0)
            continue;
        const char root[] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
        records_.emplace_back(root, *this, settings, sources_);
        // A drive keeps its texts until its next answer.
        DriveRecord& record = records_.back();
        for (const DriveRecord& earlier : previous)
            if (record.shown && earlier.shown && std::strcmp(earlier.rootPath, root) == 0) {
                std::memcpy(record.percentText, earlier.percentText, sizeof record.percentText);
                std::memcpy(record.sizeText, earlier.sizeText, sizeof record.sizeText);
                record.usage = earlier.usage;
            }
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
        host.requestRelayout();
    }
    collectAnswers();

    for (const DriveRecord& record : records_)
        if (record.shown)
            startQuery(record);
    joinValues();
}

bool Measure_Drive::answer(DriveRecord& record, const DriveSpace& space)
{
    const std::string before = record.percentText;
    record.take(space);
    // Marked whenever the text moves, "-%" included: unmarked, it would not reach the screen.
    if (before != record.percentText)
        changed = true;
    return before.empty();
}

void Measure_Drive::startQuery(const DriveRecord& record)
{
    for (const auto& query : queries_)
        if (std::strcmp(query->rootPath, record.rootPath) == 0)
            return;  // still waiting for the earlier answer
    auto query = std::make_shared<DriveQuery>();
    std::memcpy(query->rootPath, record.rootPath, sizeof query->rootPath);
    query->freeSpace = sources_.freeSpace;
    query->host = &host;
    query->item = this;
    auto* shared = new std::shared_ptr<DriveQuery>(query);
    // A small stack: the thread makes one call. Its handle is not needed.
    KernelHandle thread(CreateThread(nullptr, 64 * 1024, askOffTheUiThread, shared,
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (thread == nullptr) {
        delete shared;
        return;
    }
    queries_.push_back(std::move(query));
}

bool Measure_Drive::collectAnswers()
{
    bool first = false;
    for (auto query = queries_.begin(); query != queries_.end();) {
        DriveSpace space;
        {
            std::lock_guard<std::mutex> hold((*query)->lock);
            if (!(*query)->done) {
                ++query;
                continue;
            }
            space = (*query)->space;
        }
        for (DriveRecord& record : records_)
            if (record.shown && std::strcmp(record.rootPath, (*query)->rootPath) == 0)
                first = answer(record, space) || first;
        query = queries_.erase(query);
    }
    return first;
}

void Measure_Drive::takeAnswers()
{
    // A first text may be wider than the empty one the layout measured.
    if (collectAnswers())
        host.requestRelayout();
    joinValues();
}

void Measure_Drive::joinValues()
{
    value.clear();
    lines = 0;
    for (const DriveRecord& record : records_) {
        if (!record.shown)
            continue;
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
        host.launch(record->rootPath);
}

const char* Measure_Drive::tooltipText(int line)
{
    const DriveRecord* record = shownRecord(line);
    return record != nullptr && record->sizeText[0] != '\0' ? record->sizeText : nullptr;
}

int Measure_Drive::drawItem(ItemPainter& painter, int top)
{
    // Drives share the global separator; the item's own one is never used.
    const std::string separatorText = settings.separator();
    int height = 0;
    int lineTop = top;
    for (const DriveRecord& record : records_) {
        if (!record.shown)
            continue;
        if (hasGraph)
            painter.drawPercentBar(lineTop, record.usage);
        height = painter.drawColumns(lineTop, record.rootPath, separatorText.c_str(),
                                     record.percentText);
        lineTop += painter.lineHeight();
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
