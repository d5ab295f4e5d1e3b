#include "classification/GlobalClassification.h"

#include "classification/RowWorkers.h"
#include "watershed/ColourSpaceWatershed.h"
#include "watershed/WatershedFlood.h"

#include <algorithm>

namespace classification {

void GlobalClassification<unsigned char, 6, int>::runWatershedders(ProgressRange range) {
    runWatershedders(range, 0);
}

void GlobalClassification<unsigned char, 6, int>::runWatershedders(ProgressRange,
                                                                   unsigned workerCount) {
    RowWorkers team(std::min(RowWorkers::threadsFor(workerCount), unsigned{levelCount}));
    // Levels 6 down to 0, coarsest first; each level's flood reads and writes its own table,
    // allocator and count only.
    team.forEachRow(0, levelCount - 1, 1, RowWorkers::Bands::handedOut, [this](int task, unsigned) {
        Watershedder<levelCount>(*this)(levelCount - 1 - task);
    });
}

template <int Levels>
void GlobalClassification<unsigned char, 6, int>::Watershedder<Levels>::operator()(int level) {
    const auto index = static_cast<std::size_t>(level);
    ColourSpaceWatershed member(tables_[level], allocators_[index]);
    WatershedFlood<ColourSpaceWatershed>(member).floodInner(ProgressRange());
    classCounts_[index] = allocators_[index].next;
}

template class GlobalClassification<unsigned char, 6, int>::Watershedder<7>;

}  // namespace classification
