#pragma once

namespace classification {

class Segmentation;

/// The work of one channel task of the cell histogram stage: rebuilds the channel's cell
/// histograms when its cached settings are out of date. Tasks run on the stage's threads and
/// report no progress; exceptions leave the functor, and the thread team brings them back.
class HistogramUpdater {
public:
    HistogramUpdater(Segmentation& owner, int channel) : owner_(&owner), channel_(channel) {}

    /// True when the channel's histograms were rebuilt.
    bool operator()();

private:
    Segmentation* owner_;
    int channel_;
};

}  // namespace classification
