// The interface list and its rates: performance counters where the system has
// them, the IP helper's interface table where it cannot list them.
// The socket headers must come before windows.h, which pdh.h brings.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "measures/NetworkInterfaces.h"

#include <cwchar>
#include <memory>
#include <new>

#include "platform/Utf8.h"

namespace {

const char kDialupName[] = "RAS (Dialup)";
// The counter system's own name for loopback on older systems; compared
// byte-wise, so a differently cased name is a real interface.
const wchar_t kLoopbackInstance[] = L"MS TCP Loopback interface";
const wchar_t kCounterObject[] = L"Network Interface";

// A description fills its fixed field; it is read only within it.
template <size_t Size>
std::string fieldText(const WCHAR (&text)[Size])
{
    return toUtf8(std::wstring_view(text, wcsnlen(text, Size)));
}

// A table row the user would call an interface: not loopback, and not one of
// the filter layers Windows stacks on an adapter, which repeat its counters.
bool listedRow(const MIB_IF_ROW2& row)
{
    return row.Type != IF_TYPE_SOFTWARE_LOOPBACK
           && !row.InterfaceAndOperStatusFlags.FilterInterface;
}

// An interface that cannot be moving data now.
bool idleRow(const MIB_IF_ROW2& row)
{
    return row.OperStatus == IfOperStatusDown || row.OperStatus == IfOperStatusNotPresent
           || row.OperStatus == IfOperStatusLowerLayerDown;
}

// Samples of every entry between two readings of the whole table, which is
// what notices an interface that came up.
constexpr int kTableEvery = 10;

}  // namespace

NetworkSources NetworkSources::system()
{
    NetworkSources sources;
    sources.counterLibrary = SystemLibrary("pdh.dll");
    const SystemLibrary& counters = sources.counterLibrary;
    sources.enumObjectItems = counters.entry<EnumObjectItems>("PdhEnumObjectItemsW");
    sources.openQuery = counters.entry<OpenQuery>("PdhOpenQueryW");
    sources.addCounter = counters.entry<AddCounter>("PdhAddCounterW");
    sources.removeCounter = counters.entry<RemoveCounter>("PdhRemoveCounter");
    sources.collectQuery = counters.entry<CollectQuery>("PdhCollectQueryData");
    sources.closeQuery = counters.entry<CloseQuery>("PdhCloseQuery");
    sources.formattedValue = counters.entry<FormattedValue>("PdhGetFormattedCounterValue");
    sources.ipHelper = SystemLibrary("iphlpapi.dll");
    const SystemLibrary& ipHelper = sources.ipHelper;
    sources.interfaceTable = ipHelper.entry<InterfaceTable>("GetIfTable2");
    sources.freeTable = ipHelper.entry<FreeTable>("FreeMibTable");
    sources.interfaceEntry = ipHelper.entry<InterfaceEntry>("GetIfEntry2");
    sources.ticks = GetTickCount64;
    return sources;
}

bool NetworkSources::hasCounters() const
{
    return enumObjectItems != nullptr && openQuery != nullptr && addCounter != nullptr
           && removeCounter != nullptr && collectQuery != nullptr && closeQuery != nullptr
           && formattedValue != nullptr;
}

CNetworkInterfaces::CNetworkInterfaces(const NetworkSources& sources) : sources_(sources)
{
    if (sources_.hasCounters() && enumerateCounters()) {
        openQuery();
        return;
    }
    // Wine has no counter objects at all, and a damaged counter store has no
    // "Network Interface": only then is the interface table asked.
    enumerateTable();
}

CNetworkInterfaces::~CNetworkInterfaces()
{
    for (PDH_HCOUNTER counter : sentCounters_)
        if (counter != nullptr)
            sources_.removeCounter(counter);
    for (PDH_HCOUNTER counter : receivedCounters_)
        if (counter != nullptr)
            sources_.removeCounter(counter);
    if (query_ != nullptr)
        sources_.closeQuery(query_);
}

