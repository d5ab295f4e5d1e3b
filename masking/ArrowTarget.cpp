#include "masking/ArrowTarget.h"

#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "common/GmColor.h"
#include "common/PersistOptions.h"

QColor ArrowTarget::outlineColour(bool active)
{
    const auto index = active ? PersistOptions::ActivePatchOrForcedEdge
                              : PersistOptions::PatchOrForcedEdge;
    if (theOptions)
        if (const GmColor* colour = theOptions->color(index))
            return colour->color();
    // The settings' own defaults, for a process that has read no settings.
    return active ? QColor(Qt::yellow) : QColor(Qt::darkYellow);
}

void ArrowTarget::submitToEngine(OstrivalCommand* command)
{
    if (OstrivalThread* thread = theEngineThread)
        thread->submit(command);
    else
        delete command;
}

bool ArrowTarget::engineThreadOpen()
{
    return theEngineThread && theEngineThread->isOpen();
}
