// The settings-file watcher.
#include "app/SettingsWatcher.h"

#include "platform/KernelHandle.h"
#include "platform/Utf8.h"
#include "settings/Settings.h"

namespace {

// An editor's second step follows its first within milliseconds; a file
// still incomplete after all the tries is left to its next change, and
// meanwhile every option keeps what runs.
constexpr DWORD kRetryMs = 200;
constexpr int kRetries = 10;

}  // namespace

SettingsWatcher::SettingsWatcher(const std::string& path, Apply apply)
    : path_(path), apply_(std::move(apply))
{
    stampMoved();
    const std::wstring folder = watchedFolder(path);
    if (folder.empty())
        return;
    HANDLE change =
        FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (change != INVALID_HANDLE_VALUE)
        change_ = change;
}

SettingsWatcher::~SettingsWatcher()
{
    stopWatching();
}

void SettingsWatcher::stopWatching()
{
    if (change_ != nullptr)
        FindCloseChangeNotification(change_);
    change_ = nullptr;
}

bool SettingsWatcher::stampMoved()
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(toWide(path_).c_str(), GetFileExInfoStandard, &data))
        return true;
    Stamp now;
    now.size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    now.written = data.ftLastWriteTime;
    bool moved = !stamped_ || now.size != stamp_.size
                 || CompareFileTime(&now.written, &stamp_.written) != 0;
    stamp_ = now;
    stamped_ = true;
    return moved;
}

void SettingsWatcher::onFolderChanged()
{
    if (change_ == nullptr)
        return;
    // Other files in the folder, and a save that changed nothing, wake the
    // watch too.
    if (stampMoved()) {
        retriesLeft_ = kRetries;
        readWhenComplete();
    }
    if (!FindNextChangeNotification(change_))
        stopWatching();
}

void SettingsWatcher::readWhenComplete()
{
    if (!settingsFileComplete(path_.c_str())) {
        if (retriesLeft_-- > 0)
            retryAt_ = GetTickCount64() + kRetryMs;
        else
            retryAt_ = 0;
        return;
    }
    retryAt_ = 0;
    // The size and time as read: the program's own writes that follow move
    // them again, and their read then finds nothing that differs.
    stampMoved();
    Settings fresh(path_, FolderSource(), Settings::Writes::Never);
    apply_(fresh);
}

DWORD SettingsWatcher::waitLimit() const
{
    if (retryAt_ == 0)
        return INFINITE;
    ULONGLONG now = GetTickCount64();
    return now >= retryAt_ ? 0 : static_cast<DWORD>(retryAt_ - now);
}

void SettingsWatcher::onTimePassed()
{
    if (retryAt_ != 0 && GetTickCount64() >= retryAt_)
        readWhenComplete();
}

bool settingsFileComplete(const char* path)
{
    const std::wstring file = toWide(path);
    HANDLE opened = CreateFileW(file.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    KernelHandle held(opened);
    WCHAR keys[64] = {};
    for (const wchar_t* section : {L"Options", L"Font", L"Graph"})
        if (GetPrivateProfileStringW(section, nullptr, L"", keys, 64, file.c_str()) == 0)
            return false;
    return true;
}

std::wstring watchedFolder(const std::string& path)
{
    // Drive ("E:") and directory up to the last separator, each within the
    // room the folder ever had (2 and 255 characters). Splitting by hand: the
    // runtime's checked split aborts the process on a too-long part.
    const std::wstring wide = toWide(path);
    const size_t driveLength = wide.size() >= 2 && wide[1] == L':' ? 2 : 0;
    const size_t lastSeparator = wide.find_last_of(L"\\/");
    if (lastSeparator == std::wstring::npos || lastSeparator < driveLength)
        return std::wstring();
    const size_t directoryLength = lastSeparator + 1 - driveLength;
    if (directoryLength > 255 || driveLength + directoryLength + 1 > MAX_PATH)
        return std::wstring();
    return wide.substr(0, driveLength + directoryLength);
}
