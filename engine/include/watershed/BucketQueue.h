#pragma once

#include "watershed/WatershedEntry.h"

#include <array>
#include <cassert>
#include <cstddef>
#include <deque>
#include <stdexcept>

namespace classification {

/// A flood queue for byte levels: 256 first-in-first-out buckets, constant-time push and pop.
/// Among equal levels entries leave in the order they came, so the step counts a heap would
/// order by are not kept (popped entries carry 0 for both).
template <typename Node>
class BucketQueue {
public:
    using Entry = WatershedEntry<Node, int>;
    static constexpr int levelCount = 256;

    bool empty() const { return total_ == 0; }
    std::size_t size() const { return total_; }
    const Entry& top() const {
        assert(total_ != 0);
        return buckets_[highest_].front();
    }

    /// Levels outside 0 to 255 are refused: they would index past the buckets.
    void push(const Entry& entry) {
        if (entry.level < 0 || entry.level >= levelCount)
            throw std::out_of_range("Watershed level outside the byte range");
        buckets_[entry.level].push_back(Entry{entry.source, entry.target, entry.level, 0, 0});
        ++total_;
        if (entry.level > highest_)
            highest_ = entry.level;
    }

    Entry pop() {
        assert(total_ != 0);
        std::deque<Entry>& bucket = buckets_[highest_];
        const Entry result = bucket.front();
        bucket.pop_front();
        --total_;
        if (total_ == 0)
            highest_ = 0;
        else
            while (buckets_[highest_].empty())
                --highest_;
        return result;
    }

private:
    std::array<std::deque<Entry>, levelCount> buckets_;
    std::size_t total_ = 0;
    int highest_ = 0;
};

}  // namespace classification
