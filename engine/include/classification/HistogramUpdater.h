#pragma once

namespace classification {

class Segmentation;

/// The worker of the cell histogram stage: takes channel indices from the segmentation's task
/// counter and rebuilds each channel's cell histograms until the counter runs out (-1).
class HistogramUpdater {
public:
    HistogramUpdater(Segmentation& owner, int firstTask) : owner_(&owner), task_(firstTask) {}

    /// The thread body. Exceptions leave it; the worker group records them.
    void operator()();

private:
    Segmentation* owner_;
    int task_;
};

}  // namespace classification
