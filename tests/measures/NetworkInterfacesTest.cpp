// The interface list on a played system: with counters, without them (the
// interface table stands in), loopback only.
// The socket headers must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>
#include <pdhmsg.h>

#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "measures/NetworkInterfaces.h"
#include "platform/Utf8.h"

namespace {

struct Interface {
    const wchar_t* description;
    ULONG64 luid;
    ULONG64 in = 0, out = 0;
    IFTYPE type = IF_TYPE_ETHERNET_CSMACD;
    bool filter = false;
    bool down = false;
};

// The system the list runs on.
struct FakeSystem {
    PDH_STATUS enumStatus = ERROR_SUCCESS;
    std::string instances;  // each name with its terminator; the list's end is added
    bool queryOpens = true;
    std::map<std::string, double> values;  // by counter path; a path not here cannot be added
    PDH_STATUS collectStatus = ERROR_SUCCESS;
    int collects = 0;
    std::vector<std::string> added;  // counter handle n is added[n - 1]
    std::vector<std::string> removed;
    bool closed = false;
    bool tableWorks = true;
    std::vector<Interface> table;
    int tablesOut = 0;
    int tablesRead = 0;
    std::map<ULONG64, int> rowsRead;  // by interface
    ULONGLONG now = 1000;
} sys;

PDH_STATUS WINAPI fakeEnum(LPCWSTR, LPCWSTR, LPCWSTR object, LPWSTR counters, LPDWORD counterLength,
                           LPWSTR instances, LPDWORD instanceLength, DWORD, DWORD)
{
    if (sys.enumStatus != ERROR_SUCCESS || std::wstring(object) != L"Network Interface")
        return sys.enumStatus;
    const std::wstring counterList(L"Bytes Sent/sec\0\0", 16);
    // An object without instances fills in nothing at all.
    const std::wstring instanceList = sys.instances.empty() ? L"" : toWide(sys.instances) + L'\0';
    const bool fits = counters != nullptr && *counterLength >= counterList.size()
                      && (instanceList.empty() || instances != nullptr)
                      && *instanceLength >= instanceList.size();
    if (fits) {
        counterList.copy(counters, counterList.size());
        instanceList.copy(instances, instanceList.size());
    }
    *counterLength = static_cast<DWORD>(counterList.size());
    *instanceLength = static_cast<DWORD>(instanceList.size());
    return fits ? ERROR_SUCCESS : PDH_MORE_DATA;
}
PDH_STATUS WINAPI fakeOpen(LPCWSTR, DWORD_PTR, PDH_HQUERY* query)
{
    *query = sys.queryOpens ? &sys : nullptr;
    return sys.queryOpens ? ERROR_SUCCESS : PDH_MEMORY_ALLOCATION_FAILURE;
}
PDH_STATUS WINAPI fakeAdd(PDH_HQUERY, LPCWSTR path, DWORD_PTR, PDH_HCOUNTER* counter)
{
    const std::string text = toUtf8(path);
    if (sys.values.count(text) == 0)
        return PDH_CSTATUS_NO_OBJECT;
    sys.added.push_back(text);
    *counter = reinterpret_cast<PDH_HCOUNTER>(sys.added.size());
    return ERROR_SUCCESS;
}
const std::string& pathOf(PDH_HCOUNTER counter)
{
    return sys.added.at(reinterpret_cast<size_t>(counter) - 1);
}
PDH_STATUS WINAPI fakeRemove(PDH_HCOUNTER counter)
{
    return sys.removed.push_back(pathOf(counter)), 0;
}
PDH_STATUS WINAPI fakeCollect(PDH_HQUERY)
{
    return ++sys.collects, sys.collectStatus;
}
PDH_STATUS WINAPI fakeClose(PDH_HQUERY)
{
    return sys.closed = true, 0;
}
PDH_STATUS WINAPI fakeValue(PDH_HCOUNTER counter, DWORD format, LPDWORD,
                            PDH_FMT_COUNTERVALUE* value)
{
    value->doubleValue = sys.values.at(pathOf(counter));
    return format == PDH_FMT_DOUBLE ? ERROR_SUCCESS : PDH_INVALID_ARGUMENT;
}
DWORD WINAPI fakeTable(MIB_IF_TABLE2** table)
{
    if (!sys.tableWorks)
        return ERROR_NOT_SUPPORTED;
    const size_t rows = sys.table.size();
    auto* made = static_cast<MIB_IF_TABLE2*>(
        std::calloc(1, sizeof(MIB_IF_TABLE2) + (rows + 1) * sizeof(MIB_IF_ROW2)));
    made->NumEntries = static_cast<ULONG>(rows);
    for (size_t i = 0; i < rows; ++i) {
        MIB_IF_ROW2& row = made->Table[i];
        std::wcsncpy(row.Description, sys.table[i].description, IF_MAX_STRING_SIZE);
        row.InterfaceLuid.Value = sys.table[i].luid;
        row.Type = sys.table[i].type;
        row.InterfaceAndOperStatusFlags.FilterInterface = sys.table[i].filter;
        row.OperStatus = sys.table[i].down ? IfOperStatusDown : IfOperStatusUp;
        row.InOctets = sys.table[i].in;
        row.OutOctets = sys.table[i].out;
    }
    *table = made;
    ++sys.tablesOut, ++sys.tablesRead;
    return NO_ERROR;
}
DWORD WINAPI fakeEntry(MIB_IF_ROW2* row)
{
    for (const Interface& known : sys.table)
        if (known.luid == row->InterfaceLuid.Value) {
            ++sys.rowsRead[known.luid];
            row->InOctets = known.in, row->OutOctets = known.out;
            return NO_ERROR;
        }
    return ERROR_FILE_NOT_FOUND;
}
VOID WINAPI fakeFree(PVOID table)
{
    --sys.tablesOut, std::free(table);
}
ULONGLONG WINAPI fakeTicks()
{
    return sys.now;
}

const NetworkSources kFakes{fakeEnum,  fakeOpen,  fakeAdd,   fakeRemove, fakeCollect,
                            fakeClose, fakeValue, fakeTable, fakeFree,   fakeTicks};

std::string sentPath(const std::string& name)
{
    return name.empty() ? "\\RAS Total\\Bytes Transmitted/Sec"
                        : "\\Network Interface(" + name + ")\\Bytes Sent/sec";
}
std::string receivedPath(const std::string& name)
{
    return name.empty() ? "\\RAS Total\\Bytes Received/Sec"
                        : "\\Network Interface(" + name + ")\\Bytes Received/sec";
}

// A system whose counters exist for the dial-up totals and the given names.
FakeSystem withCounters(const std::vector<std::string>& names)
{
    FakeSystem system;
    for (const std::string& name : names) {
        if (!name.empty())
            system.instances += name + '\0';
        system.values[sentPath(name)] = 0;
        system.values[receivedPath(name)] = 0;
    }
    system.values[sentPath("")] = system.values[receivedPath("")] = 0;
    return system;
}

std::vector<std::string> entries(const CNetworkInterfaces& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.entryCount(); ++i)
        names.push_back(list.entryName(i));
    return names;
}

