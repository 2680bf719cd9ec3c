// The overlay thread's COM apartment, and the owner of a COM object's reference.
#pragma once

#include <objbase.h>

#include <memory>

#include "platform/SystemLibrary.h"

// COM's apartment on the thread that runs the overlay: entered only when a
// call first needs it (see Loaded::EnterComApartment), left at the end.
class ComApartment {
public:
    ComApartment() = default;
    ~ComApartment() { Loaded::LeaveComApartment(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

struct ReleaseComObject {
    void operator()(IUnknown* object) const { object->Release(); }
};

// One reference to a COM object, released by its one owner.
template <typename Interface>
using ComPointer = std::unique_ptr<Interface, ReleaseComObject>;
