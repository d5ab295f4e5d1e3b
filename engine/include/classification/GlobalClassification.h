#pragma once

#include "classification/AnalysisImage.h"
#include "classification/ClassAllocator.h"
#include "classification/ColourHistogramSet.h"
#include "classification/ProgressRange.h"

#include <blitz/array.h>

#include <array>
#include <cstdint>

namespace classification {

template <typename Channel, int Channels, typename Label>
class GlobalClassification;

/// The colour classifier of the analysis: counts the colours of the six-channel analysis
/// image into seven tables of decreasing precision (level L drops the L low bits of every
/// channel), gives every table cell a colour class by a watershed over the colour space, and
/// maps every pixel to the class of its cell at a chosen level.
///
/// Lifecycle: `buildHistograms`, then `runWatershedders`, then any number of `partition`s.
/// The engine command thread calls all three; `runWatershedders` fans out to its own workers.
template <>
class GlobalClassification<unsigned char, 6, int> {
public:
    static constexpr int levelCount = ColourHistogramSet::levelCount;

    template <int Levels>
    class Watershedder;

    GlobalClassification();
    GlobalClassification(const GlobalClassification&) = delete;
    GlobalClassification& operator=(const GlobalClassification&) = delete;

    /// Empties the tables, sets every class count to -1 and restarts every level's class
    /// numbering at 0: the state of a classifier that has not counted anything.
    void clear();

    /// Counts the image into all seven tables, starting from empty tables, so an interrupted
    /// or repeated build never counts a pixel twice. Table 0 over the range from its last
    /// point to its middle, the six coarser levels over the rest. A reporter's cancel
    /// exception propagates; the class counts stay -1 until `runWatershedders` has run.
    /// Throws std::invalid_argument when a mask is set whose domain is not the image's.
    void buildHistograms(ProgressRange range);

    /// Counts every pixel (every pixel whose mask byte shares a bit with `maskBits`, when a
    /// mask is set) into `table` under its full 8-bit key. Reports "histogram" to `ui`, when
    /// not null, at the first pixel of every 2048th row, mapped into [a, b].
    void histogramPass(ColourTable& table, Corvel::utility::IiUI* ui, float a, float b);

    /// Adds every cell of `source` to `target` under its key shifted right by one bit.
    static void subsamplePass(const ColourTable& source, ColourTable& target,
                              Corvel::utility::IiUI* ui, float a, float b);

    /// The six passes from table 0 to table 6, each over half of what is left of [a, b].
    void subsampleLevels(Corvel::utility::IiUI* ui, float a, float b);

    /// Labels every cell of all seven tables with a colour class and sets the seven class
    /// counts, one level per task on one thread per processor, or on `workerCount` threads
    /// (0: one per processor); all are joined before it returns or throws. Reports no
    /// progress. The first failure of a level's flood comes back as it was thrown
    /// (std::bad_alloc when memory ran out).
    void runWatershedders(ProgressRange range);
    void runWatershedders(ProgressRange range, unsigned workerCount);

    /// Writes into `labels` (a view of the caller's array whose domain must hold the image's)
    /// the class of every pixel's cell at `level`, which is clamped to 0 to 6. Returns that
    /// level's class count, -1 when it is not built. A colour without a cell (counted under a
    /// mask) gets a cell of class -1 and count 0, and its pixels class -1. Reports "partition"
    /// at the first pixel of every 1024th row. Throws std::invalid_argument when `labels` is
    /// too small.
    int partition(int level, blitz::Array<int, 2> labels, ProgressRange range);

public:
    AnalysisImage image;                   // the analysis image, set by the analysis pipeline
    blitz::Array<unsigned char, 2> mask;   // optional; empty = count every pixel
    unsigned char maskBits = 15;
    ColourHistogramSet tables;
    std::array<std::int32_t, levelCount> classCounts;   // -1 = level not built
    std::array<ClassAllocator, levelCount> allocators;
};

/// The colour classifier of the six-channel analysis image.
using ColourClassifier = GlobalClassification<unsigned char, 6, int>;

/// The colour-space watershed of one level: floods the level's table and sets its class
/// count. Levels share nothing, so they run on threads of their own.
template <int Levels>
class GlobalClassification<unsigned char, 6, int>::Watershedder {
public:
    explicit Watershedder(GlobalClassification& classifier)
        : classCounts_(classifier.classCounts),
          tables_(classifier.tables),
          allocators_(classifier.allocators) {}

    void operator()(int level);

private:
    std::array<std::int32_t, Levels>& classCounts_;
    ColourHistogramSet& tables_;
    std::array<ClassAllocator, Levels>& allocators_;
};

}  // namespace classification