// False only when the counter library could not list the object; a failed
// allocation still counts as listed, with no interfaces.
bool CNetworkInterfaces::enumerateCounters()
{
    // The first call only learns the lengths, in characters; its status is
    // meaningless here (a success needs buffers), so the second call decides.
    DWORD counterLength = 0, instanceLength = 0;
    sources_.enumObjectItems(nullptr, nullptr, kCounterObject, nullptr, &counterLength, nullptr,
                             &instanceLength, PERF_DETAIL_WIZARD, 0);

    std::unique_ptr<WCHAR[]> counters, instances;
    try {
        counters.reset(new WCHAR[counterLength]);
        instances.reset(new WCHAR[instanceLength]);
    } catch (const std::bad_alloc&) {
        return true;
    }
    const DWORD allocated = instanceLength;
    if (sources_.enumObjectItems(nullptr, nullptr, kCounterObject, counters.get(), &counterLength,
                                 instances.get(), &instanceLength, PERF_DETAIL_WIZARD, 0)
        != ERROR_SUCCESS)
        return false;

    // The list is walked within the buffer, not only up to its closing empty
    // name: an object without instances may fill in nothing at all.
    const WCHAR* name = instances.get();
    const WCHAR* end = name + (instanceLength < allocated ? instanceLength : allocated);
    interfaceCount_ = 0;
    while (name < end && *name != L'\0') {
        const std::wstring_view instance(name, wcsnlen(name, static_cast<size_t>(end - name)));
        if (instance != kLoopbackInstance) {
            names_.push_back(toUtf8(instance));
            ++interfaceCount_;
        }
        name += instance.size() + 1;
    }
    return true;
}

void CNetworkInterfaces::openQuery()
{
    if (sources_.openQuery(nullptr, 0, &query_) != ERROR_SUCCESS) {
        query_ = nullptr;
        return;
    }
    sentCounters_.assign(interfaceCount_ + 1, nullptr);
    receivedCounters_.assign(interfaceCount_ + 1, nullptr);
    for (int entry = 0; entry <= interfaceCount_; ++entry) {
        std::wstring sentPath, receivedPath;
        if (entry == 0) {
            sentPath = L"\\RAS Total\\Bytes Transmitted/Sec";
            receivedPath = L"\\RAS Total\\Bytes Received/Sec";
        } else {
            const std::wstring object =
                std::wstring(L"\\") + kCounterObject + L"(" + toWide(names_[entry - 1]) + L")";
            sentPath = object + L"\\Bytes Sent/sec";
            receivedPath = object + L"\\Bytes Received/sec";
        }
        if (sources_.addCounter(query_, sentPath.c_str(), 0, &sentCounters_[entry])
            != ERROR_SUCCESS)
            sentCounters_[entry] = nullptr;
        if (sources_.addCounter(query_, receivedPath.c_str(), 0, &receivedCounters_[entry])
            != ERROR_SUCCESS)
            receivedCounters_[entry] = nullptr;
    }
    // A rate needs two samples: this one lets the first read give one.
    sources_.collectQuery(query_);
}

void CNetworkInterfaces::enumerateTable()
{
    fromTable_ = true;
    MIB_IF_TABLE2* table = nullptr;
    if (!sources_.hasTable() || sources_.interfaceTable(&table) != NO_ERROR || table == nullptr)
        return;
    for (ULONG row = 0; row < table->NumEntries; ++row) {
        const MIB_IF_ROW2& entry = table->Table[row];
        if (!listedRow(entry))
            continue;
        names_.push_back(fieldText(entry.Description));
        luids_.push_back(entry.InterfaceLuid.Value);
        ++interfaceCount_;
    }
    latest_ = readingsOf(*table);
    earlier_.assign(latest_.size(), Reading{});
    sources_.freeTable(table);
}

int CNetworkInterfaces::entryCount() const
{
    return interfaceCount_ + 1;
}

const char* CNetworkInterfaces::entryName(int index) const
{
    if (index == 0)
        return kDialupName;
    if (index < 0 || index > interfaceCount_)
        return nullptr;
    return names_[index - 1].c_str();
}

