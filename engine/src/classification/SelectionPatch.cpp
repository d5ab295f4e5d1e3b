#include "classification/SelectionPatch.h"

#include <climits>

SelectionPatch::SelectionPatch(const JxSelection& selection)
    : box(classification::IntBox::fromRect(selection.x, selection.y, selection.width,
                                           selection.height)) {
    if (selection.mask) {
        mask_.reference(bytesOf(selection));
        hasMask_ = true;
    }
}

bool SelectionPatch::isValid(const JxSelection& selection) {
    if (selection.width <= 0 || selection.height <= 0)
        return false;
    // The last row and column must be representable: no index may wrap.
    if (static_cast<long long>(selection.x) + selection.width - 1 > INT_MAX ||
        static_cast<long long>(selection.y) + selection.height - 1 > INT_MAX)
        return false;
    return !selection.mask || selection.stride >= selection.width;
}

blitz::Array<unsigned char, 2> SelectionPatch::bytesOf(const JxSelection& selection) {
    // The engine never writes through this view; Blitz++ has no array of const elements.
    blitz::Array<unsigned char, 2> bytes(const_cast<unsigned char*>(selection.mask),
                                         blitz::shape(selection.height, selection.width),
                                         blitz::TinyVector<blitz::diffType, 2>(selection.stride, 1),
                                         blitz::neverDeleteData);
    bytes.reindexSelf(classification::IntPoint(selection.y, selection.x));
    return bytes;
}
