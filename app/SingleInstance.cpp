// Taking the session's overlay mutex.
#include "app/SingleInstance.h"

#include <windows.h>

SingleInstance::SingleInstance()
{
    mutex_.reset(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    DWORD error = GetLastError();
    // Denied: an overlay started under another account holds the name. Any
    // other failure leaves the window check alone to decide.
    first_ = mutex_ != nullptr ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}
