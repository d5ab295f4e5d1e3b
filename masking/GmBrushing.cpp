#include "masking/GmBrushing.h"

#include "masking/GmShapeHost.h"

GmBrushing::GmBrushing(const QColor& colour, QObject* parent)
    : QObject(parent), brushing_(colour)
{
    if (GmShapeHost* host = GmShapeHost::current())
        host->brushingCreated(this);
}

GmBrushing::~GmBrushing()
{
    // Off the list first: the stroke's own destructor asks for a repaint, and a view that
    // repaints then must no longer find it.
    if (GmShapeHost* host = GmShapeHost::current())
        host->brushingDestroyed(this);
}
