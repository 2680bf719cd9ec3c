// Launching through the shell.
#include "platform/Launch.h"

#include <memory>

#include "platform/Utf8.h"

namespace {

std::string folderOf(UINT(WINAPI* ask)(LPWSTR, UINT))
{
    WCHAR folder[MAX_PATH] = {};
    UINT length = ask(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string()
                                             : toUtf8(std::wstring_view(folder, length));
}

// What a launch thread needs, its own to free: the window's objects may be
// gone before it ends.
struct LaunchJob {
    ShellExecuteFunction execute;
    std::wstring target;
};

DWORD WINAPI launchOffTheUiThread(void* parameter)
{
    std::unique_ptr<LaunchJob> job(static_cast<LaunchJob*>(parameter));
    // The shell's execute call wants an apartment on the thread that makes it.
    Loaded::EnterComApartment();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // NOASYNC: the thread ends right after the call, so the shell must finish
    // its work (a DDE conversation, say) before it returns. No owner window:
    // one of the UI thread would tie the two threads' input together.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = job->target.c_str();
    info.nShow = SW_SHOWNORMAL;
    job->execute(&info);
    Loaded::LeaveComApartment();
    return 0;
}

}  // namespace

Launches::~Launches()
{
    constexpr ULONGLONG kExitWaitMs = 2000;
    const ULONGLONG end = GetTickCount64() + kExitWaitMs;
    for (const KernelHandle& thread : running_) {
        const ULONGLONG now = GetTickCount64();
        WaitForSingleObject(thread.get(), now < end ? static_cast<DWORD>(end - now) : 0);
    }
}

bool Launches::start(const char* target)
{
    for (auto thread = running_.begin(); thread != running_.end();)
        thread = WaitForSingleObject(thread->get(), 0) == WAIT_OBJECT_0 ? running_.erase(thread)
                                                                        : thread + 1;
    auto job = std::make_unique<LaunchJob>(LaunchJob{execute, toWide(target)});
    KernelHandle thread(CreateThread(nullptr, 0, launchOffTheUiThread, job.get(), 0, nullptr));
    if (thread == nullptr)
        return false;
    job.release();
    running_.push_back(std::move(thread));
    return true;
}

SystemFolders SystemFolders::system()
{
    using Wow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
    return {GetSystemDirectoryW, GetWindowsDirectoryW,
            EntryPoint<Wow64Function>(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")};
}

std::string TaskManagerPath(const SystemFolders& folders)
{
    // A 32-bit program on 64-bit Windows sees the 32-bit system folder under
    // the system folder's name; "Sysnative" is its way to the native one.
    BOOL wow64 = FALSE;
    if (folders.isWow64 != nullptr && folders.isWow64(GetCurrentProcess(), &wow64) && wow64) {
        std::string windows = folderOf(folders.windowsDirectory);
        return windows.empty() ? windows : windows + "\\Sysnative\\taskmgr.exe";
    }
    std::string system = folderOf(folders.systemDirectory);
    return system.empty() ? system : system + "\\taskmgr.exe";
}
