// The IP address item through fake resolution and registration sources, the
// change notification fired from another thread, and Wine's real sources.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "measures/Measure_IPAddress.h"
#include "platform/Utf8.h"
#include "support/IniFile.h"
#include "support/MainWindowFixture.h"

namespace {

// The resolver played by the test: the addresses it gives for any name next.
struct Resolver {
    std::vector<std::vector<char>> addresses{{10, 0, 0, 1}};
    bool startupFails = false;
    WORD version = 0;
    std::string askedName;
    int cleanups = 0;
    DWORD uiThread = 0;
    std::atomic<int> resolves{0}, offThreadResolves{0};
} resolver;

// The answer of the last resolution, kept until it is released.
std::vector<sockaddr_in> answerAddresses;
std::vector<ADDRINFOW> answerEntries;
int answersOut = 0;

BOOL WINAPI fakeComputerName(LPWSTR name, LPDWORD size)
{
    lstrcpynW(name, L"ХОСТ-1", static_cast<int>(*size));
    *size = 6;
    return TRUE;
}
int WSAAPI fakeStartup(WORD version, LPWSADATA)
{
    resolver.version = version;
    return resolver.startupFails ? WSASYSNOTREADY : 0;
}
INT WSAAPI fakeResolve(PCWSTR name, PCWSTR, const ADDRINFOW* hints, PADDRINFOW* result)
{
    ++resolver.resolves;
    if (GetCurrentThreadId() != resolver.uiThread)
        ++resolver.offThreadResolves;
    resolver.askedName = toUtf8(name);
    if (resolver.addresses.empty() || hints == nullptr || hints->ai_family != AF_INET)
        return WSAHOST_NOT_FOUND;
    answerAddresses.assign(resolver.addresses.size(), sockaddr_in{});
    answerEntries.assign(resolver.addresses.size(), ADDRINFOW{});
    for (size_t i = 0; i < resolver.addresses.size(); ++i) {
        answerAddresses[i].sin_family = AF_INET;
        std::memcpy(&answerAddresses[i].sin_addr, resolver.addresses[i].data(), 4);
        answerEntries[i].ai_family = AF_INET;
        answerEntries[i].ai_addrlen = sizeof(sockaddr_in);
        answerEntries[i].ai_addr = reinterpret_cast<sockaddr*>(&answerAddresses[i]);
        answerEntries[i].ai_next = i + 1 < resolver.addresses.size() ? &answerEntries[i + 1]
                                                                     : nullptr;
    }
    ++answersOut;
    *result = answerEntries.data();
    return 0;
}
VOID WSAAPI fakeRelease(PADDRINFOW)
{
    --answersOut;
}
int WSAAPI fakeCleanup()
{
    ++resolver.cleanups;
    return 0;
}

// The registration played by the test: what it answers and how it was used.
struct Registration {
    NETIO_STATUS status = NO_ERROR;
    HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
    ADDRESS_FAMILY family = 99;
    BOOLEAN initial = TRUE;
    PIPINTERFACE_CHANGE_CALLBACK callback = nullptr;
    PVOID context = nullptr;
    std::vector<HANDLE> cancelled;
} registration;

NETIO_STATUS WINAPI fakeNotify(ADDRESS_FAMILY family, PIPINTERFACE_CHANGE_CALLBACK callback,
                               PVOID context, BOOLEAN initial, HANDLE* handle)
{
    registration.family = family, registration.initial = initial;
    registration.callback = callback, registration.context = context;
    *handle = registration.handle;
    return registration.status;
}
NETIO_STATUS WINAPI fakeCancel(HANDLE handle)
{
    registration.cancelled.push_back(handle);
    return NO_ERROR;
}

IpAddressSources fakeSources()
{
    resolver.uiThread = GetCurrentThreadId();
    return IpAddressSources{fakeComputerName, fakeStartup, fakeResolve, fakeRelease,
                            fakeCleanup,      fakeNotify,  fakeCancel};
}

struct IPAddressTest : ItemTest {
    IPAddressTest()
    {
        resolver.addresses = {{10, 0, 0, 1}};
        resolver.startupFails = false;
        resolver.cleanups = 0;
        registration = Registration{};
    }
};

TEST_F(IPAddressTest, ShowsTheFirstAddressAndKeepsTheTextWhenResolutionFails)
{
    const struct {
        const char* what;
        bool startupFails;
        std::vector<std::vector<char>> addresses;
        const char* text;
        int cleanups;
    } cases[] = {
        {"several addresses",
         false,
         {{char(192), char(168), 1, 20}, {10, 0, 0, 5}},
         "192.168.1.20",
         1},
        {"socket library fails", true, {{10, 0, 0, 9}}, "10.0.0.1", 0},
        {"name does not resolve", false, {}, "10.0.0.1", 1},
    };
    for (const auto& c : cases) {
        resolver.addresses = {{10, 0, 0, 1}};
        resolver.startupFails = false;
        Measure_IPAddress item(host, settings, fakeSources());
        ASSERT_EQ(item.valueText(), "10.0.0.1");
        resolver.addresses = c.addresses;
        resolver.startupFails = c.startupFails;
        resolver.cleanups = 0;
        item.update();
        EXPECT_EQ(item.valueText(), c.text) << c.what;
        EXPECT_EQ(resolver.cleanups, c.cleanups) << c.what;
        EXPECT_EQ(resolver.version, 0x0202) << c.what;
        EXPECT_EQ(resolver.askedName, "ХОСТ-1") << c.what;
        EXPECT_EQ(answersOut, 0) << c.what;
        EXPECT_TRUE(item.hasTimer());
    }
}

TEST_F(IPAddressTest, RegistrationIsCancelledBeforeTheItemGoes)
{
    const auto registered = reinterpret_cast<HANDLE>(0x1234);
    const struct {
        const char* what;
        NETIO_STATUS status;
        HANDLE handle;
        std::vector<HANDLE> cancelled;
    } cases[] = {
        {"registered", NO_ERROR, registered, {registered}},
        {"success with a null handle, as on Wine", NO_ERROR, nullptr, {}},
        {"refused", ERROR_NOT_SUPPORTED, registered, {}},
    };
    for (const auto& c : cases) {
        registration = Registration{};
        registration.status = c.status, registration.handle = c.handle;
        {
            Measure_IPAddress item(host, settings, fakeSources());
            EXPECT_EQ(registration.family, AF_UNSPEC);
            EXPECT_EQ(registration.initial, FALSE);
            EXPECT_EQ(registration.context, &item);
            EXPECT_TRUE(registration.cancelled.empty()) << c.what;
        }
        EXPECT_EQ(registration.cancelled, c.cancelled) << c.what;
    }
}

// The real window: its procedure runs the update that a notification asks for.
struct IPAddressWindowTest : MainWindowTest {};

TEST_F(IPAddressWindowTest, NotificationTextChangesOnlyOnTheWindowThread)
{
    for (bool shown : {true, false}) {
        writeTextFile(path, shown ? "" : "[DisplayItems]\r\nIPAddress=No\r\n");
        resolver.addresses = {{10, 0, 0, 1}};
        resolver.resolves = 0, resolver.offThreadResolves = 0;
        std::vector<std::unique_ptr<Measure>> items;
        items.push_back(std::make_unique<Measure_IPAddress>(app, settings, fakeSources()));
        Measure& item = *items.front();
        list = std::make_unique<MeasureList>(std::move(items));
        app.measures = list.get();
        renderer.layout(*list, nullptr);
        ASSERT_EQ(item.isShown(), shown);

        resolver.addresses = {{10, 0, 0, 2}};
        constexpr int kNotifications = 50;
        std::atomic<bool> done{false};
        std::thread platform([&] {
            for (int i = 0; i < kNotifications; ++i)
                registration.callback(registration.context, nullptr, MibParameterNotification);
            done = true;
        });
        // The window thread keeps reading the text while the notifications arrive.
        bool steady = true;
        while (!done)
            steady &= item.valueText() == "10.0.0.1";
        platform.join();
        EXPECT_TRUE(steady && item.valueText() == "10.0.0.1") << item.valueText();
        EXPECT_EQ(resolver.resolves, 1);

        EXPECT_TRUE(pumpUntil([&] { return item.valueText() == "10.0.0.2"; }, 2000)) << shown;
        pumpMessages(50);
        EXPECT_EQ(resolver.resolves, 1 + kNotifications) << shown;
        EXPECT_EQ(resolver.offThreadResolves, 0) << shown;
    }
}

TEST_F(IPAddressTest, RealSourcesGiveADottedAddressOrNothing)
{
    Measure_IPAddress item(host, settings);
    const std::string& text = item.valueText();
    EXPECT_TRUE(text.empty() || std::regex_match(text, std::regex(R"(\d{1,3}(\.\d{1,3}){3})")))
        << text;
    std::printf("IP address item on this system: \"%s\"\n", text.c_str());
}

}  // namespace
