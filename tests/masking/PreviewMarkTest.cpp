// Patch previews that stay current through a mask generation, and the repaint rectangles of
// region and forced-edge outlines.
#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/PixelState.h"
#include "masking/Rectangle.h"
#include "tests/masking/FakeShapeHost.h"
#include "tests/masking/SavedTargets.h"

#include <QBrush>
#include <QCoreApplication>
#include <QEvent>
#include <QPen>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using savetest::SavedEdge;
using savetest::SavedRectRegion;

// A 6 x 4 engine-style status buffer, every pixel `fill`.
struct StatusBytes {
    explicit StatusBytes(JxPixelStatus fill) : bytes(6 * 4, fill) {
        record = JxImage{6, 4, 6, JxFormatStatus, bytes.data()};
    }
    unsigned char at(int x, int y) const { return bytes[std::size_t(y) * 6 + x]; }
    std::vector<unsigned char> bytes;
    JxImage record;
};

// A 2 x 2 mask with its top-left at `offset`, every pixel set.
QImage* squareMask(QPoint offset) {
    auto* mask = new QImage(2, 2, QImage::Format_Indexed8);
    mask->setColorCount(9);
    mask->fill(1);
    mask->setOffset(offset);
    return mask;
}

TEST(PreviewMarks, OnlyACurrentPreviewFlagsItsPixels) {
    enum Change { None, NoSavedSettings, OtherSettings, OtherStatus };
    const struct { const char* name; Change change; bool flagged; } cases[] = {
        {"preview current", None, true},
        {"never previewed", NoSavedSettings, false},
        {"blending changed since", OtherSettings, false},
        {"statuses changed since", OtherStatus, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusBytes buffer(JxStatusKeep);
        GmStatusArray status;
        status.setStatusImage(&buffer.record);
        SavedRectRegion region(QRectF(0, 0, 4, 4));
        PixelState* state = region.shape()->pixelState();
        state->takeMask(squareMask(QPoint(1, 1)));
        state->saveStatuses(status.statusImage());
        if (c.change != NoSavedSettings)
            state->savedSettings = region.blendage().toVariant();
        if (c.change == OtherSettings)
            region.blendage().options.blendRatioF_ = 0.25f;
        if (c.change == OtherStatus)
            buffer.bytes[2 * 6 + 2] = JxStatusDelete;

        status.markCurrentPreviews(&region);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const bool under = x >= 1 && x <= 2 && y >= 1 && y <= 2;
                EXPECT_EQ(bool(buffer.at(x, y) & JxStatusPreviewCurrent), c.flagged && under)
                    << x << "," << y;
            }
    }
}

TEST(PreviewMarks, AMaskReachingPastTheStatusImageFlagsOnlyWhatLiesInside) {
    StatusBytes buffer(JxStatusKeep);
    GmStatusArray status;
    status.setStatusImage(&buffer.record);
    SavedRectRegion region(QRectF(0, 0, 4, 4));
    PixelState* state = region.shape()->pixelState();
    state->takeMask(squareMask(QPoint(5, 3)));   // three of its pixels lie outside
    state->saved = true;
    state->mask()->fill(JxStatusKeep);
    state->savedSettings = region.blendage().toVariant();
    // A pixel outside counts as changed, so nothing is flagged (and nothing written outside).
    status.markCurrentPreviews(&region);
    EXPECT_EQ(buffer.at(5, 3), JxStatusKeep);
    // Without a status image or a region nothing happens at all.
    GmStatusArray detached;
    detached.markCurrentPreviews(&region);
    detached.markCurrentPreviews(nullptr);
}

