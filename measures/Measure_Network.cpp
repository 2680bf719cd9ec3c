// The network throughput item.
#include "measures/Measure_Network.h"

#include <cstdio>
#include <new>


Measure_Network::Measure_Network(ItemHost& host, Settings& settings, const NetworkSources& sources)
    : Measure(host, settings, "Network")
{
    selected_ = settings.readInt("Network", "SelectedInterface", kNoEntry);
    lines = 2;
    refreshInterval = 1000;
    try {
        interfaces_ = std::make_unique<CNetworkInterfaces>(sources);
    } catch (const std::bad_alloc&) {
        // Without the list the menu offers no entries and the item stays blank.
    }
    update();
    resetTimer(false);
}

// Closes the counter query; the base then stops the timer.
Measure_Network::~Measure_Network()
{
    interfaces_.reset();
}

int Measure_Network::entryCount() const
{
    return interfaces_ ? interfaces_->entryCount() : 0;
}

const char* Measure_Network::entryName(int index) const
{
    return interfaces_ ? interfaces_->entryName(index) : nullptr;
}

void Measure_Network::selectEntry(int index)
{
    selected_ = index;
    settings.writeInt("Network", "SelectedInterface", index);
    // The label names the kind of entry.
    changed = true;
}

void Measure_Network::update()
{
    if (!interfaces_)
        return;
    // While searching, one sample for every entry read below, so that they
    // share one interval; once chosen, the chosen entry's alone.
    interfaces_->collect(selected_ == kNoEntry ? CNetworkInterfaces::kEveryEntry : selected_);
    // Until an entry is chosen, the first one that moves any data is taken.
    for (int entry = 0; selected_ == kNoEntry && entry < interfaces_->entryCount(); ++entry) {
        double sent = 0, received = 0;
        interfaces_->readRates(entry, sent, received);
        if (sent > 0 || received > 0)
            selectEntry(entry);
    }
    if (selected_ == kNoEntry)
        return;

    // A failed read (an entry stored by an earlier run that is gone) shows 0.
    double sent = 0, received = 0;
    interfaces_->readRates(selected_, sent, received);
    sent *= 1.0 / 1024;
    received *= 1.0 / 1024;
    if (sent == lastSent_ && received == lastReceived_)
        return;
    char text[25];
    std::snprintf(text, sizeof text, "%0.0f kb/s\n%0.0f kb/s", sent, received);
    value = text;
    lastSent_ = sent;
    lastReceived_ = received;
    changed = true;
}

// Two lines in every column, and never a bar.
int Measure_Network::drawItem(ItemPainter& painter, int top)
{
    const std::string separator = settings.separator();
    ownSeparator = separator + "\n" + separator;
    return painter.drawColumns(top, selected_ == 0 ? "RAS Send\nRAS Recv" : "Net Send\nNet Recv",
                               ownSeparator.c_str(), value.c_str());
}
