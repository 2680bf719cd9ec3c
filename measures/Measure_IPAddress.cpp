// The IP address item.
#include "measures/Measure_IPAddress.h"

#include <cstdio>
#include <cstring>
#include <utility>

IpAddressSources IpAddressSources::system()
{
    IpAddressSources sources;
    SystemLibrary ipHelper("iphlpapi.dll");
    auto notify = ipHelper.entry<NotifyFunction>("NotifyIpInterfaceChange");
    auto cancel = ipHelper.entry<CancelFunction>("CancelMibChangeNotify2");
    if (notify != nullptr && cancel != nullptr) {
        sources.notify = notify, sources.cancel = cancel;
        sources.ipHelper = std::move(ipHelper);
    }
    return sources;
}

Measure_IPAddress::Measure_IPAddress(ItemHost& host, Settings& settings, IpAddressSources sources)
    : Measure(host, settings, "IPAddress"), sources_(sources)
{
    refreshInterval = 60000;
    update();
    // Wine answers success with a null handle and never calls back; the
    // minute timer then is the only refresh, and there is nothing to cancel.
    if (sources_.notify == nullptr
        || sources_.notify(AF_UNSPEC, InterfaceChanged, this, FALSE, &notification_) != NO_ERROR)
        notification_ = nullptr;
    resetTimer(false);
}

Measure_IPAddress::~Measure_IPAddress()
{
    // Returns only once a callback already running has finished; the callback
    // never waits for this thread, so this cannot deadlock.
    if (notification_ != nullptr)
        sources_.cancel(notification_);
}

void WINAPI Measure_IPAddress::InterfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW,
                                                MIB_NOTIFICATION_TYPE)
{
    auto* item = static_cast<Measure_IPAddress*>(context);
    item->host.updateOnUiThread(item);
}

void Measure_IPAddress::update()
{
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    sources_.computerName(name, &size);

    WSADATA data;
    if (sources_.startup(MAKEWORD(2, 2), &data) != 0)
        return;
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    ADDRINFOW* found = nullptr;
    if (sources_.resolve(name, nullptr, &hints, &found) == 0 && found != nullptr) {
        // Only an IPv4 entry fits the address record; anything else keeps the text.
        if (found->ai_family == AF_INET && found->ai_addr != nullptr
            && found->ai_addrlen >= sizeof(sockaddr_in)) {
            // Formatted here rather than by inet_ntoa, whose buffer the socket
            // library owns and reuses.
            const in_addr address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
            unsigned char bytes[sizeof(in_addr)];
            std::memcpy(bytes, &address, sizeof bytes);
            char text[16];
            std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
            if (value != text) {
                value = text;
                changed = true;
            }
        }
        sources_.release(found);
    }
    sources_.cleanup();
}
