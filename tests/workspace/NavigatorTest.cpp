#include "tests/workspace/WorkspaceFixture.h"

#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/Navigator.h"
#include "workspace/NavigatorWindow.h"
#include "workspace/Slider.h"
#include "workspace/TqWorkspace.h"

#include <QBoxLayout>
#include <QDoubleSpinBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using zqtest::benchPhoto;
using zqtest::ViewWindow;
using zqtest::waitFor;

TEST(NavigatorWindow, SliderStepsGiveThePercentages) {
    struct Case {
        int slider;
        double percent;  // after the box's rounding to two decimals
    };
    const Case cases[] = {{0, 100.0}, {25, 400.0}, {-25, 25.0}, {1, 105.7}, {-1, 94.61},
                          {12, 194.53}};
    NavigatorWindow window(nullptr, nullptr, QString());
    QSignalSpy zooms(&window, &NavigatorWindow::requestZoomTo);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slider);
        zooms.clear();
        window.zoomSlider()->slider->setValue(c.slider);
        EXPECT_DOUBLE_EQ(window.percentBox()->value(), c.percent);
        if (c.slider != 0 || !zooms.isEmpty()) {
            ASSERT_EQ(zooms.count(), 1);
            EXPECT_DOUBLE_EQ(zooms.at(0).at(0).toDouble(), c.percent * 0.01);
        }
    }
}

TEST(NavigatorWindow, TypedPercentagesMoveTheSliderHalvesUp) {
    struct Case {
        double percent;
        int slider;
    };
    const Case cases[] = {{100, 0}, {50, -12}, {200, 13}, {400, 25}, {25, -25}, {105.7, 1}};
    NavigatorWindow window(nullptr, nullptr, QString());
    QSignalSpy sliderChanges(&window, &NavigatorWindow::zoomSliderChange);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        window.percentBox()->setValue(c.percent == 100 ? 99 : 100);
        sliderChanges.clear();
        window.percentBox()->setValue(c.percent);
        EXPECT_EQ(window.zoomSlider()->slider->value(), c.slider);
        ASSERT_EQ(sliderChanges.count(), 1);
        EXPECT_EQ(sliderChanges.at(0).at(0).toInt(), c.slider);
    }
}

TEST(NavigatorWindow, StepsStopAtTheLimitsAndAnnounceEachChangeOnce) {
    NavigatorWindow window(nullptr, nullptr, QString());
    QSignalSpy inEnabled(&window, &NavigatorWindow::zoomInEnabled);
    window.percentBox()->setValue(320);
    window.zoomInSlot();
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 400.0);
    ASSERT_EQ(inEnabled.count(), 1);
    EXPECT_FALSE(inEnabled.at(0).at(0).toBool());
    window.zoomInSlot();
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 400.0);
    EXPECT_EQ(inEnabled.count(), 1);

    window.zoomOutSlot();
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 320.0);
    ASSERT_EQ(inEnabled.count(), 2);
    EXPECT_TRUE(inEnabled.at(1).at(0).toBool());

    window.percentBox()->setValue(399);
    window.zoomInSlot();
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 400.0) << "clamped, not 498.75";

    QSignalSpy outEnabled(&window, &NavigatorWindow::zoomOutEnabled);
    window.percentBox()->setValue(30);
    window.zoomOutSlot();
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 25.0);
    ASSERT_EQ(outEnabled.count(), 1);
    EXPECT_FALSE(outEnabled.at(0).at(0).toBool());
}

TEST(NavigatorWindow, TheStepButtonsAskInsteadOfMovingTheSlider) {
    NavigatorWindow window(nullptr, nullptr, QString());
    // The up button sits after the slider in the layout.
    auto* up = qobject_cast<QToolButton*>(window.zoomSlider()->layout->itemAt(2)->widget());
    ASSERT_NE(up, nullptr);
    up->click();
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 125.0);
    EXPECT_EQ(window.zoomSlider()->slider->value(), NavigatorWindow::sliderValueForPercent(125.0));
}

TEST(NavigatorWindow, AFitBelowAQuarterIsShownAndSteppedFrom) {
    NavigatorWindow window(nullptr, nullptr, QString());
    QSignalSpy zooms(&window, &NavigatorWindow::requestZoomTo);
    window.setRectSlot(QRectF(0, 0, 0, 0), 0.125);
    EXPECT_DOUBLE_EQ(window.percentBox()->value(), 12.5);
    EXPECT_TRUE(zooms.isEmpty()) << "a report from the view asks for no zoom";
    window.zoomInSlot();
    EXPECT_NEAR(window.percentBox()->value(), 15.63, 0.005);
    ASSERT_FALSE(zooms.isEmpty());
    EXPECT_NEAR(zooms.last().at(0).toDouble(), 0.1563, 1e-4);
}

