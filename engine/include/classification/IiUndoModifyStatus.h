#pragma once

#include "classification/IiUndoStep.h"
#include "classification/IntBox.h"

#include <blitz/array.h>

#include <cstdint>
#include <vector>

namespace classification {

/// The change of a rectangular part of a status array, kept as runs of XOR bytes: applying the
/// runs once takes the statuses back, applying them again brings the change back.
class IiUndoModifyStatus : public IiUndoStep {
public:
    /// The longest run one word can count (its upper 24 bits).
    static constexpr std::uint32_t maxRunLength = (1u << 24) - 1;

    /// Records the change from the statuses in `target` to those in `source`, over the index
    /// box of `source`, which must lie inside `target`'s domain. Built before the new statuses are
    /// written, so that a failure here leaves the target untouched. A pixel that is 0 on either
    /// side is recorded as unchanged. `target` is kept to apply the runs to; it shares the
    /// status array's storage.
    IiUndoModifyStatus(const blitz::Array<unsigned char, 2>& source,
                       const blitz::Array<unsigned char, 2>& target);

    void undo(IiClassification& classification) override;
    void redo(IiClassification& classification) override;

    const IntBox& box() const { return box_; }
    const std::vector<std::uint32_t>& runs() const { return runs_; }

private:
    void applyRuns(IiClassification& classification);

    IntBox box_;
    std::vector<std::uint32_t> runs_;    // (count << 8) | xor byte, in row order of the box
    blitz::Array<unsigned char, 2> target_;
};

}  // namespace classification
