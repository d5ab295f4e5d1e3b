// Compiled against the composition floor alone by its floor wall test, never linked. The headers
// of this floor and those below must be found; the shell header after them must not be.
#include "composition/panels/PropertyPanelWindow.h"
#include "composition/scene/FrolixWidget.h"

#include "shell/TqMainWindow.h"

int floorWallProbeComposition() { return sizeof(FrolixWidget) > 0 && sizeof(PropertyPanelWindow) > 0; }
