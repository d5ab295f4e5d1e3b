#include "masking/MaskSelection.h"

MaskSelection::MaskSelection(const QImage& mask, const QRect& workingRect)
{
    assign(mask, workingRect);
}

void MaskSelection::assign(const QImage& mask, const QRect& workingRect)
{
    record_ = JxSelection{0, 0, 0, 0, 0, 0, nullptr};
    mask_ = QImage();
    if (mask.isNull() || mask.format() != QImage::Format_Indexed8)
        return;
    const QRect placed(mask.offset(), mask.size());
    const QRect inside = placed & workingRect;
    if (inside.isEmpty())
        return;
    mask_ = mask.copy(inside.translated(-placed.topLeft()));
    mask_.setOffset(inside.topLeft());
    record_ = JxSelection{inside.x(), inside.y(), inside.width(), inside.height(),
                          int(mask_.bytesPerLine()), int(mask_.format()), mask_.constBits()};
}
