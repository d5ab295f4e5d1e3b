#include "classification/MatteLayer.h"

#include "classification/MaskStatus.h"
#include "classification/MatteComposition.h"
#include "classification/RowWorkers.h"
#include "matting/PaletteSearch.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace classification {

namespace {

/// The image pixels of a layer box, per axis lower * s to (upper + 1) * s - 1, clipped to the
/// output's domain. May be empty.
IntBox estimateBoxFor(const IntBox& layerBox, const FloatPoint& scale, const IntBox& domain) {
    IntBox box;
    for (int axis = 0; axis < 2; ++axis) {
        int lower = static_cast<int>(static_cast<float>(layerBox.lower[axis]) * scale[axis]);
        int upper = static_cast<int>(static_cast<float>(layerBox.upper[axis] + 1) * scale[axis]
                                     - 1.0f);
        if (lower > upper)
            std::swap(lower, upper);
        box.lower[axis] = lower;
        box.upper[axis] = upper;
    }
    intersectBox(box, domain);
    return box;
}

/// How far apart two colour means must lie (in channel units) for a palette to keep them
/// apart: 220 for a detail of 0, down to 5 for a detail of 1.
float paletteThreshold(float detail, float power) {
    const double shrink = static_cast<double>(std::pow(1.0f - detail, power));
    return static_cast<float>(shrink * 215.0 + 5.0);
}

bool isPending(unsigned char s) { return (s & statusPending) != 0 && (s & statusDone) == 0; }

bool hasPendingPixel(const blitz::Array<unsigned char, 2>& layerStatus) {
    for (auto it = layerStatus.begin(); it != layerStatus.end(); ++it)
        if (isPending(*it))
            return true;
    return false;
}

/// The status pixel that contains the image pixel (the keep fix-up's neighbour mapping).
int containingIndex(int index, float scale, int first, int last) {
    const int n = static_cast<int>((static_cast<float>(index) + 0.5f) / scale);
    return std::clamp(n, first, last);
}

/// Runs the rows of a pyramid level on a team of threads. Each row of cells is built from its
/// own pixels or child cells alone, so the pyramid is the same on any number of threads.
struct RowsOnThreads {
    RowWorkers& team;

    template <typename Body>
    void operator()(int first, int last, const Body& body) const {
        if (team.threads() <= 1 || last <= first) {
            for (int row = first; row <= last; ++row)
                body(row);
            return;
        }
        // Bands of a row each, by thread: the rows of a level are mostly built, cut and freed
        // on the same threads, and the few rows of upper levels, whose cells are the dearest
        // to cut, still spread over all of them.
        team.forEachRow(first, last, 1, RowWorkers::Bands::byThread,
                        [&body](int row, unsigned) { body(row); });
    }
};

/// What the layer's estimate box needs, per image pixel.
enum PixelRole : unsigned char {
    rolePending = 1,         // produced by this layer
    roleKept = 2,            // its own status pixel is keep
    roleMixed = 4,           // pending and not surely keep or delete: un-mixed from estimates
    roleMedianInput = 8,     // inside the 3 x 3 window of a mixed pixel
    roleSearched = 16,       // its palette search result is read
};

template <class Format>
struct MattingWork {
    using Types = MatteTypes<Format>;
    using Triple = typename Types::Triple;
    using Channel = typename Format::Channel;

    const typename Format::Image& image;
    const blitz::Array<unsigned char, 2>& status;
    const blitz::Array<unsigned char, 2>& layerStatus;
    const IntBox& layerBox;
    const FloatPoint& scale;
    IntBox box;   // the estimate box
    EstimateImage<Format> foreground;
    EstimateImage<Format> background;
    blitz::Array<unsigned char, 2> roles;   // PixelRole bits over the estimate box

    // Per row and per column of the box: how the index maps onto the status pixels (the same
    // for every pixel of the row or column, so it is worked out once).
    std::vector<MatteAxisSample> rowSamples, columnSamples;
    std::vector<int> containingRows, containingColumns;   // the fix-up's neighbour mapping

