// Select: the four ways of choosing pixels, and the class flags of the colour modes.

#include "classification/IiClassification.h"

#include "classification/BoxOps.h"
#include "classification/StatusBits.h"

#include <cstdint>
#include <vector>

namespace classification {
namespace {

/// The class level of a class image that no finished partition wrote.
constexpr int unpartitioned = -2;

// Neighbour order of the floods: (1, 0), (-1, 0), (0, 1), (0, -1).
const IntPoint floodOffsets[4] = {IntPoint(1, 0), IntPoint(-1, 0), IntPoint(0, 1), IntPoint(0, -1)};

/// One flag per colour class of the classification that ran the partition; labels outside
/// its class count (a class image partitioned at another level, or -1) have no flag.
class ClassFlags {
public:
    explicit ClassFlags(int classCount)
        : count_(classCount > 0 ? static_cast<std::size_t>(classCount) : 0),
          words_((count_ + 31) / 32, 0u) {}

    void set(int label) {
        if (inRange(label))
            words_[static_cast<std::size_t>(label) / 32] |= 1u << (static_cast<unsigned>(label) % 32);
    }
    bool test(int label) const {
        return inRange(label) &&
               (words_[static_cast<std::size_t>(label) / 32] >> (static_cast<unsigned>(label) % 32)) & 1u;
    }

private:
    bool inRange(int label) const { return label >= 0 && static_cast<std::size_t>(label) < count_; }

    std::size_t count_;
    std::vector<std::uint32_t> words_;
};

/// What one Select works with: its parameters and the arrays it reads and writes.
struct SelectPass {
    IiClassification& c;
    ByteImage status;
    const ByteImage* mask;
    unsigned char newStatus, bits, fromStatus, fromMask;

    bool matches(const IntPoint& p) const { return statusMatches(status(p), fromStatus, fromMask); }
    bool inMask(const IntPoint& p) const { return !mask || (*mask)(p) != 0; }
    unsigned char newValue(const IntPoint& p) const {
        return static_cast<unsigned char>((newStatus & bits) | (status(p) & ~bits));
    }
    /// The work value of any pixel up to one beyond the image: the margin reads 1, never 0,
    /// so no flood leaves the image.
    unsigned char work(const IntPoint& p) const { return c.workStatusStorage(p); }
    void choose(const IntPoint& p) {
        c.workStatus(p) = newValue(p);
        includePoint(c.workingBox, p);
    }

    /// Mode 3 and the first step of mode 1: from every matching seed of `box`, the 4-connected
    /// pixels of its label that match. `flags`, when given, gets each seed's label.
    void seedFlood(const IntBox& box, const LabelImage& labels, ClassFlags* flags) {
        c.workStatus = 0;
        std::vector<IntPoint> stack;
        for (int y = box.lower[0]; y <= box.upper[0]; ++y)
            for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
                const IntPoint seed(y, x);
                if (c.workStatus(seed) != 0 || !inMask(seed) || !matches(seed))
                    continue;
                const int label = labels(seed);
                if (flags)
                    flags->set(label);
                choose(seed);
                stack.push_back(seed);
                while (!stack.empty()) {
                    const IntPoint q = stack.back();
                    stack.pop_back();
                    for (const IntPoint& offset : floodOffsets) {
                        const IntPoint n = q + offset;
                        if (work(n) == 0 && labels(n) == label && matches(n)) {
                            choose(n);   // chosen when found, so no pixel is stacked twice
                            stack.push_back(n);
                        }
                    }
                }
            }
    }

    /// Mode 1: grows the chosen pixels into matching neighbours whose class is flagged.
    void growIntoMarkedClasses(const ClassFlags& flags) {
        if (isBoxEmpty(c.workingBox))
            return;
        const LabelImage& classes = c.classLabels;
        auto candidate = [&](const IntPoint& n) {
            return work(n) == 0 && flags.test(classes(n)) && matches(n);
        };
        std::vector<IntPoint> candidates;
        const IntBox chosen = c.workingBox;
        for (int y = chosen.lower[0]; y <= chosen.upper[0]; ++y)
            for (int x = chosen.lower[1]; x <= chosen.upper[1]; ++x) {
                const IntPoint p(y, x);
                if (c.workStatus(p) == 0)
                    continue;
                for (const IntPoint& offset : floodOffsets)
                    if (candidate(IntPoint(p + offset)))
                        candidates.push_back(IntPoint(p + offset));
            }
        std::vector<IntPoint> stack;
        while (!candidates.empty()) {
            const IntPoint start = candidates.back();
            candidates.pop_back();
            if (c.workStatus(start) != 0)
                continue;
            choose(start);
            stack.push_back(start);
            while (!stack.empty()) {
                const IntPoint q = stack.back();
                stack.pop_back();
                for (const IntPoint& offset : floodOffsets)
                    if (candidate(IntPoint(q + offset))) {
                        choose(IntPoint(q + offset));
                        stack.push_back(IntPoint(q + offset));
                    }
            }
        }
    }
};

IntBox clippedTo(IntBox box, const IntBox& other) {
    intersectBox(box, other);
    return box;
}

}  // namespace

