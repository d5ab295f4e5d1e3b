#include "classification/MarkDistances.h"

#include "classification/IntBox.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace classification {

namespace {

using Bucket = std::vector<IntPoint>;

// A growth step leaves the cells of one bucket (all at `distance`) by one step of `length`.
// The bucket is named by its slot, so no step has to look it up by its distance.
struct Step {
    float distance;
    float length;
    int bucket;
};

// Orders the step heap so that its front has the smallest d + s, summed in float as the
// distances themselves are. Only the distances are compared, so the slots riding along do not
// change which step comes first.
struct LaterStep {
    bool operator()(const Step& l, const Step& r) const {
        return l.distance + l.length > r.distance + r.length;
    }
};

class ClassGrowth {
public:
    ClassGrowth(MarkDistanceArray& distances, const blitz::Array<unsigned char, 2>& status,
                int component, unsigned char classBit)
        : distances_(distances), status_(status), box_(IntBox::domainOf(status)),
          component_(component), classBit_(classBit), columns_(box_.columns()),
          unreached_((static_cast<std::size_t>(box_.rows()) * box_.columns() + 63) / 64, 0) {}

    void run() {
        const int axial = openBucket(markAxialStep);
        const int diagonal = openBucket(markDiagonalStep);
        seed(axial, diagonal);
        grow();
    }

private:
    float& value(int i, int j) { return distances_(i, j)[component_]; }

    // Which cells still read markUnreached, kept as bits: the growth tests a cell's neighbours
    // in the order the wave front reaches them, scattered over the image, and the bits stay in
    // cache where the distance array does not.
    std::size_t bitOf(int i, int j) const {
        return static_cast<std::size_t>(i - box_.lower[0]) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(j - box_.lower[1]);
    }
    bool isUnreached(int i, int j) const {
        const std::size_t bit = bitOf(i, j);
        return (unreached_[bit / 64] >> (bit % 64)) & 1u;
    }
    void setUnreached(int i, int j) {
        const std::size_t bit = bitOf(i, j);
        unreached_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
    void setReached(int i, int j) {
        const std::size_t bit = bitOf(i, j);
        unreached_[bit / 64] &= ~(std::uint64_t{1} << (bit % 64));
    }

    // Calls visit(i, j) for the neighbours inside the box: the 4-neighbours up, left, down,
    // right, or the diagonal ones of the row above (left first), then of the row below.
    template <typename Visit>
    void forEachNeighbour(const IntPoint& p, bool diagonal, Visit&& visit) const {
        const int i = p[0], j = p[1];
        const bool up = i > box_.lower[0], down = i < box_.upper[0];
        const bool left = j > box_.lower[1], right = j < box_.upper[1];
        if (diagonal) {
            if (up && left)
                visit(i - 1, j - 1);
            if (up && right)
                visit(i - 1, j + 1);
            if (down && left)
                visit(i + 1, j - 1);
            if (down && right)
                visit(i + 1, j + 1);
        } else {
            if (up)
                visit(i - 1, j);
            if (left)
                visit(i, j - 1);
            if (down)
                visit(i + 1, j);
            if (right)
                visit(i, j + 1);
        }
    }

    bool hasClassNeighbour(const IntPoint& p, bool diagonal) const {
        bool found = false;
        forEachNeighbour(p, diagonal, [&](int i, int j) { found = found || (status_(i, j) & classBit_) != 0; });
        return found;
    }

    // A new bucket brings the two growth steps that leave it. Buckets are opened in rising
    // order of distance (each at the sum of the step being taken, and steps are taken in
    // rising order), so a bucket of a given distance, if any, is the newest one; a slot freed
    // by an emptied bucket is reused with the storage it already has.
    int openBucket(float distance) {
        int slot;
        if (freeSlots_.empty()) {
            slot = static_cast<int>(buckets_.size());
            buckets_.emplace_back();
        } else {
            slot = freeSlots_.back();
            freeSlots_.pop_back();
        }
        newestDistance_ = distance;
        newestSlot_ = slot;
        pushStep(distance, markAxialStep, slot);
        pushStep(distance, markDiagonalStep, slot);
        return slot;
    }

    void pushStep(float distance, float length, int slot) {
        steps_.push_back(Step{distance, length, slot});
        std::push_heap(steps_.begin(), steps_.end(), LaterStep());
    }

    void seed(int axialSlot, int diagonalSlot) {
        for (int i = box_.lower[0]; i <= box_.upper[0]; ++i)
            for (int j = box_.lower[1]; j <= box_.upper[1]; ++j) {
                if (value(i, j) != markUnreached)
                    continue;
                const IntPoint p(i, j);
                if (hasClassNeighbour(p, false)) {
                    value(i, j) = markAxialStep;
                    buckets_[static_cast<std::size_t>(axialSlot)].push_back(p);
                } else if (hasClassNeighbour(p, true)) {
                    value(i, j) = markDiagonalStep;
                    buckets_[static_cast<std::size_t>(diagonalSlot)].push_back(p);
                } else {
                    setUnreached(i, j);
                }
            }
    }

    void grow() {
        while (!steps_.empty()) {
            std::pop_heap(steps_.begin(), steps_.end(), LaterStep());
            const Step step = steps_.back();
            steps_.pop_back();
            const float d = step.distance, s = step.length;
            const bool diagonal = s == markDiagonalStep;
            const auto source = static_cast<std::size_t>(step.bucket);
            if (!buckets_[source].empty()) {
                const float n = s + d;
                const int target = newestDistance_ == n ? newestSlot_ : openBucket(n);
                // Slots are taken only after opening: opening may move the bucket list.
                Bucket& into = buckets_[static_cast<std::size_t>(target)];
                for (const IntPoint& p : buckets_[source])
                    reach(p, n, diagonal, into);
            }
            // The axial step of this bucket, with the smaller sum, has already been taken.
            if (diagonal) {
                buckets_[source].clear();
                freeSlots_.push_back(step.bucket);
            }
        }
    }

    void reach(const IntPoint& p, float n, bool diagonal, Bucket& target) {
        forEachNeighbour(p, diagonal, [&](int i, int j) {
            if (isUnreached(i, j)) {
                setReached(i, j);
                value(i, j) = n;
                target.emplace_back(i, j);
            }
        });
    }

    MarkDistanceArray& distances_;
    const blitz::Array<unsigned char, 2>& status_;
    const IntBox box_;
    const int component_;
    const unsigned char classBit_;
    const int columns_;
    std::vector<std::uint64_t> unreached_;
    std::vector<Bucket> buckets_;
    std::vector<int> freeSlots_;
    float newestDistance_ = 0.0f;
    int newestSlot_ = -1;
    std::vector<Step> steps_;
};

}  // namespace

MarkDistanceArray& buildMarkDistances(MarkDistanceArray& result,
                                      const blitz::Array<unsigned char, 2>& statusCrop,
                                      ProgressRange /*progress*/) {
    result.resize(statusCrop.extent());
    result.reindexSelf(statusCrop.lbound());
    const IntBox box = IntBox::domainOf(statusCrop);
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const bool marked = (statusCrop(i, j) & 0x06) != 0;
            result(i, j) = marked ? MarkDistance(0.0f, 0.0f)
                                  : MarkDistance(markUnreached, markUnreached);
        }
    ClassGrowth(result, statusCrop, 0, 0x02).run();
    ClassGrowth(result, statusCrop, 1, 0x04).run();
    return result;
}

}  // namespace classification
