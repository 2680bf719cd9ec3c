// The one overlay of a session. A named mutex, held for the whole run, is
// taken before anything is read or written, so two quick starts cannot both
// pass; the name also lets any later process of the session find the overlay.
#pragma once

#include "platform/KernelHandle.h"

// Local: one overlay per session; each session of a terminal server has its own.
constexpr const wchar_t* kInstanceMutexName = L"Local\\DashvaneOverlay";

class SingleInstance {
public:
    SingleInstance();

    // False when another overlay of this session holds the name.
    bool isFirst() const { return first_; }

private:
    KernelHandle mutex_;
    bool first_ = true;
};
