#pragma once

#include <cstdint>

namespace classification {

/// Hands out class numbers 0, 1, 2, ... in the order the classes start. Once `next` has passed
/// `cap`, every further class shares the number `cap`, so numbering never overflows.
struct ClassAllocator {
    static constexpr std::int32_t defaultCap = 2147483646;

    std::int32_t cap = defaultCap;
    std::int32_t next = 0;   // number of classes handed out so far

    std::int32_t allocate() {
        if (next > cap)
            return cap;
        return next++;
    }
};

}  // namespace classification
