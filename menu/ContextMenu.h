// The right-click menu: built once at the first showing, later showings
// only update its check marks; the chosen command runs before it returns.
#pragma once

#include <windows.h>

#include "app/AppState.h"

void ShowContextMenu(AppState& app, bool extended);
