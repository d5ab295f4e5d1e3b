#include "classification/RegionLabelling.h"

#include "classification/LabelUnion.h"

#include <cstddef>
#include <stdexcept>

namespace classification {
namespace {

/// Counters of (region, class) pairs: an open-addressing hash table, since a photo's finest
/// colour level gives nearly every pixel a pair of its own and a node per counter would cost
/// more than the counting itself. Counters move when the table grows.
class PairKeyHashMap {
public:
    PairKeyHashMap() : keys_(8, emptyKey), counts_(8, 0), mask_(7) {}

    std::int32_t& operator[](std::uint64_t key) {
        std::size_t slot = slotOf(key);
        while (keys_[slot] != key) {
            if (keys_[slot] == emptyKey) {
                if (2 * (used_ + 1) > keys_.size()) {
                    grow();
                    return (*this)[key];
                }
                keys_[slot] = key;
                ++used_;
                break;
            }
            slot = (slot + 1) & mask_;
        }
        return counts_[slot];
    }

private:
    static constexpr std::uint64_t emptyKey = ~std::uint64_t(0);   // no region reaches 2^31

    std::size_t slotOf(std::uint64_t key) const {
        key ^= key >> 31;
        key *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(key ^ (key >> 29)) & mask_;
    }

    void grow() {
        std::vector<std::uint64_t> keys(keys_.size() * 2, emptyKey);
        std::vector<std::int32_t> counts(keys.size(), 0);
        keys_.swap(keys);
        counts_.swap(counts);
        mask_ = keys_.size() - 1;
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (keys[k] != emptyKey) {
                std::size_t slot = slotOf(keys[k]);
                while (keys_[slot] != emptyKey)
                    slot = (slot + 1) & mask_;
                keys_[slot] = keys[k];
                counts_[slot] = counts[k];
            }
    }

    std::vector<std::uint64_t> keys_;
    std::vector<std::int32_t> counts_;
    std::size_t mask_;
    std::size_t used_ = 0;
};

std::uint64_t pairKey(std::int32_t region, std::int32_t colourClass) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(region)) << 32) |
           static_cast<std::uint32_t>(colourClass);
}

}  // namespace

void keepConnectedLabels(const IntBox& box, const blitz::Array<std::int32_t, 2>& values,
                         blitz::Array<std::int32_t, 2> output, ProgressRange progress) {
    if (isBoxEmpty(box))
        return;
    if (!IntBox::domainOf(values).contains(box) || !IntBox::domainOf(output).contains(box))
        throw std::out_of_range("labelling box outside its images");
    const float rows = static_cast<float>(box.rows());
    for (int y = box.upper[0]; y >= box.lower[0]; --y) {
        for (int x = box.upper[1]; x >= box.lower[1]; --x) {
            const std::int32_t value = values(y, x);
            if (x < box.upper[1] && values(y, x + 1) == value) {
                output(y, x + 1) = value;
                output(y, x) = value;
            }
            if (y < box.upper[0] && values(y + 1, x) == value) {
                output(y + 1, x) = value;
                output(y, x) = value;
            }
        }
        if (y == 0)
            progress.report(static_cast<float>(box.upper[0] - y) / rows);
    }
}

void labelComponents(std::int32_t& nextLabel, blitz::Array<std::int32_t, 2> labels,
                     const blitz::Array<std::int32_t, 2>& values, const IntBox& box) {
    if (isBoxEmpty(box))
        return;
    if (!IntBox::domainOf(labels).contains(box))
        throw std::invalid_argument("labelling box outside the label image");
    std::vector<std::int32_t> parent;
    LabelUnion sets(parent, labels, values);   // refuses images of different domains

    for (int y = box.lower[0]; y <= box.upper[0]; ++y)
        for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
            const IntPoint pixel(y, x);
            const auto own = static_cast<std::int32_t>(parent.size());
            parent.push_back(own);
            if (y > box.lower[0])
                sets.uniteIfEqual(pixel, IntPoint(y - 1, x));
            if (x > box.lower[1])
                sets.uniteIfEqual(pixel, IntPoint(y, x - 1));
            labels(y, x) = parent.back();
            // Joined to an existing set: the provisional entry is nobody's root.
            if (parent.back() != own)
                parent.pop_back();
        }

    std::vector<std::int32_t> number(parent.size());
    std::int32_t count = 0;
    for (std::size_t i = 0; i < parent.size(); ++i)
        number[i] = parent[i] == static_cast<std::int32_t>(i)
                        ? count++
                        : number[static_cast<std::size_t>(parent[i])];
    for (int y = box.lower[0]; y <= box.upper[0]; ++y)
        for (int x = box.lower[1]; x <= box.upper[1]; ++x)
            labels(y, x) = nextLabel + number[static_cast<std::size_t>(labels(y, x))];
    nextLabel += count;
}

void regionMajorityClass(std::vector<std::int32_t>& output, std::int32_t regionCount,
                         const blitz::Array<std::int32_t, 2>& regions,
                         const blitz::Array<std::int32_t, 2>& classes, ProgressRange progress) {
    const std::size_t count = regionCount > 0 ? static_cast<std::size_t>(regionCount) : 0;
    output.assign(count, 0);
    const IntBox box = IntBox::domainOf(regions);
    if (isBoxEmpty(box) || count == 0)
        return;
    if (!IntBox::domainOf(classes).contains(box))
        throw std::invalid_argument("class image does not cover the region image");

    PairKeyHashMap counts;
    std::vector<std::int32_t> best(count, 0);
    const float rows = static_cast<float>(box.rows());
    for (int y = box.lower[0]; y <= box.upper[0]; ++y) {
        if ((y & 0xFF) == 0)
            progress.report(static_cast<float>(y - box.lower[0]) / rows);
        for (int x = box.lower[1]; x <= box.upper[1]; ++x) {
            const std::int32_t region = regions(y, x);
            if (region < 0 || static_cast<std::size_t>(region) >= count)
                continue;
            const std::int32_t colourClass = classes(y, x);
            const std::int32_t seen = ++counts[pairKey(region, colourClass)];
            if (seen > best[static_cast<std::size_t>(region)]) {
                best[static_cast<std::size_t>(region)] = seen;
                output[static_cast<std::size_t>(region)] = colourClass;
            }
        }
    }
}

}  // namespace classification
