// Compiled against the common floor alone by its floor wall test, never linked. The floor's own
// header must be found; the masking header after it must not be.
#include "common/LogStream.h"

#include "masking/GmModel.h"

int floorWallProbeCommon() { return sizeof(LogStream) > 0; }
