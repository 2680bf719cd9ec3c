// "User" and "Domain": who is logged on and the domain or workgroup of the
// machine, both read once from AccountInfo at start-up.
#pragma once

#include "measures/AccountInfo.h"
#include "measures/Measure.h"

class Measure_User : public Measure {
public:
    Measure_User(ItemHost& host, Settings& settings, const AccountInfo& account);
    void update() override;

private:
    const AccountInfo* account_;
};

// Labelled "Workgroup" on a workgroup machine; its display flag stays under "Domain".
class Measure_Domain : public Measure {
public:
    // Not const: a still unknown domain name is looked up again on reading.
    Measure_Domain(ItemHost& host, Settings& settings, AccountInfo& account);
    void update() override;

private:
    AccountInfo* account_;
};
