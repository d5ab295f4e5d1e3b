#pragma once

#include "classification/IntBox.h"
#include "classification/JxInterface.h"

#include <blitz/array.h>

/// The patch of a JxSelection inside the engine: its rectangle as a box in the pixel grid of the
/// top session and, when it has one, its mask as a byte array indexed from the box's lower
/// corner. The mask views the caller's bytes; they must outlive the patch.
class SelectionPatch {
public:
    /// The selection must have passed isValid.
    explicit SelectionPatch(const JxSelection& selection);

    /// True when the selection can be read: width and height above 0, the box inside the int
    /// range, and a mask (if any) whose rows are at least `width` bytes apart.
    static bool isValid(const JxSelection& selection);

    /// The selection's bytes as a byte array over its box (rows y.., columns x..), viewing the
    /// caller's memory. The selection must have passed isValid and have a mask.
    static blitz::Array<unsigned char, 2> bytesOf(const JxSelection& selection);

    const blitz::Array<unsigned char, 2>* mask() const { return hasMask_ ? &mask_ : nullptr; }

    classification::IntBox box;

private:
    blitz::Array<unsigned char, 2> mask_;
    bool hasMask_ = false;
};