TEST(PreviewMarks, RevertingTheOutputMakesEverySavedPreviewStale) {
    GmModel model;
    auto* a = new SavedRectRegion(QRectF(0, 0, 4, 4));
    auto* b = new SavedRectRegion(QRectF(2, 2, 4, 4));
    model.regions() << a << b;
    for (GmRegion* region : model.regions())
        region->shape()->pixelState()->saved = true;
    model.revertOutputImage();
    EXPECT_FALSE(a->shape()->pixelState()->saved);
    EXPECT_FALSE(b->shape()->pixelState()->saved);
    model.closeImage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(PreviewMarks, RenderTakesTheShapesMaskWithAnIteratorAtItsFirstPixel) {
    FakeShapeHost host(2, QSize(20, 10));
    tq::Rectangle rect(QPointF(4, 6));
    rect.dragCornerTo(QPointF(12, 14));
    PixelState state;
    state.render(rect, QPen(Qt::NoPen), QBrush(Qt::color1));
    ASSERT_NE(state.mask(), nullptr);
    EXPECT_GE(state.mask()->colorCount(), 9);
    ASSERT_NE(state.iterator(), nullptr);
    const QPoint first = state.iterator()->position();
    EXPECT_EQ(state.mask()->pixelIndex(first - state.mask()->offset()), 1);
    // A shape outside the working image leaves no mask and no iterator.
    tq::Rectangle outside(QPointF(100, 100));
    state.render(outside, QPen(Qt::NoPen), QBrush(Qt::color1));
    EXPECT_EQ(state.mask(), nullptr);
    EXPECT_EQ(state.iterator(), nullptr);
}

// Every repaint request of the model, in order.
struct Repaints {
    explicit Repaints(GmModel& model) {
        QObject::connect(&model, qOverload<ImageRectF, DirtyHint, PatchPreviewWanted>(&GmModel::rectDirty),
                         [this](ImageRectF r, DirtyHint hint, PatchPreviewWanted) {
                             seen.push_back({r, hint});
                         });
    }
    struct Request {
        QRectF rect;
        int hint;
        bool operator==(const Request& o) const { return rect == o.rect && hint == o.hint; }
    };
    std::vector<Request> take() { return std::exchange(seen, {}); }
    std::vector<Request> seen;
};

class OutlineRepaints : public ::testing::Test {
protected:
    void TearDown() override {
        model.closeImage();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    GmRegion* addRegion(const QRectF& r) {
        auto* region = new SavedRectRegion(r);
        model.regions().append(region);
        return region;
    }
    static QRectF boundsOf(ArrowTarget* target) { return target->shape()->bounds(); }
    FakeShapeHost host{1, QSize(100, 100)};   // a picture for the regions to lie on
    GmModel model;
    Repaints repaints{model};
};

TEST_F(OutlineRepaints, ActivationRepaintsTheOldAndNewOutlinesOnly) {
    GmRegion* a = addRegion(QRectF(0, 0, 10, 10));
    GmRegion* b = addRegion(QRectF(5, 5, 10, 10));
    GmRegion* c = addRegion(QRectF(40, 40, 10, 10));
    ASSERT_EQ(boundsOf(c), QRectF(40, 40, 10, 10));
    using R = Repaints::Request;
    model.setActiveRegion(a, 1);
    EXPECT_EQ(repaints.take(), (std::vector<R>{{boundsOf(a), DirtyRegionOutline}}));
    model.setActiveRegion(b, 1);   // they meet: one rectangle over both
    EXPECT_EQ(repaints.take(),
              (std::vector<R>{{boundsOf(a).united(boundsOf(b)), DirtyRegionOutline}}));
    model.setActiveRegion(c, 1);   // apart: the old, then the new
    EXPECT_EQ(repaints.take(),
              (std::vector<R>{{boundsOf(b), DirtyRegionOutline}, {boundsOf(c), DirtyRegionOutline}}));
    model.setActiveRegion(c, 1);   // already active: no repaint
    EXPECT_TRUE(repaints.take().empty());
    model.refreshActiveRegionOverlay();
    EXPECT_EQ(repaints.take(), (std::vector<R>{{boundsOf(c), DirtyOutline}}));
    model.setActiveRegion(nullptr, 1);
    EXPECT_EQ(repaints.take(), (std::vector<R>{{boundsOf(c), DirtyRegionOutline}}));
}

TEST_F(OutlineRepaints, ForcedEdgesAndRemovedRegionsRepaintTheirOutlines) {
    using R = Repaints::Request;
    auto* edge = new SavedEdge(QPolygonF(QVector<QPointF>{QPointF(1, 1), QPointF(30, 40)}), 5);
    model.forcedEdges().append(edge);
    model.setActiveForcedEdge(edge);
    EXPECT_EQ(repaints.take(), (std::vector<R>{{boundsOf(edge), DirtyRegionOutline}}));
    model.setActiveForcedEdge(nullptr);
    EXPECT_EQ(repaints.take(), (std::vector<R>{{boundsOf(edge), DirtyRegionOutline}}));

    GmRegion* region = addRegion(QRectF(20, 20, 8, 6));
    const QRectF bounds = boundsOf(region);
    model.deleteRegion(region);
    EXPECT_EQ(repaints.take(), (std::vector<R>{{bounds, DirtyRegionOutline}}));
    EXPECT_TRUE(model.regions().isEmpty());
}

}  // namespace
