// The window's DPI, and the display font created for it.
#include "display/DpiScaling.h"

#include "platform/GdiGuards.h"
#include "platform/SystemLibrary.h"

int WindowDpi(HWND window)
{
    // Only newer systems know a DPI per window; older ones must still start.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        EntryPoint<GetDpiForWindowFunction>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    ScreenDC screen;
    int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBaseDpi;
}

HFONT CreateDisplayFont(const LOGFONTW& description, int pointSize, int dpi)
{
    // The description's face name need not be terminated.
    WCHAR face[LF_FACESIZE] = {};
    lstrcpynW(face, description.lfFaceName, LF_FACESIZE);
    return CreateFontW(scaleForDpi(pointSize, dpi), 0, 0, 0, description.lfWeight,
                       description.lfItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}
