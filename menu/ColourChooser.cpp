// "Change Graph Color...": the colour dialog for the bars behind the items.
#include "menu/ColourChooser.h"

#include "settings/Settings.h"

namespace {

// The colours the user defines in the dialog live as long as the program
// does, so they are there again at the next opening; they are never stored.
COLORREF customColours[16] = {};

}  // namespace

void ChooseGraphColour(AppState& app, ColourDialogFunction dialog)
{
    if (app.chooserOpen)
        return;
    app.chooserOpen = true;
    Settings& settings = *app.settings;

    CHOOSECOLORA choice{};
    choice.lStructSize = sizeof choice;
    choice.rgbResult = settings.graphColour;
    choice.lpCustColors = customColours;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;

    if (dialog(&choice) && choice.rgbResult != settings.graphColour) {
        settings.writeColour("Graph", "RGBColour", choice.rgbResult);
        settings.setGraphColour(choice.rgbResult);
    }
    app.chooserOpen = false;
}