bool CNetworkInterfaces::collect(int entry)
{
    // One interface's row costs the system a fraction of the whole table,
    // which also brings every name and setting of every interface.
    if (fromTable_ && entry >= 1 && entry <= interfaceCount_
        && sources_.interfaceEntry != nullptr) {
        collectInterface(static_cast<size_t>(entry - 1));
        collected_ = true;
    } else if (fromTable_ && sources_.interfaceEntry != nullptr && ++rowSamples_ < kTableEvery) {
        // The whole table costs Wine's network helper a pass over every
        // interface, twice; the rows of the live ones cost one look-up each.
        collectLiveRows();
        collected_ = true;
    } else if (fromTable_) {
        rowSamples_ = 0;
        collected_ = collectTable();
    } else
        collected_ = query_ != nullptr && sources_.collectQuery(query_) == ERROR_SUCCESS;
    return collected_;
}

bool CNetworkInterfaces::readRates(int index, double& sent, double& received)
{
    if (index < 0 || index > interfaceCount_ || !collected_)
        return false;
    if (fromTable_)
        return readTableRates(index, sent, received);

    PDH_FMT_COUNTERVALUE value{};
    if (sentCounters_[index] == nullptr
        || sources_.formattedValue(sentCounters_[index], PDH_FMT_DOUBLE, nullptr, &value)
               != ERROR_SUCCESS)
        return false;
    sent = value.doubleValue;
    if (receivedCounters_[index] == nullptr
        || sources_.formattedValue(receivedCounters_[index], PDH_FMT_DOUBLE, nullptr, &value)
               != ERROR_SUCCESS)
        return false;
    received = value.doubleValue;
    return true;
}

std::vector<CNetworkInterfaces::Reading> CNetworkInterfaces::readingsOf(const MIB_IF_TABLE2& table)
{
    std::vector<Reading> readings(luids_.size());
    idle_.assign(luids_.size(), true);
    const ULONGLONG now = sources_.ticks();
    for (Reading& reading : readings)
        reading.time = now;
    // Rows are matched by identity: the table's order may change as
    // interfaces come and go, the entries' indexes may not.
    for (ULONG row = 0; row < table.NumEntries; ++row) {
        const MIB_IF_ROW2& entry = table.Table[row];
        for (size_t i = 0; i < luids_.size(); ++i)
            if (luids_[i] == entry.InterfaceLuid.Value) {
                readings[i] = Reading{now, true, entry.InOctets, entry.OutOctets};
                idle_[i] = idleRow(entry);
            }
    }
    return readings;
}

bool CNetworkInterfaces::collectTable()
{
    MIB_IF_TABLE2* table = nullptr;
    if (!sources_.hasTable() || sources_.interfaceTable(&table) != NO_ERROR || table == nullptr)
        return false;
    earlier_ = std::move(latest_);
    latest_ = readingsOf(*table);
    sources_.freeTable(table);
    return true;
}

// An interface chosen after a while is measured once over the whole time
// since its last reading: the average of that time, not a made-up rate.
void CNetworkInterfaces::collectInterface(size_t position)
{
    MIB_IF_ROW2 row{};
    row.InterfaceLuid.Value = luids_[position];
    Reading reading{sources_.ticks(), false, 0, 0};
    if (sources_.interfaceEntry(&row) == NO_ERROR)
        reading = Reading{reading.time, true, row.InOctets, row.OutOctets};
    earlier_[position] = latest_[position];
    latest_[position] = reading;
}

// An idle interface gets no sample: its next read finds no time passed and so
// no rate, until the next table measures it over the whole time since.
void CNetworkInterfaces::collectLiveRows()
{
    for (size_t i = 0; i < luids_.size(); ++i) {
        if (idle_[i])
            earlier_[i] = latest_[i];
        else
            collectInterface(i);
    }
}

bool CNetworkInterfaces::readTableRates(int index, double& sent, double& received) const
{
    if (index == 0)
        return false;  // the interface table knows nothing of dial-up totals
    // No earlier sample (the one at start-up failed) or a clock that did not
    // move: no interval to measure over.
    const size_t i = static_cast<size_t>(index - 1);
    if (earlier_.size() <= i || latest_.size() <= i)
        return false;
    const Reading& before = earlier_[i];
    const Reading& now = latest_[i];
    if (now.time <= before.time)
        return false;
    if (!before.present || !now.present || now.in < before.in || now.out < before.out)
        return false;  // gone, or its counters were reset: no rate to give
    const double seconds = static_cast<double>(now.time - before.time) / 1000.0;
    sent = static_cast<double>(now.out - before.out) / seconds;
    received = static_cast<double>(now.in - before.in) / seconds;
    return true;
}
