#include "masking/ForcedEdge.h"

#include "masking/GmModel.h"
#include "masking/GmModelKeys.h"
#include "masking/GmShapeHost.h"
#include "masking/JxCmdSelect.h"

#include <QBrush>
#include <QPen>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

ForcedEdge::ForcedEdge(const QPolygonF& points, int width, QObject* parent)
    : ArrowTarget(parent),
      line_(points, 0),
      width_(std::clamp(width, smallestWidth, largestWidth)) {}

ForcedEdge::ForcedEdge(const QVariant& entry, QObject* parent)
    : ArrowTarget(parent),
      line_(entry.toMap().value(GmKeys::poly)),
      width_(std::clamp(entry.toMap().value(GmKeys::width).toInt(), smallestWidth, largestWidth)) {}

QVariant ForcedEdge::save() const
{
    QVariantMap m;
    m[GmKeys::type] = int(GmKeys::ForcedEdgeType);
    m[GmKeys::poly] = line_.toVariant();
    m[GmKeys::width] = width_;
    return m;
}

void ForcedEdge::activate()
{
    if (GmModel* model = GmModel::existing())
        model->setActiveForcedEdge(this);
}

void ForcedEdge::deactivate()
{
    if (isActive())
        GmModel::existing()->setActiveForcedEdge(nullptr);
}

bool ForcedEdge::isActive() const
{
    const GmModel* model = GmModel::existing();
    return model && model->activeForcedEdge() == this;
}

QColor ForcedEdge::arrowStyle() const
{
    return outlineColour(isActive());
}

void ForcedEdge::applyToEngine()
{
    if (GmModel* model = GmModel::existing())
        submitToEngine(new JxCmdSelect(model, this));
}

void ForcedEdge::resetEngineState(GmRegion*)
{
    releaseForcedEdgeMask();
}

QImage* ForcedEdge::forcedEdgeMask()
{
    GmShapeHost* host = GmShapeHost::current();
    if (!host)
        return nullptr;
    // The mask is drawn in image coordinates scaled down by the divisor: a pen as wide as
    // the divisor is one working pixel.
    QPen pen(QBrush(Qt::color1), host->resolution(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return line_.maskImage(pen, Qt::NoBrush);
}

void ForcedEdge::releaseForcedEdgeMask()
{
    // Commands copy the mask, so it may go while one of them still runs.
    line_.dropEngineMask();
}

std::vector<float> ForcedEdge::workingPoints() const
{
    GmShapeHost* host = GmShapeHost::current();
    const double scale = 1.0 / (host ? host->resolution() : 1);
    std::vector<float> points;
    points.reserve(size_t(line_.points().size()) * 2);
    for (const QPointF& p : line_.points()) {
        const float x = float(p.x() * scale);
        const float y = float(p.y() * scale);
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        points.push_back(x);
        points.push_back(y);
    }
    return points;
}
