#include "masking/BrushSizeValue.h"

#include <QtGlobal>

#include <atomic>

namespace {
std::atomic<int> theBrushSize{BrushSizeValue::initial};
}

int BrushSizeValue::brushSize() {
    return theBrushSize.load();
}

void BrushSizeValue::setBrushSize(int size) {
    theBrushSize = qBound(minimum, size, maximum);
}