    void prepareMappings() {
        for (int axis = 0; axis < 2; ++axis) {
            std::vector<MatteAxisSample>& samples = axis == 0 ? rowSamples : columnSamples;
            std::vector<int>& containing = axis == 0 ? containingRows : containingColumns;
            samples.clear();
            containing.clear();
            const int first = layerBox.lower[axis], last = layerBox.upper[axis];
            for (int index = box.lower[axis]; index <= box.upper[axis]; ++index) {
                samples.push_back(sampleMatteAxis(index, scale[axis], first, last));
                containing.push_back(containingIndex(index, scale[axis], first, last));
            }
        }
    }

    static Channel toChannel(float value) {
        // float -> int -> channel, clamped, so that no out-of-range float reaches the
        // unsigned conversion.
        const float maximum = static_cast<float>(Format::maximum);
        return static_cast<Channel>(static_cast<int>(std::clamp(value, 0.0f, maximum)));
    }

    /// The neighbour whose background a kept pixel takes: the first of its eight neighbours
    /// (in a fixed order, clipped to the box) that is not keep. False when all are keep.
    bool backgroundSource(int i, int j, int& si, int& sj) const {
        static const int offsets[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1},
                                          {0, 1},   {1, -1}, {1, 0},  {1, 1}};
        for (const auto& offset : offsets) {
            const int ni = std::clamp(i + offset[0], box.lower[0], box.upper[0]);
            const int nj = std::clamp(j + offset[1], box.lower[1], box.upper[1]);
            const int ci = containingRows[static_cast<std::size_t>(ni - box.lower[0])];
            const int cj = containingColumns[static_cast<std::size_t>(nj - box.lower[1])];
            if ((layerStatus(ci, cj) & statusKeep) == 0) {
                si = ni;
                sj = nj;
                return true;
            }
        }
        return false;
    }

    /// The pixel whose raw background estimate the keep fix-up leaves at (i, j). The fix-up
    /// runs in place in scan order, so a kept pixel copies the already fixed value of an
    /// earlier kept source, and the raw value of any other source.
    void backgroundOrigin(int i, int j, int& oi, int& oj) const {
        for (;;) {
            int si = i, sj = j;
            if ((roles(i, j) & roleKept) == 0 || !backgroundSource(i, j, si, sj)) {
                oi = i;
                oj = j;
                return;
            }
            const bool earlier = si < i || (si == i && sj < j);
            if (!earlier || (roles(si, sj) & roleKept) == 0) {
                oi = si;
                oj = sj;
                return;
            }
            i = si;
            j = sj;
        }
    }

    /// Marks the pixel whose search result the background at (i, j) after the keep fix-up
    /// is copied from.
    void markBackgroundOrigin(int i, int j) {
        int oi = i, oj = j;
        backgroundOrigin(i, j, oi, oj);
        roles(oi, oj) |= roleSearched;
    }

