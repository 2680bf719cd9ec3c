// The account and domain lookup behind the user and domain items.
#include "measures/AccountInfo.h"

#include <cwchar>

#include "platform/Utf8.h"

namespace {

// In characters: the longest account and domain names, with room to spare.
constexpr DWORD kNameLength = 256;

// A handle or buffer the lookup was given, handed back through the seam's
// own release call (CloseHandle for the token, NetApiBufferFree for the
// network API's buffers) at the end of the scope.
template <typename Resource, typename Release>
class Released {
public:
    explicit Released(Release release) : release_(release) {}
    ~Released()
    {
        if (resource_ != nullptr)
            release_(resource_);
    }
    Released(const Released&) = delete;
    Released& operator=(const Released&) = delete;
    Resource* out() { return &resource_; }
    Resource get() const { return resource_; }

private:
    Release release_;
    Resource resource_ = nullptr;
};

using TokenHandle = Released<HANDLE, decltype(&CloseHandle)>;
using NetBuffer = Released<LPBYTE, decltype(&NetApiBufferFree)>;

// A block from the process heap, freed at the end of the scope.
class HeapBlock {
public:
    explicit HeapBlock(SIZE_T bytes) : block_(HeapAlloc(GetProcessHeap(), 0, bytes)) {}
    ~HeapBlock()
    {
        if (block_ != nullptr)
            HeapFree(GetProcessHeap(), 0, block_);
    }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    void* get() const { return block_; }

private:
    void* block_;
};

// The name and domain of the account this thread runs as.
bool lookUpTokenUser(const AccountSources& os, WCHAR (&name)[kNameLength],
                     WCHAR (&domain)[kNameLength])
{
    TokenHandle token(os.closeHandle);
    // Only an impersonating thread has a token of its own; the others act as the process.
    if (!os.openThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.out())) {
        if (GetLastError() != ERROR_NO_TOKEN
            || !os.openProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out()))
            return false;
    }
    DWORD size = 0;
    if (os.getTokenInformation(token.get(), TokenUser, nullptr, 0, &size)
        || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    HeapBlock block(size);
    if (block.get() == nullptr
        || !os.getTokenInformation(token.get(), TokenUser, block.get(), size, &size))
        return false;
    DWORD nameSize = kNameLength, domainSize = kNameLength;
    SID_NAME_USE use;
    return os.lookupAccountSid(nullptr, static_cast<TOKEN_USER*>(block.get())->User.Sid, name,
                               &nameSize, domain, &domainSize, &use)
           != FALSE;
}

template <size_t Length>
std::string terminated(const WCHAR (&text)[Length])
{
    return toUtf8(std::wstring_view(text, wcsnlen(text, Length)));
}

}  // namespace

AccountInfo::AccountInfo(const AccountSources& sources) : sources_(sources)
{
    Refresh();
}

void AccountInfo::Refresh()
{
    WCHAR name[kNameLength] = {};
    WCHAR domain[kNameLength] = {};
    // A lookup that fails for want of room may leave part of a name behind.
    if (!lookUpTokenUser(sources_, name, domain))
        name[0] = domain[0] = L'\0';
    userName_ = terminated(name);

    // One load of the network library for the whole lookup, not one per call.
    SystemLibrary network("netapi32.dll");
    NetBuffer controller(sources_.netApiBufferFree);
    if (sources_.netGetDCName(nullptr, nullptr, controller.out()) == NERR_Success) {
        // A local account on a domain machine reports the computer here, and
        // that is what is shown: the account's domain, not the machine's.
        domainName_ = terminated(domain);
        return;
    }

    NetBuffer info(sources_.netApiBufferFree);
    if (sources_.netWkstaGetInfo(nullptr, 102, info.out()) != NERR_Success || info.get() == nullptr)
        return;
    domainMember_ = false;
    const auto* workstation = reinterpret_cast<const WKSTA_INFO_102*>(info.get());
    if (workstation->wki102_langroup != nullptr)
        domainName_ = toUtf8(workstation->wki102_langroup);
}

const std::string& AccountInfo::DomainName()
{
    if (domainName_.empty())
        Refresh();
    return domainName_;
}
