#pragma once

#include "masking/ArrowTargetFactory.h"
#include "masking/Brushing.h"
#include "masking/ForcedEdge.h"
#include "masking/GmModelKeys.h"
#include "masking/GmRegion.h"
#include "masking/Polygon.h"
#include "masking/Rectangle.h"

#include <QVariantMap>

namespace savetest {

// Arrow targets that store themselves in the model's saved form and are rebuilt by the
// factory, with no engine work, so that the model's map is exercised on its own.

#define SAVETEST_QUIET_TARGET                                                           \
    void activate() override {}                                                          \
    void deactivate() override {}                                                        \
    void changed() override {}                                                           \
    QColor arrowStyle() const override { return QColor(); }                              \
    bool isActive() const override { return false; }                                     \
    void applyToEngine() override {}                                                     \
    void resetEngineState(GmRegion*) override {}

class SavedRectRegion : public GmRegion {
public:
    explicit SavedRectRegion(const QRectF& r) : rect_(r.topLeft()) { rect_.dragCornerTo(r.bottomRight()); }
    explicit SavedRectRegion(const QVariant& entry)
        : GmRegion(entry.toMap().value(GmKeys::regionBase), nullptr),
          rect_(entry.toMap().value(GmKeys::rectangle), 1) {}
    tq::Shape* shape() override { return &rect_; }
    bool isBrushRegion() const override { return false; }
    void setProtected(bool on) override { protected_ = on; }
    void protectInEngine() override {}
    QVariant save() const override {
        QVariantMap m;
        m[GmKeys::type] = int(GmKeys::RectRegionType);
        m[GmKeys::regionBase] = saveBase();
        m[GmKeys::rectangle] = rect_.toVariant();
        return m;
    }
    SAVETEST_QUIET_TARGET
    const tq::Rectangle& rectangle() const { return rect_; }

private:
    tq::Rectangle rect_;
};

class SavedBrushRegion : public GmRegion {
public:
    explicit SavedBrushRegion(const QColor& colour) : stroke_(colour) {}
    explicit SavedBrushRegion(const QVariant& entry)
        : GmRegion(entry.toMap().value(GmKeys::regionBase), nullptr),
          stroke_(entry.toMap().value(GmKeys::brushing)) {}
    tq::Shape* shape() override { return &stroke_; }
    bool isBrushRegion() const override { return true; }
    void setProtected(bool on) override { protected_ = on; }
    void protectInEngine() override {}
    QVariant save() const override {
        QVariantMap m;
        m[GmKeys::type] = int(GmKeys::BrushRegionType);
        m[GmKeys::regionBase] = saveBase();
        m[GmKeys::brushing] = stroke_.toVariant();
        return m;
    }
    SAVETEST_QUIET_TARGET
    Brushing& stroke() { return stroke_; }

private:
    Brushing stroke_;
};

// Forced edges do no engine work without an engine command thread: the real class serves.
using SavedEdge = ForcedEdge;

#undef SAVETEST_QUIET_TARGET

inline void registerSavedTargets() {
    ArrowTargetFactory::setCreator(GmKeys::RectRegionType,
                                   [](const QVariant& e) { return new SavedRectRegion(e); });
    ArrowTargetFactory::setCreator(GmKeys::BrushRegionType,
                                   [](const QVariant& e) { return new SavedBrushRegion(e); });
    ArrowTargetFactory::setCreator(GmKeys::ForcedEdgeType,
                                   [](const QVariant& e) { return new SavedEdge(e); });
}

}  // namespace savetest