    /// Finds the pixels whose estimates reach the output. Only mixed pixels are un-mixed;
    /// their smoothed estimates are medians over their 3 x 3 windows, and a window's
    /// backgrounds may come from elsewhere through the keep fix-up. The palette search,
    /// by far the dearest step, runs only where its result is read: every other pixel's
    /// estimates would be computed and then never used.
    bool assignRoles(RowWorkers& team) {
        roles.resize(blitz::TinyVector<int, 2>(box.rows(), box.columns()));
        roles.reindexSelf(box.lower);
        prepareMappings();
        std::atomic<bool> anyPending{false};
        const auto handedOut = RowWorkers::Bands::handedOut;
        team.forEachRow(box.lower[0], box.upper[0], 16, handedOut, [&](int i, unsigned) {
            const MatteAxisSample& si = rowSamples[static_cast<std::size_t>(i - box.lower[0])];
            bool pendingHere = false;
            for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                const MatteAxisSample& sj =
                    columnSamples[static_cast<std::size_t>(j - box.lower[1])];
                const unsigned char own = layerStatus(si.centre, sj.centre);
                unsigned char role = (own & statusKeep) ? roleKept : 0;
                if (isPending(layerStatus(si.owner, sj.owner))) {
                    pendingHere = true;
                    role |= rolePending;
                    if (!matteMarkWeights(status, si, sj).decided())
                        role |= roleMixed;
                }
                roles(i, j) = role;
            }
            if (pendingHere)
                anyPending.store(true, std::memory_order_relaxed);
        });
        // A median input has a mixed pixel in its 3 x 3 window (clipped to the box): each
        // pixel looks for one. The rows read their neighbours' roles, so the finds go to an
        // array of their own until every row is done.
        blitz::Array<unsigned char, 2> inputs(box.lower, blitz::TinyVector<int, 2>(box.rows(),
                                                                                  box.columns()));
        team.forEachRow(box.lower[0], box.upper[0], 16, handedOut, [&](int i, unsigned) {
            const int firstRow = std::max(i - 1, box.lower[0]);
            const int lastRow = std::min(i + 1, box.upper[0]);
            for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                const int firstColumn = std::max(j - 1, box.lower[1]);
                const int lastColumn = std::min(j + 1, box.upper[1]);
                bool input = false;
                for (int ni = firstRow; ni <= lastRow && !input; ++ni)
                    for (int nj = firstColumn; nj <= lastColumn && !input; ++nj)
                        input = (roles(ni, nj) & roleMixed) != 0;
                inputs(i, j) = input ? roleMedianInput : 0;
            }
        });
        roles |= inputs;
        // The origins of the backgrounds lie anywhere: marked on this thread.
        for (int i = box.lower[0]; i <= box.upper[0]; ++i)
            for (int j = box.lower[1]; j <= box.upper[1]; ++j)
                if (roles(i, j) & roleMedianInput) {
                    roles(i, j) |= roleSearched;   // its foreground
                    markBackgroundOrigin(i, j);
                }
        return anyPending.load(std::memory_order_relaxed);
    }

    /// Searches both palettes for every pending pixel of row i whose result is read. False
    /// when the search failed (anything it threw): the caller abandons the layer.
    bool searchRow(int i, const Corvel::matting::QuadrantPyramid<Types>& keepPyramid,
                   const Corvel::matting::QuadrantPyramid<Types>& deletePyramid,
                   Corvel::matting::SearchMemory& memory) {
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const unsigned char role = roles(i, j);
            if ((role & rolePending) == 0 || (role & roleSearched) == 0)
                continue;
            const auto& pixel = image(i, j);
            const Corvel::matting::FloatColour observed = {static_cast<float>(pixel[0]),
                                                           static_cast<float>(pixel[1]),
                                                           static_cast<float>(pixel[2])};
            std::pair<Corvel::matting::FloatColour, Corvel::matting::FloatColour> found;
            try {
                found = Corvel::matting::searchPalettes(i, j, keepPyramid, deletePyramid,
                                                        observed, 0, 0, -0.01f, memory);
            } catch (...) {
                return false;
            }
            // (-1, -1, -1) means no pair explained anything: the estimates keep the pixel's
            // own colour rather than inventing white.
            if (found.first[0] < 0.0f)
                continue;
            foreground(i, j) = Triple(toChannel(found.first[0]), toChannel(found.first[1]),
                                      toChannel(found.first[2]));
            background(i, j) = Triple(toChannel(found.second[0]), toChannel(found.second[1]),
                                      toChannel(found.second[2]));
        }
        return true;
    }

    /// Searches both palettes for every pending pixel whose result is read, on the team's
    /// threads. Each pixel's search reads only the pyramids and writes only its own estimates,
    /// so the estimates do not depend on the threads. Progress follows the rows in order.
    /// False when the search failed: the caller abandons the layer.
    bool searchPendingPixels(const Corvel::matting::QuadrantPyramid<Types>& keepPyramid,
                             const Corvel::matting::QuadrantPyramid<Types>& deletePyramid,
                             ProgressRange range, RowWorkers& team) {
        const float rows = static_cast<float>(box.upper[0] - box.lower[0] + 1);
        // Bands of a few rows share the cells of the finer levels, whose scores a thread
        // remembers; there are still many more bands than threads to even out the work.
        constexpr int bandRows = 8;
        constexpr unsigned memoryBits = 14;
        std::vector<Corvel::matting::SearchMemory> memories;
        memories.reserve(team.threads());
        for (unsigned thread = 0; thread < team.threads(); ++thread)
            memories.emplace_back(memoryBits);
        return team.run(
            box.lower[0], box.upper[0], bandRows,
            [&](int i, unsigned thread) {
                return searchRow(i, keepPyramid, deletePyramid, memories[thread]);
            },
            [&](int i) {
                if (i % 2 == 0)
                    range.report(static_cast<float>(i - box.lower[0]) / rows);
            });
    }

    /// Per-channel median over the 3 x 3 window of every mixed pixel, the box's edge values
    /// standing in for neighbours outside it. With nine members the median is the fifth
    /// value exactly, so no rank interpolation is involved. Reports `firstReport`, + 0.1,
    /// + 0.2 after the channels.
    ///
    /// A window's three columns are sorted once per row and shared by the windows that hold
    /// them; the median of nine is then the middle of: the largest of the column minima, the
    /// middle of the column middles, and the smallest of the column maxima.
    void medianSmooth(EstimateImage<Format>& estimate, ProgressRange& range, float firstReport,
                      RowWorkers& team) const {
        EstimateImage<Format> smoothed = estimate.copy();
        const int columns = box.upper[1] - box.lower[1] + 1;
        const auto stride = estimate.stride(1);
        const std::size_t n = static_cast<std::size_t>(columns);
        // Per thread and column: the column's three values sorted, per channel, and the row
        // they were sorted for.
        struct SortedColumns {
            std::vector<std::array<Triple, 3>> sorted;
            std::vector<int> row;
        };
        std::vector<SortedColumns> perThread(team.threads());
        for (SortedColumns& columnsOfThread : perThread) {
            columnsOfThread.sorted.resize(n);
            columnsOfThread.row.assign(n, box.lower[0] - 1);
        }
        const auto handedOut = RowWorkers::Bands::handedOut;
        team.forEachRow(box.lower[0], box.upper[0], 16, handedOut, [&](int i, unsigned thread) {
            std::vector<std::array<Triple, 3>>& sorted = perThread[thread].sorted;
            std::vector<int>& sortedRow = perThread[thread].row;
            const Triple* const above = &estimate(std::max(i - 1, box.lower[0]), box.lower[1]);
            const Triple* const here = &estimate(i, box.lower[1]);
            const Triple* const below = &estimate(std::min(i + 1, box.upper[0]), box.lower[1]);
            const auto sortColumn = [&](std::size_t k) {
                if (sortedRow[k] == i)
                    return;
                sortedRow[k] = i;
                const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(k) * stride;
                std::array<Triple, 3>& column = sorted[k];
                for (int c = 0; c < 3; ++c) {
                    // Sorted by minima and maxima, without branches.
                    const Channel a = above[at][c], b = here[at][c], d = below[at][c];
                    const Channel lowAB = std::min(a, b), highAB = std::max(a, b);
                    const Channel middleABD = std::min(highAB, d);
                    column[0][c] = std::min(lowAB, middleABD);
                    column[1][c] = std::max(lowAB, middleABD);
                    column[2][c] = std::max(highAB, d);
                }
            };
            for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                if ((roles(i, j) & roleMixed) == 0)
                    continue;
                const std::size_t k = static_cast<std::size_t>(j - box.lower[1]);
                const std::size_t left = k == 0 ? 0 : k - 1;
                const std::size_t right = std::min(k + 1, n - 1);
                sortColumn(left);
                sortColumn(k);
                sortColumn(right);
                const std::array<Triple, 3>& l = sorted[left];
                const std::array<Triple, 3>& m = sorted[k];
                const std::array<Triple, 3>& r = sorted[right];
                Triple& target = smoothed(i, j);
                for (int c = 0; c < 3; ++c)
                    target[c] = middleOfThree(std::max({l[0][c], m[0][c], r[0][c]}),
                                              middleOfThree(l[1][c], m[1][c], r[1][c]),
                                              std::min({l[2][c], m[2][c], r[2][c]}));
            }
        });
        for (int c = 0; c < 3; ++c)
            range.report(firstReport + 0.1f * static_cast<float>(c));
        estimate.reference(smoothed);
    }

    static Channel middleOfThree(Channel a, Channel b, Channel c) {
        return std::max(std::min(a, b), std::min(std::max(a, b), c));
    }

    /// A kept pixel's background estimate comes from its first neighbour that is not keep,
    /// so that kept areas do not carry foreground colours into the background median. Only
    /// the median's inputs are read afterwards, so only they are fixed: each takes the raw
    /// value of its origin, all read before any is written.
    void fixKeptBackgrounds() {
        std::vector<std::pair<Triple*, Triple>> fixes;
        for (int i = box.lower[0]; i <= box.upper[0]; ++i)
            for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                const unsigned char role = roles(i, j);
                if ((role & roleKept) == 0 || (role & roleMedianInput) == 0)
                    continue;
                int oi = i, oj = j;
                backgroundOrigin(i, j, oi, oj);
                if (oi != i || oj != j)
                    fixes.emplace_back(&background(i, j), background(oi, oj));
            }
        for (const auto& fix : fixes)
            *fix.first = fix.second;
    }
};

}  // namespace

