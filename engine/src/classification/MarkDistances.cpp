#include "classification/MarkDistances.h"

#include "classification/IntBox.h"
#include "classification/NeighbourList.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace classification {

namespace {

using Bucket = std::vector<IntPoint>;
using Step = std::pair<float, float>;   // (distance of a bucket, step length)

// Orders the step heap so that its front has the smallest d + s, summed in float as the
// distances themselves are.
struct LaterStep {
    bool operator()(const Step& l, const Step& r) const {
        return l.first + l.second > r.first + r.second;
    }
};

class ClassGrowth {
public:
    ClassGrowth(MarkDistanceArray& distances, const blitz::Array<unsigned char, 2>& status,
                int component, unsigned char classBit)
        : distances_(distances), status_(status), box_(IntBox::domainOf(status)),
          neighbours_(box_), component_(component), classBit_(classBit) {}

    void run() {
        openBucket(markAxialStep);
        openBucket(markDiagonalStep);
        seed();
        grow();
    }

private:
    float& value(int i, int j) { return distances_(i, j)[component_]; }

    void collect(const IntPoint& p, bool diagonal) {
        if (diagonal)
            neighbours_.collectDiagonal(p);
        else
            neighbours_.collectAxial(p);
    }

    bool hasClassNeighbour(const IntPoint& p, bool diagonal) {
        collect(p, diagonal);
        for (const IntPoint& q : neighbours_.points)
            if ((status_(q) & classBit_) != 0)
                return true;
        return false;
    }

    // A new bucket brings the two growth steps that leave it.
    void openBucket(float distance) {
        buckets_.emplace(distance, Bucket());
        pushStep(distance, markAxialStep);
        pushStep(distance, markDiagonalStep);
    }

    void pushStep(float distance, float step) {
        steps_.emplace_back(distance, step);
        std::push_heap(steps_.begin(), steps_.end(), LaterStep());
    }

    void seed() {
        Bucket& axial = buckets_[markAxialStep];
        Bucket& diagonal = buckets_[markDiagonalStep];
        for (int i = box_.lower[0]; i <= box_.upper[0]; ++i)
            for (int j = box_.lower[1]; j <= box_.upper[1]; ++j) {
                if (value(i, j) != markUnreached)
                    continue;
                const IntPoint p(i, j);
                if (hasClassNeighbour(p, false)) {
                    value(i, j) = markAxialStep;
                    axial.push_back(p);
                } else if (hasClassNeighbour(p, true)) {
                    value(i, j) = markDiagonalStep;
                    diagonal.push_back(p);
                }
            }
    }

    void grow() {
        while (!steps_.empty()) {
            std::pop_heap(steps_.begin(), steps_.end(), LaterStep());
            const Step step = steps_.back();
            steps_.pop_back();
            const float d = step.first, s = step.second;
            const bool diagonal = s == markDiagonalStep;
            auto found = buckets_.find(d);
            if (found != buckets_.end() && !found->second.empty()) {
                const float n = s + d;
                if (buckets_.find(n) == buckets_.end())
                    openBucket(n);
                Bucket& target = buckets_[n];   // map references survive insertions
                for (const IntPoint& p : found->second)
                    reach(p, n, diagonal, target);
            }
            // The axial step of this bucket, with the smaller sum, has already been taken.
            if (diagonal && found != buckets_.end())
                buckets_.erase(found);
        }
    }

    void reach(const IntPoint& p, float n, bool diagonal, Bucket& target) {
        collect(p, diagonal);
        for (const IntPoint& q : neighbours_.points)
            if (value(q[0], q[1]) == markUnreached) {
                value(q[0], q[1]) = n;
                target.push_back(q);
            }
    }

    MarkDistanceArray& distances_;
    const blitz::Array<unsigned char, 2>& status_;
    const IntBox box_;
    NeighbourList neighbours_;
    const int component_;
    const unsigned char classBit_;
    std::map<float, Bucket> buckets_;
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
