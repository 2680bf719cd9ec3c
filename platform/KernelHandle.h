// The owner of a kernel object's handle (a file, a thread), closed by its one
// owner. Calls that fail with INVALID_HANDLE_VALUE are checked before the
// handle is handed over: the owner holds only real handles or none.
#pragma once

#include <windows.h>

#include <memory>

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

using KernelHandle = std::unique_ptr<void, CloseKernelHandle>;