template <class Format>
int matteLayer(const typename Format::Image& image, const blitz::Array<unsigned char, 2>& status,
               typename Format::Image output, const IntBox& layerBox, const FloatPoint& scale,
               const GenerateMaskLayer& layer, ProgressRange progress, unsigned workerCount) {
    using Types = MatteTypes<Format>;
    using Triple = typename Types::Triple;

    if (!boxEquals(IntBox::domainOf(image), IntBox::domainOf(output)))
        throw std::invalid_argument("matting: image and output differ in extent");
    if (isBoxEmpty(layerBox) || !IntBox::domainOf(status).contains(layerBox))
        throw std::out_of_range("matting: layer box outside the statuses");
    for (int axis = 0; axis < 2; ++axis)
        if (!(scale[axis] > 0.0f) || !std::isfinite(scale[axis]))
            throw std::invalid_argument("matting: scale not positive");
    const blitz::Array<unsigned char, 2> layerStatus = cropArrayToBox(status, layerBox);

    MattingWork<Format> work{image, status, layerStatus, layerBox, scale,
                             estimateBoxFor(layerBox, scale, IntBox::domainOf(output)),
                             {}, {}, {}, {}, {}, {}, {}};
    const IntBox& box = work.box;
    if (isBoxEmpty(box))   // the layer lies outside the output: nothing to produce
        return 0;

    // Without a pending pixel nothing is estimated; the estimates would only be filled.
    if (!hasPendingPixel(layerStatus)) {
        progress.report(0.05f);
        return 0;
    }
    // One team of threads serves every pass from here on.
    RowWorkers team(RowWorkers::threadsFor(workerCount));
    for (EstimateImage<Format>* estimate : {&work.foreground, &work.background}) {
        estimate->resize(blitz::TinyVector<int, 2>(box.rows(), box.columns()));
        estimate->reindexSelf(box.lower);
    }
    team.forEachRow(box.lower[0], box.upper[0], 16, RowWorkers::Bands::handedOut,
                    [&work, &image, &box](int i, unsigned) {
                        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
                            const auto& pixel = image(i, j);
                            work.foreground(i, j) = Triple(pixel[0], pixel[1], pixel[2]);
                            work.background(i, j) = work.foreground(i, j);
                        }
                    });
    progress.report(0.05f);

    const double foregroundThreshold = paletteThreshold(layer.foregroundDetail, 5.0f);
    const double backgroundThreshold = paletteThreshold(layer.backgroundDetail, 3.0f);
    if (!work.assignRoles(team))
        return 0;

    const Corvel::matting::StatusMask keepMask{status, 1.0f / scale[0], 1.0f / scale[1],
                                               statusKeep};
    const Corvel::matting::StatusMask deleteMask{status, 1.0f / scale[0], 1.0f / scale[1],
                                                 statusDelete};
    Corvel::matting::QuadrantPyramid<Types> keepPyramid, deletePyramid;
    const RowsOnThreads rows{team};
    Corvel::matting::buildPalettePyramid(keepPyramid, image, keepMask, &foregroundThreshold,
                                         progress.subRange(0.1f), rows);
    Corvel::matting::buildPalettePyramid(deletePyramid, image, deleteMask, &backgroundThreshold,
                                         progress.subRange(0.2f), rows);
    // Without any keep (or delete) colour the search of the first pending pixel would fail;
    // so does the layer, whether or not that pixel's result would be read.
    if (keepPyramid.back()(keepPyramid.back().lbound()).colourCount() == 0
        || deletePyramid.back()(deletePyramid.back().lbound()).colourCount() == 0)
        return 1;

    if (!work.searchPendingPixels(keepPyramid, deletePyramid, progress.subRange(0.75f), team))
        return 1;
    // Nothing reads the pyramids any more. Their many small lists are freed by the threads
    // that made them, which the allocator serves fastest.
    Corvel::matting::releasePyramid(keepPyramid, rows);
    Corvel::matting::releasePyramid(deletePyramid, rows);

    ProgressRange smoothing = progress.subRange(0.85f);
    work.medianSmooth(work.foreground, smoothing, 0.1f, team);
    smoothing.report(0.4f);
    work.fixKeptBackgrounds();
    smoothing.report(0.5f);
    work.medianSmooth(work.background, smoothing, 0.6f, team);
    smoothing.report(0.9f);

    // The composition writes each pixel from its own inputs: its rows run on the team, and
    // its progress still follows the rows in order, every sixteenth.
    const MatteComposer<Format> composer(image, status, layerStatus, layerBox, scale, box,
                                         work.foreground, work.background, output);
    ProgressRange composing = progress.subRange(0.95f);
    const float boxRows = static_cast<float>(box.upper[0] - box.lower[0] + 1);
    team.run(
        box.lower[0], box.upper[0], 16,
        [&composer](int i, unsigned) {
            composer.composeRow(i);
            return true;
        },
        [&](int i) {
            if (i % 16 == 0)
                composing.report(static_cast<float>(i - box.lower[0]) / boxRows);
        });
    progress.report(0.98f);
    return 0;
}

#define ZQ_INSTANTIATE_MATTE_LAYER(Format)                                                      \
    template int matteLayer<Format>(const Format::Image&, const blitz::Array<unsigned char, 2>&, \
                                    Format::Image, const IntBox&, const FloatPoint&,             \
                                    const GenerateMaskLayer&, ProgressRange, unsigned);
ZQ_INSTANTIATE_MATTE_LAYER(MaskFormat8)
ZQ_INSTANTIATE_MATTE_LAYER(MaskFormat16)
ZQ_INSTANTIATE_MATTE_LAYER(MaskFormat15)
#undef ZQ_INSTANTIATE_MATTE_LAYER

}  // namespace classification