void IiClassification::select(const IntBox& selectionBox, const ByteImage* mask, ByteImage status,
                              int mode, unsigned char newStatus, unsigned char bits,
                              unsigned char fromStatus, unsigned char fromMask, int classLevel,
                              ProgressRange range) {
    float start = range.at(range.last);
    const float middle = (range.from + range.to) / 2.0f;
    IiClassification& owner = (parent && !analysable) ? *parent : *this;
    if (mode != 0 && classLevel - 1 != owner.requestedClassCount) {
        owner.requestedClassCount = classLevel - 1;
        requestedClassCount = classLevel - 1;
        try {
            owner.partition(ProgressRange(range.ui, start, middle));
        } catch (...) {
            // A class image written halfway matches no level: the next Select partitions anew.
            owner.requestedClassCount = unpartitioned;
            requestedClassCount = unpartitioned;
            throw;
        }
        start = middle;
    }
    // The class image is the owner's, and so is its level: a sub-session's own record of it
    // is stale once the parent or another sub-session has partitioned anew.
    if (mode != 0)
        requestedClassCount = owner.requestedClassCount;

    resetWorkingBox();
    selectNewStatus = newStatus;
    statusBits = bits;
    selectFromStatus = fromStatus;
    selectFromMask = fromMask;
    selectMode = mode;

    // A flood marks visited pixels by their non-zero work value; a new value without any bit
    // it may set would be 0 on some pixels and never end, so such a flood selects nothing.
    const bool flooding = mode >= 1 && mode <= 3;
    const bool usable = !flooding || (newStatus & bits) != 0;
    const IntBox image = clippedTo(domain(), IntBox::domainOf(status));
    const IntBox box = clippedTo(image, selectionBox);
    SelectPass pass{*this, status, mask, newStatus, bits, fromStatus, fromMask};
    ProgressRange rest(range.ui, start, range.to);
    const bool regions = requestedClassCount == -1 && currentSettings.imageTol > 1.0f;

    if (mode == 0) {
        if (!isBoxEmpty(box))
            for (int y = box.lower[0]; y <= box.upper[0]; ++y)
                for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
                    const IntPoint p(y, x);
                    if (pass.inMask(p) && pass.matches(p))
                        pass.choose(p);
                    else
                        workStatus(p) = 0;
                }
        rest.report(0.5f);
    } else if (usable && (mode == 3 || (mode == 1 && regions))) {
        if (!isBoxEmpty(box))
            pass.seedFlood(box, regions ? regionLabels : classLabels, nullptr);
        rest.report(0.5f);
    } else if (usable && mode == 1) {
        ClassFlags flags(owner.resultingClassCount);
        if (!isBoxEmpty(box))
            pass.seedFlood(box, classLabels, &flags);
        rest.report(0.25f);
        pass.growIntoMarkedClasses(flags);
        rest.report(0.75f);
    } else if (usable && mode == 2) {
        ClassFlags flags(owner.resultingClassCount);
        if (!isBoxEmpty(box))
            for (int y = box.lower[0]; y <= box.upper[0]; ++y)
                for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
                    const IntPoint p(y, x);
                    if (pass.inMask(p) && pass.matches(p))
                        flags.set(classLabels(p));
                }
        rest.report(0.25f);
        for (int y = image.lower[0]; y <= image.upper[0]; ++y)
            for (int x = image.lower[1]; x <= image.upper[1]; ++x) {
                const IntPoint p(y, x);
                if (flags.test(classLabels(p)) && pass.matches(p))
                    pass.choose(p);
                else
                    workStatus(p) = 0;
            }
        rest.report(0.75f);
    }

    if (newStatus != fromStatus) {
        // Changes of the forced-edge and protected flags alone are not undoable.
        auto flagOnly = [](unsigned char s) { return s == forcedEdgeBit || s == protectedBit; };
        commitWorkStatus(status, flagOnly(newStatus) || flagOnly(fromStatus) ? nullptr : &undoHistory);
    }
    range.report(1.0f);
}

}  // namespace classification