struct NetworkInterfacesTest : ::testing::Test {
    ~NetworkInterfacesTest() override { EXPECT_EQ(sys.tablesOut, 0) << "interface table kept"; }
};

TEST_F(NetworkInterfacesTest, EntriesAreTheDialupTotalsThenEachListedInterface)
{
    const std::vector<Interface> host = {
        {L"Loopback Pseudo-Interface 1", 1, 0, 0, IF_TYPE_SOFTWARE_LOOPBACK},
        {L"Ethernet adapter", 2},
        {L"Ethernet adapter-QoS Packet Scheduler-0000", 3, 0, 0, IF_TYPE_ETHERNET_CSMACD, true},
        {L"Беспроводная сеть", 4}};
    const struct {
        const char* what;
        PDH_STATUS enumStatus;
        std::vector<std::string> instances;
        bool tableWorks;
        std::vector<std::string> expected;  // after "RAS (Dialup)"
    } cases[] = {
        {"loopback only", ERROR_SUCCESS, {"MS TCP Loopback interface"}, true, {}},
        {"loopback in another letter case is an interface",
         ERROR_SUCCESS,
         {"MS TCP loopback interface", "Intel[R] PRO_1000"},
         true,
         {"MS TCP loopback interface", "Intel[R] PRO_1000"}},
        {"an object without instances", ERROR_SUCCESS, {}, true, {}},
        {"counters listed: the table is not asked", ERROR_SUCCESS, {"Realtek"}, true, {"Realtek"}},
        {"names outside any code page",
         ERROR_SUCCESS,
         {"Сеть 2", "以太网 2"},
         true,
         {"Сеть 2", "以太网 2"}},
        {"no counter objects (Wine)",
         LONG(PDH_NOT_IMPLEMENTED),
         {},
         true,
         {"Ethernet adapter", "Беспроводная сеть"}},
        {"damaged counters and no table", LONG(PDH_CSTATUS_NO_OBJECT), {}, false, {}},
    };
    for (const auto& c : cases) {
        sys = withCounters(c.instances);
        sys.enumStatus = c.enumStatus, sys.tableWorks = c.tableWorks, sys.table = host;
        CNetworkInterfaces list(kFakes);

        std::vector<std::string> expected = {"RAS (Dialup)"};
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
        EXPECT_EQ(entries(list), expected) << c.what;
        EXPECT_EQ(list.entryName(list.entryCount()), nullptr) << c.what;
        EXPECT_EQ(list.entryName(-1), nullptr) << c.what;
    }
}

