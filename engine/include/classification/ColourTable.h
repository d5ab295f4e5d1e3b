#pragma once

#include "classification/ColourKey6.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace classification {

/// What a colour table keeps for one quantised colour.
struct ColourCell {
    std::int32_t colourClass = -1;   // -1 until the colour-space watershed labels the cell
    std::uint32_t count = 0;         // pixels whose key at the table's level is the cell's key
};

/// A hash map from `ColourKey6` to `ColourCell` with `colourKeyHash`, power-of-two buckets
/// (8 when empty) and a load factor of at most 1. Cells live in one array in insertion order:
/// a cell's index is its handle for the watershed flood and stays valid while cells are added,
/// and iteration (indices 0 to size() - 1) visits every cell once in that order.
class ColourTable {
public:
    static constexpr std::size_t initialBuckets = 8;

    ColourTable();

    std::size_t size() const { return entries_.size(); }
    std::size_t bucketCount() const { return heads_.size(); }

    /// The index of the key's cell, or -1 when the key is absent.
    std::int32_t indexOf(const ColourKey6& key) const;

    /// indexOf for `count` keys at once, into `indices`. The lookups of a batch overlap their
    /// memory accesses, which is what a lookup mostly waits for in a large table.
    void indexOfEach(const ColourKey6* keys, int count, std::int32_t* indices) const;

    /// The index of the key's cell, inserting a cell (class -1, count 0) when absent.
    /// Throws std::length_error when the table cannot grow any further.
    std::int32_t findOrInsert(const ColourKey6& key);

    ColourCell& cellAt(std::int32_t index) { return entries_[static_cast<std::size_t>(index)].cell; }
    const ColourCell& cellAt(std::int32_t index) const {
        return entries_[static_cast<std::size_t>(index)].cell;
    }
    const ColourKey6& keyAt(std::int32_t index) const {
        return entries_[static_cast<std::size_t>(index)].key;
    }

    /// Back to 8 empty buckets, releasing the cells' storage.
    void clear();

private:
    struct Entry {
        ColourKey6 key;
        std::int32_t next;   // next entry of the same bucket, -1 at the end
        ColourCell cell;
    };

    /// The key hash carries channels 3 to 5 almost only in its high bits, and images whose
    /// channels use 7 bits leave its low bits half empty: masked, it would crowd whole chains
    /// into a few buckets. A multiplication by the golden ratio mixes every bit into the top
    /// bits, which pick the bucket.
    std::size_t bucketOf(const ColourKey6& key) const {
        return (colourKeyHash(key) * 0x9E3779B1u) >> shift_;
    }
    static unsigned shiftFor(std::size_t buckets);
    void rehash(std::size_t buckets);

    std::vector<std::int32_t> heads_;   // first entry of each bucket, -1 when empty
    unsigned shift_;                    // 32 - log2 of the bucket count
    std::vector<Entry> entries_;
};

}  // namespace classification
