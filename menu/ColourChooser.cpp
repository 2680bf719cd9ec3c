// "Change Text Color..." and "Change Graph Color...": the colour dialog.
#include "menu/ColourChooser.h"

#include "settings/Settings.h"

namespace {

// The colours the user defines in the dialog live as long as the program
// does, so they are there again at the next opening; they are never stored.
COLORREF customColours[16] = {};

// True with a colour other than current chosen and OK pressed.
bool chooseColour(AppState& app, ColourDialogFunction dialog, COLORREF current, COLORREF& chosen)
{
    if (app.chooserOpen)
        return false;
    app.chooserOpen = true;
    CHOOSECOLORW choice{};
    choice.lStructSize = sizeof choice;
    choice.rgbResult = current;
    choice.lpCustColors = customColours;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    const bool changed = dialog(&choice) && choice.rgbResult != current;
    app.chooserOpen = false;
    chosen = choice.rgbResult;
    return changed;
}

}  // namespace

void ChooseGraphColour(AppState& app, ColourDialogFunction dialog)
{
    Settings& settings = *app.settings;
    COLORREF chosen = 0;
    if (chooseColour(app, dialog, settings.graphColour, chosen)) {
        settings.writeColour("Graph", "RGBColour", chosen);
        settings.setGraphColour(chosen);
    }
}

bool ChooseTextColour(AppState& app, ColourDialogFunction dialog)
{
    Settings& settings = *app.settings;
    COLORREF chosen = 0;
    if (!chooseColour(app, dialog, settings.fontColour, chosen))
        return false;
    settings.writeColour("Font", "RGBColour", chosen);
    settings.setFontColour(chosen);
    return true;
}
