// "Change Font...": the font dialog with a working Apply. Cancel puts back
// what was in force when the dialog opened, in memory and in the file.
#include "menu/FontChooser.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "display/Stacking.h"
#include "platform/Messages.h"
#include "platform/Utf8.h"
#include "settings/Settings.h"

namespace {

// The hook has no parameter for the program's state: the dialog carries it
// from WM_INITDIALOG on, as a window property.
constexpr WCHAR kAppProperty[] = L"Dashvane.FontChooser";

bool sameFace(const WCHAR* a, const WCHAR* b)
{
    return std::wcsncmp(a, b, LF_FACESIZE) == 0;
}

bool sameShape(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic
           && sameFace(a.lfFaceName, b.lfFaceName);
}

// A DPI that could not be measured must not turn every size into -1.
int knownDpi(int screenDpi)
{
    return screenDpi > 0 ? screenDpi : 96;
}

int pointSizeFor(LONG height, int screenDpi)
{
    return -MulDiv(height, 72, knownDpi(screenDpi));
}

// The dialog keeps to the bounds only where the user types a size and
// presses OK; a size from Apply, or from a dialog that ignores the limit,
// is brought within them here.
LOGFONTW withinSizeBounds(LOGFONTW font, int screenDpi)
{
    const int points = pointSizeFor(font.lfHeight, screenDpi);
    const int bounded = std::clamp(points, kMinFontPoints, kMaxFontPoints);
    if (bounded != points)
        font.lfHeight = -MulDiv(bounded, knownDpi(screenDpi), 72);
    return font;
}

void onApply(HWND dialog, AppState& app)
{
    LOGFONTW font{};
    SendMessageW(dialog, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&font));
    ApplyTextFont(app, font);

    LRESULT selection = SendDlgItemMessageW(dialog, cmb4, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR) {
        LRESULT colour =
            SendDlgItemMessageW(dialog, cmb4, CB_GETITEMDATA, static_cast<WPARAM>(selection), 0);
        if (colour != CB_ERR)
            ApplyFontColour(app, static_cast<COLORREF>(colour));
    }
    PostMessageW(app.mainWindow, WM_RELAYOUT, 0, 0);
}

}  // namespace

bool ChooseTextFont(AppState& app, FontDialogFunction dialog)
{
    if (app.chooserOpen)
        return false;
    Settings& settings = *app.settings;
    const LOGFONTW snapshot = settings.font;
    const COLORREF snapshotColour = settings.fontColour;
    LOGFONTW working = settings.font;
    app.chooserOpen = true;

    KeepAtBottom(app.mainWindow, settings);

    CHOOSEFONTW choice{};
    choice.lStructSize = sizeof choice;
    // Owned by the desktop, not the overlay, so the overlay stays enabled
    // and keeps painting while the dialog is open.
    choice.hwndOwner = GetDesktopWindow();
    choice.lpLogFont = &working;
    choice.Flags = CF_SCREENFONTS | CF_ENABLEHOOK | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_APPLY
                   | CF_LIMITSIZE;
    choice.nSizeMin = kMinFontPoints;
    choice.nSizeMax = kMaxFontPoints;
    choice.rgbColors = settings.fontColour;
    choice.lCustData = reinterpret_cast<LPARAM>(&app);
    choice.lpfnHook = FontDialogHook;

    bool relayout = false;
    if (dialog(&choice)) {
        const LOGFONTW chosen = withinSizeBounds(working, settings.screenDpi);
        if (!sameShape(chosen, settings.font)) {
            ApplyTextFont(app, chosen);
            relayout = true;
        }
        // A colour alone changes no size, so it calls for no re-layout.
        ApplyFontColour(app, choice.rgbColors);
    } else if (std::memcmp(&settings.font, &snapshot, sizeof snapshot) != 0
               || settings.fontColour != snapshotColour) {
        // Undoes whatever Apply made current while the dialog was open.
        ApplyTextFont(app, snapshot);
        ApplyFontColour(app, snapshotColour);
        relayout = true;
    }
    app.chooserOpen = false;
    return relayout;
}

UINT_PTR CALLBACK FontDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        EnableWindow(GetDlgItem(dialog, chx1), FALSE);
        EnableWindow(GetDlgItem(dialog, chx2), FALSE);
        const auto* choice = reinterpret_cast<const CHOOSEFONTW*>(lParam);
        if (choice != nullptr && choice->lCustData != 0)
            SetPropW(dialog, kAppProperty, reinterpret_cast<HANDLE>(choice->lCustData));
        break;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == psh3) {
            auto* app = static_cast<AppState*>(GetPropW(dialog, kAppProperty));
            if (app != nullptr)
                onApply(dialog, *app);
        }
        break;
    case WM_DESTROY:
        RemovePropW(dialog, kAppProperty);
        break;
    default:
        break;
    }
    // Zero lets the dialog's own processing carry on for every message.
    return 0;
}

void ApplyTextFont(AppState& app, const LOGFONTW& chosen)
{
    Settings& settings = *app.settings;
    const LOGFONTW font = withinSizeBounds(chosen, settings.screenDpi);
    settings.fontPointSize = pointSizeFor(font.lfHeight, settings.screenDpi);

    // The face name need not be terminated.
    WCHAR face[LF_FACESIZE] = {};
    lstrcpynW(face, font.lfFaceName, LF_FACESIZE);

    // Only what changed is written, compared with the values still in force.
    if (!sameFace(face, settings.font.lfFaceName))
        settings.writeString("Font", "Name", toUtf8(face).c_str());
    if (font.lfHeight != settings.font.lfHeight)
        settings.writeInt("Font", "Point", settings.fontPointSize);
    if (font.lfWeight != settings.font.lfWeight)
        settings.writeLong("Font", "Weight", font.lfWeight);
    if (font.lfItalic != settings.font.lfItalic)
        settings.writeString("Font", "Italic", font.lfItalic ? "Yes" : "No");
    settings.font = font;
    // The stored point size means the same at every DPI; the font is made
    // for the DPI the picture is drawn at.
    RemakeDisplayFont(app);
}

void ApplyFontColour(AppState& app, COLORREF colour)
{
    Settings& settings = *app.settings;
    if (colour == settings.fontColour)
        return;
    settings.writeColour("Font", "RGBColour", colour);
    settings.setFontColour(colour);
}
