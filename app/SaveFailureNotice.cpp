// The message box for settings that cannot be saved.
#include "app/SaveFailureNotice.h"

#include <windows.h>

#include <memory>
#include <string>

#include "app/ErrorMessage.h"
#include "platform/KernelHandle.h"
#include "platform/Utf8.h"

namespace {

DWORD WINAPI showNotice(void* parameter)
{
    std::unique_ptr<std::string> text(static_cast<std::string*>(parameter));
    MessageBoxW(nullptr, toWide(*text).c_str(), kErrorCaption, MB_ICONWARNING);
    return 0;
}

}  // namespace

void SaveFailureNotice::settingsNotSaved(const char* path)
{
    auto text =
        std::make_unique<std::string>(std::string("Settings cannot be saved to\n") + path
                                      + "\n\nChanges stay in effect until the program ends.");
    // Without a thread the change is still used; only the notice is lost.
    KernelHandle thread(CreateThread(nullptr, 0, showNotice, text.get(), 0, nullptr));
    if (thread != nullptr)
        text.release();
}
