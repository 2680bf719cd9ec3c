// "Network": the send and receive rates of one network entry in kilobytes per
// second, two lines, refreshed every second; the entry is chosen from the menu.
#pragma once

#include <memory>

#include "measures/Measure.h"
#include "measures/NetworkInterfaces.h"

class Measure_Network : public Measure {
public:
    // The stored selection while neither the user nor the search has chosen.
    static constexpr int kNoEntry = 10000;

    Measure_Network(ItemHost& host, Settings& settings,
                    const NetworkSources& sources = NetworkSources::system());
    ~Measure_Network() override;

    int drawItem(ItemPainter& painter, int top) override;
    void update() override;

    // For the context menu.
    int selectedEntry() const { return selected_; }
    int entryCount() const;
    const char* entryName(int index) const;
    // Remembers the choice in the settings file at once; the next update shows it.
    void selectEntry(int index);

private:
    std::unique_ptr<CNetworkInterfaces> interfaces_;
    // In KiB per second; no reading gives -1, so the first one is always shown.
    double lastSent_ = -1.0;
    double lastReceived_ = -1.0;
    int selected_ = kNoEntry;
};
