// Despeckle selection: closes the holes the last Select left inside its selection.

#include "classification/IiClassification.h"

#include "classification/StatusBits.h"
#include "morphology/LineFilters.h"

#include <algorithm>
#include <vector>

namespace classification {
namespace {

const IntPoint holeOffsets[4] = {IntPoint(1, 0), IntPoint(-1, 0), IntPoint(0, 1), IntPoint(0, -1)};

/// The two dilation passes, one per axis; each element becomes 1 when any of the `length`
/// elements starting at it along the pass's axis is set.
IntBox dilateLineA(const IntBox&, LabelImage destination, int length, const LabelImage& source,
                   ProgressRange progress) {
    return morphology::lineFilterBox(source, length, destination, progress);
}

IntBox dilateLineB(const IntBox&, LabelImage destination, int length, const LabelImage& source,
                   ProgressRange progress) {
    return morphology::lineFilterBox2(source, length, destination, progress);
}

}  // namespace

void IiClassification::despeckleSelection(ByteImage status, int strength, ProgressRange range) {
    if (isBoxEmpty(workingBox)) {
        range.report(1.0f);
        return;
    }
    if (strength > 0)
        fillSelectionHoles(status, strength, range);
}

void IiClassification::fillSelectionHoles(ByteImage status, int strength, ProgressRange range) {
    const unsigned char newStatus = selectNewStatus;
    const unsigned char bits = statusBits;
    const float from = range.from;
    const float to = range.to;
    const IntBox box = workingBox;
    const int window = strength + 1;
    const int half = strength / 2;
    auto selected = [&](const IntPoint& p) { return statusMatches(workStatus(p), newStatus, bits); };

    // Hole flags over the working box, reaching `window - 1` further along both axes for the
    // dilation, with a one-pixel frame.
    LabelImage holes(blitz::Range(box.lower[0] - 1, box.upper[0] + window),
                     blitz::Range(box.lower[1] - 1, box.upper[1] + window));
    holes = 0;
    for (int y = box.lower[0]; y <= box.upper[0]; ++y)
        for (int x = box.lower[1]; x <= box.upper[1]; ++x)
            holes(y + half, x + half) = selected(IntPoint(y, x)) ? 1 : 0;
    range.report(0.1f);

    const IntBox first = dilateLineA(IntBox::domainOf(holes), holes, window, holes, ProgressRange());
    dilateLineB(first, holes, window, cropArrayToBox(holes, first), ProgressRange());
    holes(box.lower[0] - 1, blitz::Range::all()) = 0;
    holes(box.upper[0] + 1, blitz::Range::all()) = 0;
    holes(blitz::Range::all(), box.lower[1] - 1) = 0;
    holes(blitz::Range::all(), box.upper[1] + 1) = 0;

    // Every unselected flagged pixel from which a path of such pixels leads to an unflagged one
    // is open to the outside: it is no hole.
    const float boundaryStart = 0.9f * from + 0.1f * to;
    const float boundaryEnd = 0.7f * from + 0.3f * to;
    std::vector<IntPoint> stack;
    for (int y = box.lower[0]; y <= box.upper[0]; ++y) {
        for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
            const IntPoint p(y, x);
            if (holes(p) == 0 || selected(p))
                continue;
            for (const IntPoint& offset : holeOffsets)
                if (holes(IntPoint(p + offset)) == 0) {
                    stack.push_back(p);
                    break;
                }
        }
        if ((y & 0xFF) == 0 && range.ui) {
            const float done = box.rows() > 1 ? static_cast<float>(y - box.lower[0] + 1) /
                                                    static_cast<float>(box.rows())
                                              : 0.0f;
            range.ui->progress((1.0f - done) * boundaryStart + done * boundaryEnd, std::string());
        }
    }
    const float floodEnd = (from + to) / 2.0f;
    std::size_t largest = stack.size();
    float done = 0.0f;
    for (const IntPoint& p : stack)
        holes(p) = 0;
    while (!stack.empty()) {
        const IntPoint q = stack.back();
        stack.pop_back();
        for (const IntPoint& offset : holeOffsets) {
            const IntPoint n = q + offset;
            if (holes(n) != 0 && !selected(n)) {
                holes(n) = 0;   // cleared when found, so no pixel is stacked twice
                stack.push_back(n);
            }
        }
        largest = std::max(largest, stack.size());
        if (stack.size() % 256 == 0 && range.ui) {
            done = std::max(done, 1.0f - static_cast<float>(stack.size()) / static_cast<float>(largest));
            range.ui->progress((1.0f - done) * boundaryEnd + done * floodEnd, std::string());
        }
    }
    range.report(0.6f);

    const unsigned char holeStatus = static_cast<unsigned char>(newStatus | 1);
    for (int y = box.lower[0]; y <= box.upper[0]; ++y)
        for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
            const IntPoint p(y, x);
            if (holes(p) != 0 && statusMatches(status(p), holeStatus, selectFromMask))
                setMaskedBits(workStatus(p), newStatus, bits);
        }
    commitWorkStatus(status, &undoHistory);
    range.report(1.0f);
}

}  // namespace classification