TEST_F(NetworkInterfacesTest, OneQueryHoldsBothCountersOfEveryEntryAndIsReleased)
{
    sys = withCounters({"", "Intel[R] PRO_1000 MT", "以太网 2"});
    {
        CNetworkInterfaces list(kFakes);
        EXPECT_EQ(sys.added,
                  (std::vector<std::string>{
                      "\\RAS Total\\Bytes Transmitted/Sec", "\\RAS Total\\Bytes Received/Sec",
                      "\\Network Interface(Intel[R] PRO_1000 MT)\\Bytes Sent/sec",
                      "\\Network Interface(Intel[R] PRO_1000 MT)\\Bytes Received/sec",
                      "\\Network Interface(以太网 2)\\Bytes Sent/sec",
                      "\\Network Interface(以太网 2)\\Bytes Received/sec"}));
        EXPECT_EQ(sys.collects, 1) << "a first sample to measure the first read against";
    }
    EXPECT_EQ(sys.removed.size(), 6u);
    EXPECT_TRUE(sys.closed);

    // Without counters the table stands in and no query is opened.
    sys = FakeSystem{};
    sys.enumStatus = PDH_NOT_IMPLEMENTED, sys.table = {{L"eth0", 7}};
    {
        CNetworkInterfaces list(kFakes);
    }
    EXPECT_TRUE(sys.added.empty());
    EXPECT_EQ(sys.collects, 0);
    EXPECT_FALSE(sys.closed);
}

TEST_F(NetworkInterfacesTest, ReadsGiveTheEntrysRatesFromTheLastCollection)
{
    const struct {
        const char* what;
        int index;
        bool queryOpens;
        PDH_STATUS collectStatus;
        bool ok;
        double sent, received;  // 7 = left as the caller set it
        int collects;
    } cases[] = {
        {"dial-up totals", 0, true, ERROR_SUCCESS, true, 100, 200, 1},
        {"last interface", 2, true, ERROR_SUCCESS, true, 1600, 10240, 1},
        {"counter that could not be added", 1, true, ERROR_SUCCESS, false, 300, 7, 1},
        {"entry -1", -1, true, ERROR_SUCCESS, false, 7, 7, 1},
        {"entry n + 1", 3, true, ERROR_SUCCESS, false, 7, 7, 1},
        {"collecting fails", 2, true, LONG(PDH_NO_DATA), false, 7, 7, 1},
        {"no query", 2, false, ERROR_SUCCESS, false, 7, 7, 0},
    };
    for (const auto& c : cases) {
        sys = withCounters({"A", "B"});
        sys.values = {{sentPath(""), 100},
                      {receivedPath(""), 200},
                      {sentPath("A"), 300},
                      {sentPath("B"), 1600},
                      {receivedPath("B"), 10240}};
        sys.queryOpens = c.queryOpens;
        CNetworkInterfaces list(kFakes);
        sys.collectStatus = c.collectStatus, sys.collects = 0;
        double sent = 7, received = 7;
        EXPECT_FALSE(list.readRates(c.index, sent, received)) << "nothing collected yet";

        list.collect();
        EXPECT_EQ(list.readRates(c.index, sent, received), c.ok) << c.what;
        EXPECT_EQ(sent, c.sent) << c.what;
        EXPECT_EQ(received, c.received) << c.what;
        EXPECT_EQ(sys.collects, c.collects) << c.what;
    }
}

TEST_F(NetworkInterfacesTest, WithoutCountersRatesComeFromTheOctetsSinceThePreviousRead)
{
    sys = FakeSystem{};
    sys.enumStatus = PDH_NOT_IMPLEMENTED;
    sys.table = {{L"lo", 1, 0, 0, IF_TYPE_SOFTWARE_LOOPBACK}, {L"eth0", 2}, {L"wlan0", 3}};
    CNetworkInterfaces list(kFakes);
    ASSERT_EQ(list.entryCount(), 3);

    // Each step: whether a round starts with a collection, the time and octets
    // (eth0 in/out, wlan0 in/out; -1 = gone), the read.
    const struct {
        const char* what;
        bool collect;
        ULONGLONG now;
        long long ethIn, ethOut, wlanIn, wlanOut;
        int index;
        bool ok;
        double sent, received;
    } steps[] = {
        {"no time since start-up", true, 1000, 0, 0, 0, 0, 1, false, 7, 7},
        {"two seconds later", true, 3000, 20480, 3200, 0, 0, 1, true, 1600, 10240},
        {"same round, next entry", false, 3040, 20480, 3200, 2048, 4096, 2, true, 0, 0},
        {"no dial-up totals", false, 4000, 20480, 3200, 2048, 4096, 0, false, 7, 7},
        {"two seconds on", true, 5000, 30720, 3200, 4096, 4096, 1, true, 0, 5120},
        {"an interface that went away", true, 6000, 30720, 3200, -1, -1, 2, false, 7, 7},
        {"counters reset", true, 7000, 10, 10, 0, 0, 1, false, 7, 7},
        {"measured again after the reset", true, 8000, 1034, 10, 0, 0, 1, true, 0, 1024},
        {"read again in the round", false, 8000, 5000, 10, 0, 0, 1, true, 0, 1024},
    };
    for (const auto& s : steps) {
        sys.now = s.now;
        sys.table.resize(2);
        sys.table[1].in = static_cast<ULONG64>(s.ethIn);
        sys.table[1].out = static_cast<ULONG64>(s.ethOut);
        if (s.wlanIn >= 0)
            sys.table.push_back(
                {L"wlan0", 3, static_cast<ULONG64>(s.wlanIn), static_cast<ULONG64>(s.wlanOut)});
        if (s.collect)
            list.collect();
        double sent = 7, received = 7;
        EXPECT_EQ(list.readRates(s.index, sent, received), s.ok) << s.what;
        EXPECT_EQ(sent, s.sent) << s.what;
        EXPECT_EQ(received, s.received) << s.what;
    }
}

