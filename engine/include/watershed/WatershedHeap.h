#pragma once

#include "watershed/WatershedEntry.h"

#include <cassert>
#include <cstddef>
#include <vector>

namespace classification {

/// The flood's priority queue: a binary max-heap on `ranksBelow` in a growable array. Push
/// appends and sifts up; pop takes the top and refills the hole from the last entry, sifting
/// it down. The exact sift matters: it decides which of several entries equal in all three
/// fields leaves first, and with it the labels of tied nodes.
template <typename Node, typename Level>
class WatershedHeap {
public:
    using Entry = WatershedEntry<Node, Level>;

    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    const Entry& top() const {
        assert(!entries_.empty());
        return entries_.front();
    }

    void push(const Entry& entry) {
        std::size_t hole = entries_.size();
        entries_.push_back(entry);
        while (hole > 0) {
            const std::size_t parent = (hole - 1) / 2;
            if (!ranksBelow(entries_[parent], entry))
                break;
            entries_[hole] = entries_[parent];
            hole = parent;
        }
        entries_[hole] = entry;
    }

    Entry pop() {
        assert(!entries_.empty());
        const Entry result = entries_.front();
        const Entry moved = entries_.back();
        entries_.pop_back();
        const std::size_t count = entries_.size();
        if (count == 0)
            return result;
        std::size_t hole = 0;
        for (;;) {
            std::size_t child = 2 * hole + 1;
            if (child >= count)
                break;
            if (child + 1 < count && ranksBelow(entries_[child], entries_[child + 1]))
                ++child;
            if (!ranksBelow(moved, entries_[child]))
                break;
            entries_[hole] = entries_[child];
            hole = child;
        }
        entries_[hole] = moved;
        return result;
    }

private:
    std::vector<Entry> entries_;
};

}  // namespace classification
