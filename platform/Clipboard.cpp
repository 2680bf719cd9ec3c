// Puts text on the clipboard as CF_TEXT.
#include "platform/Clipboard.h"

#include <cstring>

void CopyValuesToClipboard(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (block != nullptr) {
        void* data = GlobalLock(block);
        if (data != nullptr) {
            std::memcpy(data, text.c_str(), text.size() + 1);
            GlobalUnlock(block);
            // Once set, the block belongs to the clipboard.
            if (SetClipboardData(CF_TEXT, block) != nullptr)
                block = nullptr;
        }
        if (block != nullptr)
            GlobalFree(block);
    }
    CloseClipboard();
}
