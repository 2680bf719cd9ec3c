// Who is logged on, and the domain or workgroup the machine belongs to:
// resolved once at start-up for the user and domain items.
#pragma once

#include <windows.h>

#include <lm.h>

#include <string>

#include "platform/SystemLibrary.h"

// The operating-system calls the lookup makes, replaceable so a test can play
// a domain member, a workgroup machine or a failure. Each defaults to the real call.
struct AccountSources {
    decltype(&OpenThreadToken) openThreadToken = OpenThreadToken;
    decltype(&OpenProcessToken) openProcessToken = OpenProcessToken;
    decltype(&GetTokenInformation) getTokenInformation = GetTokenInformation;
    decltype(&CloseHandle) closeHandle = CloseHandle;
    decltype(&LookupAccountSidW) lookupAccountSid = LookupAccountSidW;
    decltype(&NetGetDCName) netGetDCName = Loaded::NetGetDCName;
    // Level 102 only: the block is a WKSTA_INFO_102.
    decltype(&NetWkstaGetInfo) netWkstaGetInfo = Loaded::NetWkstaGetInfo;
    decltype(&NetApiBufferFree) netApiBufferFree = Loaded::NetApiBufferFree;
};

class AccountInfo {
public:
    explicit AccountInfo(const AccountSources& sources = AccountSources());
    AccountInfo(const AccountInfo&) = delete;
    AccountInfo& operator=(const AccountInfo&) = delete;

    void Refresh();
    const std::string& UserName() const { return userName_; }
    // Looks again while the name is still unknown.
    const std::string& DomainName();
    bool IsDomainMember() const { return domainMember_; }

private:
    AccountSources sources_;
    std::string userName_;
    std::string domainName_;
    // Cleared once the machine turns out to be in a workgroup; never set again.
    bool domainMember_ = true;
};
