#pragma once

#include "classification/JxInterface.h"

#include <QImage>
#include <QRect>

/// A command's own copy of an 8-bit mask (offset = its top-left in working coordinates) and
/// the selection record the engine reads from it. The engine does not clip, so the record
/// covers only the part of the mask inside the working image; a mask wholly outside gives an
/// empty record (`isEmpty`). The record points into this object's copy: keep the object alive
/// and unmoved while the engine may read it.
class MaskSelection {
public:
    MaskSelection() = default;
    MaskSelection(const QImage& mask, const QRect& workingRect);
    MaskSelection(const MaskSelection&) = delete;
    MaskSelection& operator=(const MaskSelection&) = delete;

    /// Replaces the copy and rebuilds the record.
    void assign(const QImage& mask, const QRect& workingRect);

    bool isEmpty() const { return record_.width <= 0 || record_.height <= 0; }
    const JxSelection& record() const { return record_; }
    const JxSelection* recordOrNull() const { return isEmpty() ? nullptr : &record_; }
    const QImage& mask() const { return mask_; }

private:
    QImage mask_;
    JxSelection record_{0, 0, 0, 0, 0, 0, nullptr};
};
