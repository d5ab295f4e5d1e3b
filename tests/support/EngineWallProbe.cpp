// Compiled as part of the application by the engine wall test, never linked. The flat interface
// must be found; the engine header after it must not be.
#include "classification/JxInterface.h"

#include "classification/IiClassification.h"

int engineWallProbe() { return JxOk; }
