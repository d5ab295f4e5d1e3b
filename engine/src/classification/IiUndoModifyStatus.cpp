#include "classification/IiUndoModifyStatus.h"

#include "classification/IiClassification.h"

#include <algorithm>
#include <stdexcept>

namespace classification {

IiUndoModifyStatus::IiUndoModifyStatus(const blitz::Array<unsigned char, 2>& source,
                                       const blitz::Array<unsigned char, 2>& target)
    : box_(IntBox::domainOf(source)) {
    if (isBoxEmpty(box_) || !IntBox::domainOf(target).contains(box_))
        throw std::out_of_range("undo step box outside the status array");
    target_.reference(cropArrayToBox(target, box_));

    std::uint32_t count = 0;
    unsigned char current = 0;
    auto closeRun = [&] {
        if (count != 0)
            runs_.push_back((count << 8) | current);
    };
    const long sourceColumnStep = source.stride(1);
    const long targetColumnStep = target_.stride(1);
    for (int row = box_.lower[0]; row <= box_.upper[0]; ++row) {
        const unsigned char* s = &source(row, box_.lower[1]);
        const unsigned char* t = &target_(row, box_.lower[1]);
        for (int column = box_.lower[1]; column <= box_.upper[1]; ++column) {
            const unsigned char sv = *s;
            const unsigned char tv = *t;
            s += sourceColumnStep;
            t += targetColumnStep;
            const unsigned char x = (sv != 0 && tv != 0) ? static_cast<unsigned char>(sv ^ tv) : 0;
            // A run that fills its 24-bit count is closed; the next pixel starts a new one.
            if (x == current && count != 0 && count < maxRunLength) {
                ++count;
                continue;
            }
            closeRun();
            current = x;
            count = 1;
        }
    }
    closeRun();
}

void IiUndoModifyStatus::undo(IiClassification& classification) {
    applyRuns(classification);
}

void IiUndoModifyStatus::redo(IiClassification& classification) {
    applyRuns(classification);
}

void IiUndoModifyStatus::applyRuns(IiClassification& classification) {
    const long columnStep = target_.stride(1);
    auto run = runs_.begin();
    std::uint32_t left = run != runs_.end() ? (*run >> 8) : 0;
    for (int row = box_.lower[0]; row <= box_.upper[0]; ++row) {
        unsigned char* t = &target_(row, box_.lower[1]);
        int column = box_.lower[1];
        while (column <= box_.upper[1]) {
            const unsigned char x = static_cast<unsigned char>(*run & 0xFF);
            const int span = static_cast<int>(
                std::min<std::uint32_t>(left, static_cast<std::uint32_t>(box_.upper[1] - column + 1)));
            if (x != 0)
                for (int i = 0; i < span; ++i)
                    t[i * columnStep] ^= x;
            t += span * columnStep;
            column += span;
            left -= static_cast<std::uint32_t>(span);
            if (left == 0 && ++run != runs_.end())
                left = *run >> 8;
        }
    }
    classification.growChangedBox(box_);
}

}  // namespace classification
