#include "CompositionFixture.h"
#include "composition/scene/ZoomViewOptionsWidget.h"

#include <QSignalSpy>
#include <QSlider>

namespace {

class ZoomViewOptionsWidgetTest : public CompositionFixture {
protected:
    void SetUp() override {
        CompositionFixture::SetUp();
        zoom = std::make_unique<ZoomViewOptionsWidget>();
    }
    void TearDown() override {
        zoom.reset();
        CompositionFixture::TearDown();
    }
    std::unique_ptr<ZoomViewOptionsWidget> zoom;
};

TEST_F(ZoomViewOptionsWidgetTest, StartsInCompositionModeAndConnectingFitsTheView) {
    EXPECT_EQ(zoom->mode(), ZoomViewOptionsWidget::CompositionMode);
    EXPECT_DOUBLE_EQ(zoom->compositionProportion(), 0.0);
    EXPECT_EQ(zoom->slider()->minimum(), -25);
    EXPECT_EQ(zoom->slider()->maximum(), 25);
    EXPECT_EQ(zoom->slider()->value(), -25);

    zoom->connectViews(nullptr, nullptr, view.get());
    EXPECT_NEAR(view->transform().m11(), 1.7, 1e-9);
    EXPECT_NEAR(zoom->compositionProportion(), 0.3828, 1e-4);
    EXPECT_EQ(zoom->slider()->value(), -5);   // 0.3828 * 25 + 0.6172 * -25, toward zero
}

TEST_F(ZoomViewOptionsWidgetTest, ZoomInStopsAtTheMaximum) {
    zoom->connectViews(nullptr, nullptr, view.get());
    zoom->slider()->setValue(20);
    QSignalSpy zooms(zoom.get(), &ZoomViewOptionsWidget::composition_zoomProportion);
    zoom->zoomIn();
    EXPECT_EQ(zoom->slider()->value(), 25);
    EXPECT_NEAR(view->transform().m11(), 4.0, 1e-9);
    EXPECT_EQ(zooms.count(), 1);
    zoom->zoomIn();
    EXPECT_EQ(zooms.count(), 1);

    zoom->zoomOut();
    EXPECT_EQ(zoom->slider()->value(), 15);
    EXPECT_LT(view->transform().m11(), 4.0);
}

TEST_F(ZoomViewOptionsWidgetTest, ActualPixelsShowsScaleOneAndFollowsTheReport) {
    zoom->connectViews(nullptr, nullptr, view.get());
    QSignalSpy zooms(zoom.get(), &ZoomViewOptionsWidget::composition_zoomProportion);
    zoom->actualPixelsSlot();
    EXPECT_DOUBLE_EQ(view->transform().m11(), 1.0);
    EXPECT_EQ(zoom->slider()->value(), -25);   // scale 1 is the smallest offered after a fit of 1.7
    EXPECT_EQ(zooms.count(), 0) << "showing the report zooms nothing";

    zoom->fitScreenSlot();
    EXPECT_NEAR(view->transform().m11(), 1.7, 1e-9);
}

TEST_F(ZoomViewOptionsWidgetTest, TabSwitchesShowEachViewsLastZoomWithoutZooming) {
    zoom->connectViews(nullptr, nullptr, view.get());
    const QTransform fitted = view->transform();
    QSignalSpy compositionZooms(zoom.get(), &ZoomViewOptionsWidget::composition_zoomProportion);
    QSignalSpy editMoves(zoom.get(), &ZoomViewOptionsWidget::edit_zoomSliderChanged);
    zoom->setEditZoomSliderValue(7);   // stored while the composition shows
    EXPECT_EQ(zoom->slider()->value(), -5);

    zoom->viewTabChanged(ImageView::MaskingTab);
    EXPECT_EQ(zoom->mode(), ZoomViewOptionsWidget::MaskingMode);
    EXPECT_EQ(zoom->slider()->value(), 7);
    zoom->viewTabChanged(ImageView::MaskingTab);
    EXPECT_EQ(zoom->mode(), ZoomViewOptionsWidget::MaskingMode);

    zoom->setCompositionZoomProportion(1.0);   // stored silently
    EXPECT_EQ(zoom->slider()->value(), 7);
    zoom->viewTabChanged(ImageView::CompositionTab);
    EXPECT_EQ(zoom->mode(), ZoomViewOptionsWidget::CompositionMode);
    EXPECT_EQ(zoom->slider()->value(), 25);

    EXPECT_EQ(compositionZooms.count(), 0);
    EXPECT_EQ(editMoves.count(), 0);
    EXPECT_EQ(view->transform(), fitted);
}

TEST_F(ZoomViewOptionsWidgetTest, MaskingModeRelaysTheControls) {
    zoom->viewTabChanged(ImageView::MaskingTab);
    QSignalSpy moved(zoom.get(), &ZoomViewOptionsWidget::edit_zoomSliderChanged);
    QSignalSpy in(zoom.get(), &ZoomViewOptionsWidget::edit_zoomIn);
    QSignalSpy out(zoom.get(), &ZoomViewOptionsWidget::edit_zoomOut);
    QSignalSpy fit(zoom.get(), &ZoomViewOptionsWidget::edit_fitScreenSignal);
    QSignalSpy actual(zoom.get(), &ZoomViewOptionsWidget::edit_actualPixelsSignal);
    QSignalSpy composition(zoom.get(), &ZoomViewOptionsWidget::composition_fitScreenSignal);
    zoom->slider()->setValue(-3);
    zoom->zoomIn();
    zoom->zoomOut();
    zoom->fitScreenSlot();
    zoom->actualPixelsSlot();
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.first().at(0).toInt(), -3);
    EXPECT_EQ(in.count(), 1);
    EXPECT_EQ(out.count(), 1);
    EXPECT_EQ(fit.count(), 1);
    EXPECT_EQ(actual.count(), 1);
    EXPECT_EQ(composition.count(), 0);
    EXPECT_EQ(zoom->slider()->value(), -3) << "zoom steps belong to the navigator there";
}

}  // namespace