// A chosen interface is sampled from its own row, each over the time since
// its own last reading; the whole table is not read again.
TEST_F(NetworkInterfacesTest, OneInterfaceIsSampledFromItsRowAlone)
{
    sys = FakeSystem{};
    sys.enumStatus = PDH_NOT_IMPLEMENTED;
    sys.table = {{L"eth0", 2}, {L"wlan0", 3}};
    NetworkSources sources = kFakes;
    sources.interfaceEntry = fakeEntry;
    CNetworkInterfaces list(sources);
    sys.tablesRead = 0;
    const struct {
        const char* what;
        ULONGLONG now;
        long long ethIn;  // -1: gone
        ULONG64 wlanIn;
        int collected, read;  // entries: 1 eth0, 2 wlan0; 0 collects nothing
        bool ok;
        double received;
    } steps[] = {
        {"a second after start-up", 2000, 2048, 0, 1, 1, true, 2048},
        {"the next second", 3000, 3072, 0, 1, 1, true, 1024},
        {"another interface, not sampled since start-up", 3000, 3072, 512, 0, 2, false, 7},
        {"sampled, over the time since start-up", 5000, 3072, 8192, 2, 2, true, 2048},
        {"gone", 6000, -1, 8192, 1, 1, false, 7},
    };
    for (const auto& s : steps) {
        sys.now = s.now;
        sys.table = {{L"eth0", s.ethIn < 0 ? 0u : 2u, static_cast<ULONG64>(s.ethIn)},
                     {L"wlan0", 3, s.wlanIn}};
        if (s.collected != 0)
            list.collect(s.collected);
        double sent = 7, received = 7;
        EXPECT_EQ(list.readRates(s.read, sent, received), s.ok) << s.what;
        EXPECT_EQ(received, s.received) << s.what;
    }
    EXPECT_EQ(sys.tablesRead, 0);
}

// Until an entry is chosen, every entry is sampled from the rows of the live
// interfaces; the whole table, every tenth sample, measures one that came up
// over the time since the table before.
TEST_F(NetworkInterfacesTest, SearchSamplesLiveRowsAndTheWholeTableNowAndThen)
{
    sys = FakeSystem{};
    sys.enumStatus = PDH_NOT_IMPLEMENTED;
    sys.table = {{L"eth0", 2}, {L"wlan0", 3, 0, 0, IF_TYPE_IEEE80211, false, true}};
    NetworkSources sources = kFakes;
    sources.interfaceEntry = fakeEntry;
    CNetworkInterfaces list(sources);
    sys.tablesRead = 0;
    for (int second = 1; second <= 11; ++second) {
        sys.now = 1000 + 1000 * static_cast<ULONGLONG>(second);
        sys.table[0].in = 1024 * static_cast<ULONG64>(second);
        if (second == 5)
            sys.table[1].down = false;
        if (second == 10)
            sys.table[1].in = 10240;
        list.collect();
        double sent = 0, received = 0;
        EXPECT_TRUE(list.readRates(1, sent, received)) << second;
        EXPECT_EQ(received, 1024) << second;
        received = 7;
        EXPECT_EQ(list.readRates(2, sent, received), second >= 10) << second;
        EXPECT_EQ(received, second == 10 ? 1024 : second == 11 ? 0 : 7) << second;
    }
    EXPECT_EQ(sys.tablesRead, 1);
    EXPECT_EQ(sys.rowsRead[2], 10);
    EXPECT_EQ(sys.rowsRead[3], 1);
}

}  // namespace
