// Auto complex: refines the last Select by a watershed over the level image around it.

#include "classification/IiClassification.h"

#include "classification/BlendDisc.h"
#include "classification/BoxOps.h"
#include "classification/StatusBits.h"
#include "watershed/ImageWatershed.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace classification {
namespace {

constexpr int bandWidth = 32;
constexpr unsigned char blendStatus = 8;

/// The seed regions of the flood, created when first needed.
struct SeedLabels {
    PointListTable& table;
    std::int32_t sel = -1;    // pixels the Select chose
    std::int32_t had = -1;    // pixels that already had the new status
    std::int32_t opp = -1;    // pixels of the opposite status

    std::int32_t get(std::int32_t& label) {
        if (label == -1)
            label = table.newList();
        return label;
    }
};

}  // namespace

void IiClassification::autoComplex(ByteImage status, ProgressRange range, float blendScale) {
    const unsigned char newStatus = selectNewStatus;
    const unsigned char bits = statusBits;
    const unsigned char fromMask = selectFromMask;
    const int mode = selectMode;
    IntBox band = grownBox(workingBox, bandWidth);
    if ((blendScale == 0.0f && mode == 0) || isBoxEmpty(workingBox) || (newStatus & 6) == 0 ||
        !intersectBox(band, domain()) || !intersectBox(band, IntBox::domainOf(status)))
        return;
    if (edgeMap.numElements() == 0 || edgeWidthPlane.numElements() == 0 ||
        !IntBox::domainOf(edgeWidthPlane).contains(band))
        throw std::logic_error("auto complex without the analysis' level images");

    if (mode == 0)
        for (int y = band.lower[0]; y <= band.upper[0]; ++y)
            for (int x = band.lower[1]; x <= band.upper[1]; ++x)
                if (!workingBox.contains(y, x))
                    workStatus(y, x) = 0;

    const unsigned char opposite = newStatus == 2 ? 4 : 2;
    auto chosen = [&](const IntPoint& p) { return statusMatches(workStatus(p), newStatus, bits); };

    // Labels over the band and a frame that belongs to the border region (label 0), which
    // stops the flood and is never expanded.
    PointListTable table(grownBox(band, 1), 4);
    const std::int32_t border = table.newList();
    table.labels = border;
    cropArrayToBox(table.labels, band) = -1;
    // In double and clamped: a nearly flat gradient range gives a huge level scale.
    const double penaltyValue = std::clamp(
        static_cast<double>(gradientScale) * std::log(std::max(currentSettings.imageTol, 2.0f)),
        -16777216.0, 16777216.0);
    const auto penalty = static_cast<std::int32_t>(penaltyValue);
    ImageWatershed flood(edgeMap, table, penalty);

    SeedLabels seeds{table};
    for (int y = band.lower[0]; y <= band.upper[0]; ++y)
        for (int x = band.lower[1]; x <= band.upper[1]; ++x) {
            const IntPoint p(y, x);
            const unsigned char s = status(p);
            std::int32_t& label = table.labels(p);
            if ((s & (forcedEdgeBit | protectedBit)) != 0) {
                label = border;
            } else if (statusMatches(s, newStatus, bits)) {
                label = chosen(p) ? seeds.get(seeds.sel) : seeds.get(seeds.had);
                flood.enqueueSeed(y, x);
            } else if (statusMatches(s, opposite, fromMask)) {
                label = seeds.get(seeds.opp);
                flood.enqueueSeed(y, x);
            } else if (!statusMatches(s, selectFromStatus, fromMask)) {
                label = border;   // a status the Select leaves alone
            }
        }
    range.report(0.1f);
    if (seeds.sel == -1) {
        range.report(1.0f);
        return;
    }
    flood.floodInner(range.subRange(0.7f));
    const PointList& selected = table.lists[static_cast<std::size_t>(seeds.sel)];

    if (mode != 0) {
        // The unchosen parts of the selection's region that reach its boundary leave it; only
        // the holes enclosed by chosen pixels stay.
        const IntPoint offsets[4] = {IntPoint(0, -1), IntPoint(-1, 0), IntPoint(1, 0), IntPoint(0, 1)};
        std::vector<IntPoint> stack;
        for (const PixelPair& pair : selected) {
            const IntPoint u = table.pointOf(pair.first);
            if (table.labels(u) == seeds.sel && !chosen(u)) {
                table.labels(u) = -1;
                stack.push_back(u);
            }
        }
        while (!stack.empty()) {
            const IntPoint q = stack.back();
            stack.pop_back();
            for (const IntPoint& offset : offsets) {
                const IntPoint n = q + offset;
                if (table.labels(n) == seeds.sel && !chosen(n)) {
                    table.labels(n) = -1;
                    stack.push_back(n);
                }
            }
        }
        range.report(0.85f);
        for (int y = band.lower[0]; y <= band.upper[0]; ++y)
            for (int x = band.lower[1]; x <= band.upper[1]; ++x)
                if (table.labels(y, x) == seeds.sel) {
                    setMaskedBits(workStatus(y, x), newStatus, bits);
                    includePoint(workingBox, IntPoint(y, x));
                }
    }

    if (blendScale == 0.0f) {
        commitWorkStatus(status, &undoHistory);
        range.report(1.0f);
        return;
    }

    range.report(0.9f);
    const unsigned char paintable =
        static_cast<unsigned char>(selectFromStatus | opposite | newStatus | blendStatus);
    auto paint = [&](std::int32_t node, unsigned char value, bool onlyNewStatus) {
        const IntPoint centre = table.pointOf(node);
        const float radius = 0.49f + blendScale * static_cast<float>(edgeWidthPlane(centre)) / 2.0f;
        BlendDisc(centre, radius, band).forEachPixel([&](const IntPoint& q) {
            if (!statusMatches(status(q), paintable, fromMask))
                return;
            if (onlyNewStatus && (workStatus(q) & newStatus) == 0)
                return;
            setMaskedBits(workStatus(q), value, bits);
            includePoint(workingBox, q);
        });
    };
    auto level = [&](const IntPoint& p) { return edgeMap(p)[1]; };
    if (seeds.had != -1)
        for (const PixelPair& pair : selected)
            if (table.label(pair.second) == seeds.had) {
                paint(pair.first, newStatus, false);
                paint(pair.second, newStatus, false);
            }
    if (seeds.opp != -1)
        for (const PixelPair& pair : selected)
            if (table.label(pair.second) == seeds.opp) {
                const int a = level(table.pointOf(pair.first));
                const int b = level(table.pointOf(pair.second));
                if (a <= b)
                    paint(pair.first, blendStatus, false);
                if (a >= b)
                    paint(pair.second, blendStatus, false);
            }
    if (seeds.had != -1 && seeds.opp != -1)
        for (const PixelPair& pair : table.lists[static_cast<std::size_t>(seeds.had)])
            if (table.label(pair.second) == seeds.opp) {
                paint(pair.first, blendStatus, true);
                paint(pair.second, blendStatus, true);
            }
    range.report(0.95f);
    commitWorkStatus(status, &undoHistory);
    range.report(1.0f);
}

}  // namespace classification
