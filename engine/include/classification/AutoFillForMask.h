#pragma once

#include "classification/AutoFillResult.h"
#include "classification/IntBox.h"
#include "classification/ProgressRange.h"
#include "classification/UndoHistory.h"

#include <blitz/array.h>

#include <functional>

namespace classification {

/// The session's auto fill as mask generation uses it: spreads `fillStatus` (2 keep or 4
/// delete) over the fillable pixels (status 1) of `area`, recording every status change as a
/// step in `history`, reporting on `progress`; a cancel from the reporter propagates.
using MaskAutoFill = std::function<void(blitz::Array<unsigned char, 2> area,
                                        unsigned char fillStatus, float fillParameter,
                                        UndoHistory& history, ProgressRange progress)>;

/// Before a generation: when the generation box holds only one kind of mark (keep 2 or delete
/// 4), lets the auto fill spread that kind over the fillable pixels, first inside the box and
/// then, if still needed, over the whole status image; each fill opens one undo group in
/// `history` (at most two). Reports which kinds of marks there are (for a box smaller than
/// the image: in the box or anywhere in the image) and the box the colour estimates should
/// look at: the margin box when the generation box holds both kinds, else the whole domain.
/// `generationBox` must lie inside `status` (else std::out_of_range). Reports nothing itself;
/// each fill gets the child range up to 0.2 of `progress`.
AutoFillResult autoFillForMask(const IntBox& wholeDomain, const IntBox& generationBox,
                               blitz::Array<unsigned char, 2> status, const IntBox& marginBox,
                               float fillParameter, UndoHistory& history, ProgressRange progress,
                               const MaskAutoFill& autoFill);

}  // namespace classification
