// Auto fill: completes a one-sided marking with the opposite status and a blend band.

#include "classification/IiClassification.h"

#include "classification/BlendDisc.h"
#include "classification/BoxOps.h"

#include <vector>

namespace classification {
namespace {

constexpr unsigned char flagBits = 0x30;

bool isOpen(unsigned char s) { return (s & 1) != 0 && (s & flagBits) == 0; }

/// Whether a status is the fill status: a class in common, and a flag only where the fill
/// status has it too.
bool matchesFill(unsigned char s, unsigned char fill) {
    return (s & fill & 0x0F) != 0 && ((s & 0x10) == 0 || (fill & 0x10) != 0) &&
           ((s & 0x20) == 0 || (fill & 0x20) != 0);
}

}  // namespace

void IiClassification::autoFill(ByteImage status, const IntBox* area, unsigned char fill,
                                float blendScale, UndoHistory* history, ProgressRange range) {
    if ((fill & 6) == 0)
        return;
    IntBox box = IntBox::domainOf(status);
    if (area)
        intersectBox(box, *area);
    if (!intersectBox(box, domain()))
        return;

    const unsigned char opposite = ((fill & 2) != 0 && (fill & flagBits) == 0) ? 4 : 2;
    resetWorkingBox();
    selectNewStatus = opposite;
    selectMode = 0;
    statusBits = 0x0F;
    selectFromStatus = 0x07;
    selectFromMask = 0x3F;
    cropArrayToBox(workStatus, box) = 0;
    workingBox = box;

    // The pixels on either side of the boundary between marked and open pixels.
    std::vector<IntPoint> boundary;
    const IntPoint neighbours[4] = {IntPoint(-1, 0), IntPoint(0, -1), IntPoint(1, 0), IntPoint(0, 1)};
    auto anyNeighbour = [&](const IntPoint& p, auto test) {
        for (const IntPoint& offset : neighbours) {
            const IntPoint n = p + offset;
            if (box.contains(n[0], n[1]) && test(status(n)))
                return true;
        }
        return false;
    };
    for (int y = box.lower[0]; y <= box.upper[0]; ++y)
        for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
            const IntPoint p(y, x);
            const unsigned char s = status(p);
            if (matchesFill(s, fill) ? anyNeighbour(p, isOpen)
                                     : isOpen(s) && anyNeighbour(p, [&](unsigned char n) {
                                           return matchesFill(n, fill);
                                       }))
                boundary.push_back(p);
        }

    // Without edge widths (a session never analysed) there is no band to lay.
    if (blendScale != 0.0f && edgeWidthPlane.numElements() != 0 &&
        IntBox::domainOf(edgeWidthPlane).contains(box)) {
        for (const IntPoint& d : boundary) {
            const BlendDisc disc(d, static_cast<float>(edgeWidthPlane(d)) / 2.0f * blendScale + 0.49f, box);
            if (isBoxEmpty(disc.box))
                continue;
            // A forced edge or a protected pixel anywhere in the disc's box keeps it unpainted.
            if (blitz::any((cropArrayToBox(status, disc.box) & flagBits) != 0))
                continue;
            disc.forEachPixel([&](const IntPoint& q) {
                if ((status(q) & 7) != 0)
                    workStatus(q) = static_cast<unsigned char>((workStatus(q) & 0xF8) | 8);
            });
        }
    }

    for (int y = box.lower[0]; y <= box.upper[0]; ++y)
        for (int x = box.lower[1]; x <= box.upper[1]; ++x)
            if (isOpen(status(y, x)) && workStatus(y, x) == 0)
                workStatus(y, x) = opposite;
    range.report(0.8f);
    commitWorkStatus(status, history);
    range.report(1.0f);
}

}  // namespace classification
