#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/TqWorkspace.h"

#include <QScrollBar>
#include <QResizeEvent>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using zqtest::benchPhoto;
using zqtest::ViewWindow;
using zqtest::waitFor;

// The image point at the centre of the viewport.
QPointF viewportCentre(TqWorkspace* workspace) {
    const QScrollBar* h = workspace->horizontalScrollBar();
    const QScrollBar* v = workspace->verticalScrollBar();
    const QRect display = workspace->canvas()->displayRect();
    const double zoom = workspace->canvas()->zoom();
    return QPointF((h->value() + h->pageStep() * 0.5 - display.left()) / zoom,
                   (v->value() + v->pageStep() * 0.5 - display.top()) / zoom);
}

void settle(TqWorkspace* workspace, double zoom) {
    waitFor([&] {
        return workspace->canvas()->zoom() == zoom &&
               workspace->canvas()->size() == workspace->canvas()->sizeHint();
    });
    QCoreApplication::processEvents();
}

TEST(TqWorkspace, ShownPhotoIsFittedInto85PercentOfTheViewportAndCentred) {
    ViewWindow window(benchPhoto());
    TqWorkspace* workspace = window.view()->workspace();
    GmZoomWidget* canvas = workspace->canvas();
    const QSize viewport = workspace->viewport()->size();
    // 85 % of each side, rounded, then the photo scaled into it keeping its shape.
    const double targetW = std::floor(viewport.width() * double(0.85f) + 0.5);
    const double targetH = std::floor(viewport.height() * double(0.85f) + 0.5);
    const double expected = std::min(targetW / 640.0, targetH / 480.0);
    EXPECT_NEAR(canvas->zoom(), expected, 1e-9);

    const QSize zoomed(int(640 * canvas->zoom()), int(480 * canvas->zoom()));
    EXPECT_EQ(canvas->zoomedImageSize(), zoomed);
    EXPECT_EQ(canvas->size(), viewport) << "a canvas smaller than the viewport fills it";
    EXPECT_EQ(canvas->displayRect(),
              QRect((viewport.width() - zoomed.width()) / 2,
                    (viewport.height() - zoomed.height()) / 2, zoomed.width(), zoomed.height()));
}

TEST(TqWorkspace, FitToViewportUsesTheWholeViewportUpToFour) {
    struct Case {
        QSize picture;
        double expectedZoomTimesSide;  // zoom × the side that limits it
        bool byWidth;
    };
    ViewWindow window(benchPhoto());
    TqWorkspace* workspace = window.view()->workspace();
    const QSize viewport = workspace->viewport()->size();
    workspace->fitToViewport();
    EXPECT_NEAR(workspace->canvas()->zoom(),
                std::min(viewport.width() / 640.0, viewport.height() / 480.0), 1e-9);

    // A tiny picture would need far more than 4: the cap holds.
    ModelPort::instance()->setPictures(QImage(10, 5, QImage::Format_ARGB32_Premultiplied), QImage());
    workspace->fitToViewport();
    EXPECT_EQ(workspace->canvas()->zoom(), 4.0);
}

