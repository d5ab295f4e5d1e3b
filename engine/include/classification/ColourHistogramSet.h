#pragma once

#include "classification/ColourTable.h"

#include <array>

namespace classification {

/// The colour tables of the seven levels: table L holds the keys quantised by L bits.
struct ColourHistogramSet {
    static constexpr int levelCount = 7;

    std::array<ColourTable, levelCount> tables;

    ColourTable& operator[](int level) { return tables[static_cast<std::size_t>(level)]; }
    const ColourTable& operator[](int level) const { return tables[static_cast<std::size_t>(level)]; }

    void clear() {
        for (ColourTable& table : tables)
            table.clear();
    }
};

}  // namespace classification
