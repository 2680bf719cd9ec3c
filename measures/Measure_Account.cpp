// The user and domain items.
#include "measures/Measure_Account.h"

#include "platform/Messages.h"

Measure_User::Measure_User(AppState& app, Settings& settings, const AccountInfo& account)
    : Measure(app, settings, "User"), account_(&account)
{
    update();
    resetTimer(false);
}

void Measure_User::update()
{
    value = account_->UserName();
}

Measure_Domain::Measure_Domain(AppState& app, Settings& settings, AccountInfo& account)
    : Measure(app, settings, "Domain"), account_(&account)
{
    update();
    resetTimer(false);
}

void Measure_Domain::update()
{
    std::string domain = account_->DomainName();
    if (!account_->IsDomainMember()) {
        name_ = "Workgroup";
        // The longer label widens the label column.
        PostMessageA(mainWindow, WM_RELAYOUT, 0, 0);
    }
    value = domain;
}