TEST(TqWorkspace, ZoomIsCappedAtFourAndIgnoresNonPositiveRequests) {
    ViewWindow window(benchPhoto());
    TqWorkspace* workspace = window.view()->workspace();
    QSignalSpy zooms(window.view(), &ImageView::zoomChanged);
    struct Case {
        double requested;
        double expected;
    };
    const Case cases[] = {{5.0, 4.0}, {0.5, 0.5}, {0.0, 0.5}, {-2.0, 0.5}, {4.0, 4.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        zooms.clear();
        workspace->zoomTo(c.requested);
        EXPECT_EQ(workspace->canvas()->zoom(), c.expected);
        // Even a refused zoom lays out and reports the zoom in force.
        ASSERT_EQ(zooms.count(), 1);
        EXPECT_EQ(zooms.at(0).at(0).toDouble(), c.expected);
    }
}

TEST(TqWorkspace, ZoomKeepsTheImagePointAtTheViewportCentre) {
    ViewWindow window(benchPhoto(), 400, 300);
    TqWorkspace* workspace = window.view()->workspace();
    workspace->zoomTo(1.0);
    settle(workspace, 1.0);
    QScrollBar* h = workspace->horizontalScrollBar();
    QScrollBar* v = workspace->verticalScrollBar();
    ASSERT_GT(h->maximum(), 0);
    h->setValue(h->maximum() / 2 + 17);
    v->setValue(v->maximum() / 2 - 11);
    const QPointF before = viewportCentre(workspace);

    workspace->zoomTo(2.0);
    settle(workspace, 2.0);
    const QPointF after = viewportCentre(workspace);
    // The bars hold whole pixels at zoom 2: half an image pixel at most.
    EXPECT_NEAR(after.x(), before.x(), 0.5);
    EXPECT_NEAR(after.y(), before.y(), 0.5);

    // At the cap a larger request keeps the bars where they are.
    workspace->zoomTo(4.0);
    settle(workspace, 4.0);
    const int hAtCap = h->value();
    const int vAtCap = v->value();
    workspace->zoomTo(8.0);
    EXPECT_EQ(h->value(), hAtCap);
    EXPECT_EQ(v->value(), vAtCap);
}

TEST(TqWorkspace, ZoomBeforeTheViewportHasASizeStaysFinite) {
    // The scroll bars as they are at start-up, before the viewport has been given a size:
    // no range and no page, so the centre of the viewport is no fraction of anything.
    ModelPort::instance()->setPictures(benchPhoto(), QImage());
    ImageView view;
    TqWorkspace* workspace = view.workspace();
    for (QScrollBar* bar : {workspace->horizontalScrollBar(), workspace->verticalScrollBar()}) {
        bar->setRange(0, 0);
        bar->setPageStep(0);
    }
    workspace->zoomTo(2.0);
    EXPECT_EQ(workspace->canvas()->zoom(), 2.0);
    EXPECT_EQ(workspace->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(workspace->verticalScrollBar()->value(), 0);
    ModelPort::instance()->setPictures(QImage(), QImage());
}

TEST(TqWorkspace, ReportsTheVisibleImageRectangle) {
    ViewWindow window(benchPhoto(), 400, 300);
    TqWorkspace* workspace = window.view()->workspace();
    QSignalSpy reports(window.view(), &ImageView::sayViewportRectChanged);

    // Whole image visible: four zeros, and scrolling reports nothing.
    workspace->fitToViewport();
    settle(workspace, workspace->canvas()->zoom());
    EXPECT_EQ(workspace->displayedImageRect(), QRectF(0, 0, 0, 0));

    struct Case {
        double zoom;
        QPoint scroll;
    };
    const Case cases[] = {{1.0, {100, 50}}, {2.0, {300, 200}}, {4.0, {1000, 900}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zoom);
        workspace->zoomTo(c.zoom);
        settle(workspace, c.zoom);
        reports.clear();
        workspace->horizontalScrollBar()->setValue(c.scroll.x());
        workspace->verticalScrollBar()->setValue(c.scroll.y());
        const QScrollBar* h = workspace->horizontalScrollBar();
        const QScrollBar* v = workspace->verticalScrollBar();
        const QRectF expected(c.scroll.x() / c.zoom, c.scroll.y() / c.zoom,
                              h->pageStep() / c.zoom, v->pageStep() / c.zoom);
        ASSERT_FALSE(reports.isEmpty());
        const QRectF reported = reports.last().at(0).toRectF();
        EXPECT_NEAR(reported.left(), expected.left(), 1e-9);
        EXPECT_NEAR(reported.top(), expected.top(), 1e-9);
        EXPECT_NEAR(reported.width(), expected.width(), 1e-9);
        EXPECT_NEAR(reported.height(), expected.height(), 1e-9);
        EXPECT_EQ(reports.last().at(1).toDouble(), c.zoom);
    }
}

TEST(TqWorkspace, CentreMoveAndPanScrollTheBars) {
    ViewWindow window(benchPhoto(), 400, 300);
    TqWorkspace* workspace = window.view()->workspace();
    workspace->zoomTo(2.0);
    settle(workspace, 2.0);
    QScrollBar* h = workspace->horizontalScrollBar();
    QScrollBar* v = workspace->verticalScrollBar();

    window.view()->centreViewportOnSlot(QPoint(320, 240));
    EXPECT_EQ(h->value(), 640 - h->pageStep() / 2);
    EXPECT_EQ(v->value(), 480 - v->pageStep() / 2);

    // Near the border the bars stop at their ends.
    window.view()->centreViewportOnSlot(QPoint(2, 639));
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), v->maximum());

    // The navigator's rectangle has no size; only its corner counts, and the zoom stays.
    window.view()->moveImageViewportToSlot(QRectF(100.25, 60.5, -1, -1));
    EXPECT_EQ(h->value(), 201);
    EXPECT_EQ(v->value(), 121);
    EXPECT_EQ(workspace->canvas()->zoom(), 2.0);

    window.view()->panImageViewportSlot(QPoint(-10, 7));
    EXPECT_EQ(h->value(), 191);
    EXPECT_EQ(v->value(), 128);
}

} // namespace
