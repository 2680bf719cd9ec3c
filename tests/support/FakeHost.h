// The shell as an item sees it, played without a window: it notes the
// re-layouts and launches an item asks for.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "measures/ItemHost.h"

class FakeHost : public ItemHost {
public:
    void requestRelayout() override { ++relayouts; }
    // Called from the items' own threads; the tests hand answers over themselves.
    void updateOnUiThread(const Measure*) override {}
    void answersReady(const Measure*) override { ++answers; }
    void launch(const char* target) override { launched.emplace_back(target); }

    int relayouts = 0;
    std::atomic<int> answers{0};
    std::vector<std::string> launched;
};
