#include "classification/ColourTable.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace classification {

ColourTable::ColourTable() : heads_(initialBuckets, -1), shift_(shiftFor(initialBuckets)) {}

unsigned ColourTable::shiftFor(std::size_t buckets) {
    unsigned shift = 32;
    for (std::size_t b = buckets; b > 1; b >>= 1)
        --shift;
    return shift;
}

std::int32_t ColourTable::indexOf(const ColourKey6& key) const {
    for (std::int32_t i = heads_[bucketOf(key)]; i >= 0; i = entries_[static_cast<std::size_t>(i)].next)
        if (entries_[static_cast<std::size_t>(i)].key == key)
            return i;
    return -1;
}

void ColourTable::indexOfEach(const ColourKey6* keys, int count, std::int32_t* indices) const {
    constexpr int most = 16;
    std::size_t buckets[most];
    for (int first = 0; first < count; first += most) {
        const int n = std::min(most, count - first);
        for (int k = 0; k < n; ++k) {
            buckets[k] = bucketOf(keys[first + k]);
            __builtin_prefetch(&heads_[buckets[k]]);
        }
        for (int k = 0; k < n; ++k) {
            indices[first + k] = heads_[buckets[k]];
            if (indices[first + k] >= 0)
                __builtin_prefetch(&entries_[static_cast<std::size_t>(indices[first + k])]);
        }
        for (int k = 0; k < n; ++k) {
            std::int32_t i = indices[first + k];
            while (i >= 0 && entries_[static_cast<std::size_t>(i)].key != keys[first + k])
                i = entries_[static_cast<std::size_t>(i)].next;
            indices[first + k] = i;
        }
    }
}

std::int32_t ColourTable::findOrInsert(const ColourKey6& key) {
    std::size_t bucket = bucketOf(key);
    for (std::int32_t i = heads_[bucket]; i >= 0; i = entries_[static_cast<std::size_t>(i)].next)
        if (entries_[static_cast<std::size_t>(i)].key == key)
            return i;

    if (entries_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::length_error("Colour table too large");
    if (entries_.size() + 1 > heads_.size()) {
        rehash(heads_.size() * 2);
        bucket = bucketOf(key);
    }
    const auto index = static_cast<std::int32_t>(entries_.size());
    entries_.push_back(Entry{key, heads_[bucket], ColourCell{}});
    heads_[bucket] = index;
    return index;
}

void ColourTable::clear() {
    std::vector<Entry>().swap(entries_);
    std::vector<std::int32_t>(initialBuckets, -1).swap(heads_);
    shift_ = shiftFor(initialBuckets);
}

void ColourTable::rehash(std::size_t buckets) {
    std::vector<std::int32_t>(buckets, -1).swap(heads_);
    shift_ = shiftFor(buckets);
    // Relinking in index order keeps every chain ordered from newest to oldest, as insertion does.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::size_t bucket = bucketOf(entries_[i].key);
        entries_[i].next = heads_[bucket];
        heads_[bucket] = static_cast<std::int32_t>(i);
    }
}

}  // namespace classification
