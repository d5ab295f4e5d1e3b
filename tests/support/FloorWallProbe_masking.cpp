// Compiled against the masking floor alone by its floor wall test, never linked. The headers of
// this floor and the one below must be found; the workspace header after them must not be.
#include "common/LogStream.h"
#include "masking/GmModel.h"

#include "workspace/ImageView.h"

int floorWallProbeMasking() { return sizeof(GmModel) > 0 && sizeof(LogStream) > 0; }
