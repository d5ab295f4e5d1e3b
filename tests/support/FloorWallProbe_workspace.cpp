// Compiled against the workspace floor alone by its floor wall test, never linked. The headers of
// this floor and those below must be found; the composition header after them must not be.
#include "masking/GmModel.h"
#include "workspace/NavigatorWindow.h"

#include "composition/scene/ItemScene.h"

int floorWallProbeWorkspace() { return sizeof(NavigatorWindow) > 0 && sizeof(GmModel) > 0; }
