// The calling thread's COM apartment, held for a scope, and the owner of a
// COM object's reference.
#pragma once

#include <objbase.h>

#include <memory>

class ComApartment {
public:
    // Single-threaded: the shell's execute call, its link object and the
    // common dialogs expect it on the thread that calls them, and some shell
    // handlers fail in a multithreaded one.
    ComApartment()
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
    {
    }
    ~ComApartment()
    {
        if (ready())
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // False when the thread already is in another kind of apartment.
    bool ready() const { return result_ == S_OK || result_ == S_FALSE; }

private:
    HRESULT result_;
};

struct ReleaseComObject {
    void operator()(IUnknown* object) const { object->Release(); }
};

// One reference to a COM object, released by its one owner.
template <typename Interface>
using ComPointer = std::unique_ptr<Interface, ReleaseComObject>;
