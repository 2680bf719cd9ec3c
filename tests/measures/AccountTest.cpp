// The user and domain items over a played domain member, workgroup machine and
// failures, and over the real account of the Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "measures/Measure_Account.h"
#include "platform/Utf8.h"
#include "support/FakeMeasure.h"
#include "support/IniFile.h"

namespace {

enum class ThreadToken { Own, None, Denied };

struct Machine {
    ThreadToken threadToken = ThreadToken::None;
    bool processToken = true;
    bool tokenUser = true;
    bool lookup = true;
    const wchar_t* domain = L"CORP";
    NET_API_STATUS controller = NERR_Success;
    NET_API_STATUS workstation = NERR_Success;
    const wchar_t* group = L"HOMEGROUP";
    const wchar_t* user = L"ann";
};

Machine machine;
int tokensOpen = 0, netBuffersOpen = 0, controllerQueries = 0;
SID fakeSid{};
HANDLE const kToken = reinterpret_cast<HANDLE>(0x5A5A);

BOOL WINAPI openThreadToken(HANDLE, DWORD, BOOL, PHANDLE token)
{
    if (machine.threadToken != ThreadToken::Own) {
        bool impersonating = machine.threadToken == ThreadToken::Denied;
        SetLastError(impersonating ? ERROR_ACCESS_DENIED : ERROR_NO_TOKEN);
        return FALSE;
    }
    ++tokensOpen, *token = kToken;
    return TRUE;
}
BOOL WINAPI openProcessToken(HANDLE, DWORD, PHANDLE token)
{
    if (!machine.processToken)
        return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    ++tokensOpen, *token = kToken;
    return TRUE;
}
BOOL WINAPI tokenInformation(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID block, DWORD size,
                             PDWORD needed)
{
    if (!machine.tokenUser)
        return SetLastError(ERROR_ACCESS_DENIED), FALSE;
    *needed = sizeof(TOKEN_USER);
    if (block == nullptr || size < sizeof(TOKEN_USER))
        return SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
    static_cast<TOKEN_USER*>(block)->User.Sid = &fakeSid;
    return TRUE;
}
BOOL WINAPI closeHandle(HANDLE handle)
{
    tokensOpen -= handle == kToken;
    return TRUE;
}
BOOL WINAPI lookupAccountSid(LPCWSTR, PSID sid, LPWSTR name, LPDWORD nameSize, LPWSTR domain,
                             LPDWORD domainSize, PSID_NAME_USE)
{
    if (sid != &fakeSid)
        return FALSE;
    // A failed lookup leaving part of a name behind, as one short of room may.
    lstrcpynW(name, machine.lookup ? machine.user : L"an", static_cast<int>(*nameSize));
    lstrcpynW(domain, machine.lookup ? machine.domain : L"CO", static_cast<int>(*domainSize));
    return machine.lookup ? TRUE : (SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE);
}
LPBYTE netBuffer(size_t bytes)
{
    ++netBuffersOpen;
    return static_cast<LPBYTE>(::operator new(bytes));
}
NET_API_STATUS WINAPI netApiBufferFree(LPVOID buffer)
{
    --netBuffersOpen;
    ::operator delete(buffer);
    return NERR_Success;
}
NET_API_STATUS WINAPI netGetDCName(LPCWSTR, LPCWSTR, LPBYTE* controller)
{
    ++controllerQueries;
    if (machine.controller == NERR_Success)
        *controller = netBuffer(32);
    return machine.controller;
}
NET_API_STATUS WINAPI netWkstaGetInfo(LMSTR, DWORD level, LPBYTE* block)
{
    if (machine.workstation != NERR_Success || level != 102)
        return machine.workstation;
    *block = netBuffer(sizeof(WKSTA_INFO_102));
    auto* info = new (*block) WKSTA_INFO_102{};
    info->wki102_langroup = const_cast<LMSTR>(machine.group);
    return NERR_Success;
}

const AccountSources fakeSources{openThreadToken, openProcessToken, tokenInformation,
                                 closeHandle,     lookupAccountSid, netGetDCName,
                                 netWkstaGetInfo, netApiBufferFree};

using AccountTest = ItemTest;

TEST_F(AccountTest, ItemsShowTheAccountAndTheDomainOrWorkgroup)
{
    const NET_API_STATUS none = 2453, denied = ERROR_ACCESS_DENIED;  // 2453: no controller
    const ThreadToken own = ThreadToken::Own, no = ThreadToken::None, refused = ThreadToken::Denied;
    const wchar_t* group = L"HOMEGROUP";
    const bool ok = true, fails = false;
    struct Row {
        const char* what;
        Machine machine;  // thread token, process token, token user, lookup, account domain,
                          // controller, workstation, LAN group, user
        const char *user, *label, *value;
    } rows[] = {
        {"domain member", {no, ok, ok, ok, L"CORP", 0, 0, group}, "ann", "Domain", "CORP"},
        {"local account on a domain machine",
         {no, ok, ok, ok, L"BOX-7", 0, 0, group},
         "ann",
         "Domain",
         "BOX-7"},
        {"impersonating thread",
         {own, fails, ok, ok, L"CORP", 0, 0, group},
         "ann",
         "Domain",
         "CORP"},
        {"workgroup", {no, ok, ok, ok, L"BOX-7", none, 0, group}, "ann", "Workgroup", "HOMEGROUP"},
        {"workgroup, lookup failed",
         {no, ok, ok, fails, L"BOX-7", none, 0, group},
         "",
         "Workgroup",
         "HOMEGROUP"},
        {"workgroup, no workstation information",
         {no, ok, ok, ok, L"BOX-7", none, denied, group},
         "ann",
         "Domain",
         ""},
        {"workgroup without a group name",
         {no, ok, ok, ok, L"BOX-7", none, 0, nullptr},
         "ann",
         "Workgroup",
         ""},
        {"names outside any code page",
         {no, ok, ok, ok, L"ŁÓDŹ-SPÓŁKA", 0, 0, group, L"дима"},
         "дима",
         "Domain",
         "ŁÓDŹ-SPÓŁKA"},
        {"workgroup outside any code page",
         {no, ok, ok, ok, L"BOX-7", none, 0, L"以太工作组"},
         "ann",
         "Workgroup",
         "以太工作组"},
        {"thread token refused", {refused, ok, ok, ok, L"CORP", 0, 0, group}, "", "Domain", ""},
        {"no process token", {no, fails, ok, ok, L"CORP", 0, 0, group}, "", "Domain", ""},
        {"no token user", {no, ok, fails, ok, L"CORP", 0, 0, group}, "", "Domain", ""},
        {"lookup failed", {no, ok, ok, fails, L"CORP", 0, 0, group}, "", "Domain", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        machine = row.machine;
        tokensOpen = netBuffersOpen = 0;
        int relayoutsBefore = host.relayouts;
        AccountInfo account(fakeSources);
        Measure_User user(host, settings, account);
        Measure_Domain domain(host, settings, account);
        EXPECT_EQ(user.valueText(), row.user);
        EXPECT_EQ(domain.name(), row.label);
        EXPECT_EQ(domain.valueText(), row.value);
        EXPECT_EQ(account.IsDomainMember(), domain.name() == "Domain");
        EXPECT_EQ(host.relayouts - relayoutsBefore, domain.name() == "Workgroup" ? 1 : 0);
        EXPECT_FALSE(user.hasTimer() || domain.hasTimer());
        EXPECT_EQ(tokensOpen, 0);
        EXPECT_EQ(netBuffersOpen, 0);
    }
}

TEST_F(AccountTest, UnknownDomainIsLookedUpAgainOnlyWhileEmpty)
{
    machine = Machine{};
    machine.lookup = false;
    AccountInfo account(fakeSources);
    Measure_User user(host, settings, account);
    machine.lookup = true;  // the account becomes readable before the domain item asks
    controllerQueries = 0;
    Measure_Domain domain(host, settings, account);
    EXPECT_EQ(user.valueText(), "");
    EXPECT_EQ(domain.valueText(), "CORP");
    EXPECT_EQ(account.DomainName(), "CORP");
    EXPECT_EQ(controllerQueries, 1);
}

TEST_F(AccountTest, WorkgroupLabelKeepsTheDisplayFlagUnderDomain)
{
    const struct {
        const char* file;
        bool shown;
    } rows[] = {{"", true}, {"[DisplayItems]\r\nDomain=No\r\n", false}};
    for (const auto& row : rows) {
        writeTextFile(path, row.file);
        Settings fresh(path);
        machine = Machine{};
        machine.controller = 2453;
        AccountInfo account(fakeSources);
        Measure_Domain domain(host, fresh, account);
        ASSERT_EQ(domain.name(), "Workgroup");
        EXPECT_EQ(domain.isShown(), row.shown);
        domain.setShown(!row.shown, false);
        EXPECT_EQ(iniValue(path, "DisplayItems", "Domain"), row.shown ? "No" : "Yes");
        domain.setShown(row.shown, false);
        EXPECT_EQ(iniValue(path, "DisplayItems", "Domain"), row.shown ? "Yes" : "No");
        EXPECT_EQ(iniValue(path, "DisplayItems", "Workgroup"), "<missing>");
    }
}

TEST_F(AccountTest, RealSourcesGiveTheWineUserAndTheComputerAsWorkgroup)
{
    WCHAR user[257] = {}, computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD userSize = 257, computerSize = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetUserNameW(user, &userSize));
    ASSERT_TRUE(GetComputerNameW(computer, &computerSize));
    AccountInfo account;
    Measure_User userItem(host, settings, account);
    Measure_Domain domainItem(host, settings, account);
    EXPECT_NE(userItem.valueText(), "");
    EXPECT_EQ(userItem.valueText(), toUtf8(user));
    EXPECT_EQ(domainItem.name(), "Workgroup");
    EXPECT_EQ(domainItem.valueText(), toUtf8(computer));
}

}  // namespace
