#pragma once

#include <QPointF>

class QDropEvent;

/// The drop handling of the masking canvas and the composition view. Addresses and image data
/// go to a new `ImageReceiver`, whose best picture reaches the main window's
/// `receivedImageSlot`; text alone goes to its `receivedTextSlot` with `position`. A drop that
/// offers none of these is not accepted.
void acceptImageDrop(QDropEvent* event, QPointF position);
