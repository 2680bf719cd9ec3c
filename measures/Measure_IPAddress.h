// "IPAddress": the first IPv4 address the resolver gives for the computer's
// own name, refreshed every minute and whenever an IP interface changes.
#pragma once

// The socket headers must come before the IP helper's.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "measures/Measure.h"
#include "platform/SystemLibrary.h"

// The name resolution and the change registration, as the platform declares
// them. Tests pass fakes; the defaults are the real calls.
struct IpAddressSources {
    using ComputerNameFunction = BOOL(WINAPI*)(LPWSTR name, LPDWORD size);
    using StartupFunction = int(WSAAPI*)(WORD version, LPWSADATA data);
    using ResolveFunction = INT(WSAAPI*)(PCWSTR name, PCWSTR service, const ADDRINFOW* hints,
                                         PADDRINFOW* result);
    using FreeFunction = VOID(WSAAPI*)(PADDRINFOW result);
    using CleanupFunction = int(WSAAPI*)();
    using NotifyFunction = NETIO_STATUS(WINAPI*)(ADDRESS_FAMILY family,
                                                 PIPINTERFACE_CHANGE_CALLBACK callback,
                                                 PVOID context, BOOLEAN initialNotification,
                                                 HANDLE* handle);
    using CancelFunction = NETIO_STATUS(WINAPI*)(HANDLE handle);

    ComputerNameFunction computerName = GetComputerNameW;
    StartupFunction startup = WSAStartup;
    // The wide resolver: the name may hold characters no code page has.
    ResolveFunction resolve = GetAddrInfoW;
    FreeFunction release = FreeAddrInfoW;
    CleanupFunction cleanup = WSACleanup;
    // Both null where the IP helper cannot be had: the minute timer alone
    // refreshes the address then.
    NotifyFunction notify = nullptr;
    CancelFunction cancel = nullptr;
    // Kept while a registration may call back from the library's threads.
    SystemLibrary ipHelper{};

    // The real calls.
    static IpAddressSources system();
};

class Measure_IPAddress : public Measure {
public:
    Measure_IPAddress(ItemHost& host, Settings& settings,
                      IpAddressSources sources = IpAddressSources::system());
    // Cancels the change registration first, so no notification can name an
    // item that is gone.
    ~Measure_IPAddress() override;
    void update() override;

    // Runs on a thread of the platform's: it only asks the window thread to
    // update the item (context), which owns the value text.
    static void WINAPI InterfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW row,
                                        MIB_NOTIFICATION_TYPE type);

private:
    IpAddressSources sources_;
    HANDLE notification_ = nullptr;
};
