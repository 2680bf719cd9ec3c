// The right-click menu: built once at the first showing, later showings
// only update its check marks; the chosen command runs before it returns.
#pragma once

#include <windows.h>

#include "display/AppState.h"
#include "menu/Commands.h"

class Measure_Drive;
class Measure_Network;

// The menu tree and the two items it reads. The program keeps one for the
// whole run; a test builds its own and walks it from root().
class ContextMenu {
public:
    ContextMenu() = default;
    ~ContextMenu();
    ContextMenu(const ContextMenu&) = delete;
    ContextMenu& operator=(const ContextMenu&) = delete;

    // Everything before the showing: builds the tree the first time, brings
    // the check and grey states up to date after that, and adds the extended
    // entries ("Ini File..." after a separator at the end of Options).
    void prepare(AppState& app, bool extended);
    // Everything after it: takes the extended entries out again.
    void finish(bool extended);

    // nullptr until the first prepare.
    HMENU root() const { return root_; }

private:
    void build(AppState& app);
    void update(AppState& app);
    void appendInterfaces();
    void checkInterfaces();

    HMENU root_ = nullptr;
    HMENU options_ = nullptr;
    HMENU interfaces_ = nullptr;
    HMENU position_ = nullptr;
    HMENU graphColour_ = nullptr;
    Measure_Drive* drive_ = nullptr;
    Measure_Network* network_ = nullptr;
};

// Shows the program's menu (app.contextMenu) at the cursor and runs the
// chosen command.
// extended: Ctrl was down when the right button was released.
void ShowContextMenu(AppState& app, bool extended, const CommandHooks& hooks = CommandHooks());
// The same with a menu of the caller's.
void ShowContextMenu(AppState& app, ContextMenu& menu, bool extended,
                     const CommandHooks& hooks = CommandHooks());
