// Puts text on the clipboard as CF_UNICODETEXT; Windows makes the narrow
// forms from it for programs that ask for those.
#include "platform/Clipboard.h"

#include <cstring>

#include "platform/Utf8.h"

void CopyValuesToClipboard(HWND owner, const std::string& text)
{
    const std::wstring wide = toWide(text);
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block != nullptr) {
        void* data = GlobalLock(block);
        if (data != nullptr) {
            std::memcpy(data, wide.c_str(), bytes);
            GlobalUnlock(block);
            // Once set, the block belongs to the clipboard.
            if (SetClipboardData(CF_UNICODETEXT, block) != nullptr)
                block = nullptr;
        }
        if (block != nullptr)
            GlobalFree(block);
    }
    CloseClipboard();
}
