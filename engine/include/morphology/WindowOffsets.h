#pragma once

#include <blitz/array.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace morphology {

/// The members of a structuring element (its non-zero entries) as element offsets into an
/// array with the given strides, and the offsets of the values that leave and enter the
/// window when its origin moves one step along the second axis: relative to the new origin,
/// a leaving offset addresses a value of the old window that is not in the new one, an
/// entering offset a value of the new window that was not in the old one. An element row
/// with holes has several runs, and so several leaving and entering offsets.
struct WindowOffsets {
    std::vector<std::ptrdiff_t> members;
    std::vector<std::ptrdiff_t> leaving;
    std::vector<std::ptrdiff_t> entering;

    template <typename Element>
    static WindowOffsets of(const blitz::Array<Element, 2>& element, std::ptrdiff_t stride0,
                            std::ptrdiff_t stride1) {
        auto offset = [&](int a, int b) { return stride0 * a + stride1 * b; };
        const int first = element.lbound(1);
        const int last = element.ubound(1);
        WindowOffsets offsets;
        for (int a = element.lbound(0); a <= element.ubound(0); ++a) {
            if (element(a, first))
                offsets.leaving.push_back(offset(a, first - 1));
            for (int b = first; b < last; ++b) {
                const bool member = element(a, b) != Element();
                const bool nextMember = element(a, b + 1) != Element();
                if (member) {
                    offsets.members.push_back(offset(a, b));
                    if (!nextMember)
                        offsets.entering.push_back(offset(a, b));
                } else if (nextMember) {
                    offsets.leaving.push_back(offset(a, b));
                }
            }
            if (element(a, last)) {
                offsets.members.push_back(offset(a, last));
                offsets.entering.push_back(offset(a, last));
            }
        }
        return offsets;
    }
};

}  // namespace morphology
