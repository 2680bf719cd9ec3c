// The user and domain items.
#include "measures/Measure_Account.h"

Measure_User::Measure_User(ItemHost& host, Settings& settings, const AccountInfo& account)
    : Measure(host, settings, "User"), account_(&account)
{
    update();
    resetTimer(false);
}

void Measure_User::update()
{
    value = account_->UserName();
}

Measure_Domain::Measure_Domain(ItemHost& host, Settings& settings, AccountInfo& account)
    : Measure(host, settings, "Domain"), account_(&account)
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
        host.requestRelayout();
    }
    value = domain;
}