// The navigator wired to a real view, as the main window wires it.
struct NavigatedView {
    NavigatedView() : window(benchPhoto(), 400, 300), navigator(nullptr, nullptr, QString()) {
        ImageView* view = window.view();
        QObject::connect(view, &ImageView::sayViewportRectChanged, &navigator,
                         &NavigatorWindow::setRectSlot);
        QObject::connect(&navigator, &NavigatorWindow::requestZoomTo, view, &ImageView::zoomToSlot);
        QObject::connect(navigator.navigator(), &Navigator::rectChanged, view,
                         &ImageView::moveImageViewportToSlot);
        QObject::connect(navigator.navigator(), &Navigator::rectCenterChanged, view,
                         &ImageView::centreViewportOnSlot);
        navigator.navigator()->updateImage();
        navigator.resize(200, 250);
        navigator.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&navigator));
        navigator.navigator()->repaint();
    }
    ViewWindow window;
    NavigatorWindow navigator;
};

TEST(Navigator, OutlinesTheWholeThumbnailWhileAllIsVisibleAndTheViewRectOtherwise) {
    NavigatedView fixture;
    Navigator* nav = fixture.navigator.navigator();
    nav->setViewRect(QRectF(0, 0, 0, 0));
    QImage shot = nav->grab().toImage();
    const double scale = nav->thumbScale();
    ASSERT_GT(scale, 0.0);
    const QPoint offset = nav->thumbOffset();
    // The outline is drawn antialiased: red dominates the pixel under it.
    const auto isRed = [](const QColor& c) { return c.red() > 150 && c.red() > 2 * c.green() && c.red() > 2 * c.blue(); };
    // The left edge of the whole thumbnail is red half-way down.
    const QPoint leftEdge(offset.x(), offset.y() + int(240 * scale));
    EXPECT_TRUE(isRed(shot.pixelColor(leftEdge))) << shot.pixelColor(leftEdge).name().toStdString();

    nav->setViewRect(QRectF(200, 100, 200, 150));
    shot = nav->grab().toImage();
    const QPoint rectLeft(offset.x() + int(std::round(200 * scale)),
                          offset.y() + int(std::round(175 * scale)));
    EXPECT_TRUE(isRed(shot.pixelColor(rectLeft)));
    EXPECT_FALSE(isRed(shot.pixelColor(leftEdge))) << "the whole-image outline is gone";
}

TEST(Navigator, ClickOutsideCentresDragMovesByThumbnailDistance) {
    NavigatedView fixture;
    ImageView* view = fixture.window.view();
    view->zoomToSlot(2.0);
    waitFor([&] { return view->workspace()->canvas() && !fixture.navigator.navigator()->viewRect().isNull(); });
    Navigator* nav = fixture.navigator.navigator();
    const double scale = nav->thumbScale();
    const QPoint offset = nav->thumbOffset();

    // A click outside the red rectangle centres the view on that image point.
    const QPoint target(offset.x() + int(500 * scale), offset.y() + int(400 * scale));
    ASSERT_FALSE(nav->thumbnailRect(nav->viewRect()).contains(target));
    QTest::mousePress(nav, Qt::LeftButton, Qt::NoModifier, target);
    const QRectF centred = nav->viewRect();
    EXPECT_NEAR(centred.center().x(), std::lround((target.x() - offset.x()) / scale), 2.0);
    QTest::mouseRelease(nav, Qt::LeftButton, Qt::NoModifier, target);

    // A drag inside it moves the view by the distance divided by the scale; no recentring.
    const QRectF before = nav->viewRect();
    const QPoint inside = nav->thumbnailRect(before).center();
    QTest::mousePress(nav, Qt::LeftButton, Qt::NoModifier, inside);
    EXPECT_EQ(nav->viewRect(), before) << "a click inside does not recentre";
    QMouseEvent move(QEvent::MouseMove, inside - QPoint(20, 10), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(nav, &move);
    const QRectF after = nav->viewRect();
    EXPECT_NEAR(after.left(), before.left() - 20 / scale, 1.0);
    EXPECT_NEAR(after.top(), before.top() - 10 / scale, 1.0);
    QTest::mouseRelease(nav, Qt::LeftButton, Qt::NoModifier, inside - QPoint(20, 10));
}

TEST(Navigator, WithoutAnImageItPaintsNothingAndKeepsTheArrow) {
    ModelPort::instance()->setPictures(QImage(), QImage());
    Navigator nav;
    nav.resize(100, 100);
    nav.updateImage();
    EXPECT_EQ(nav.cursor().shape(), Qt::ArrowCursor);
    QTest::mousePress(&nav, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(nav.thumbScale(), 0.0);
    EXPECT_EQ(nav.sizeHint(), QSize(80, 80));
}

} // namespace
