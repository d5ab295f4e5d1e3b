// The workspace against the real masking document: the photo opened by the model on a real engine
// command thread is what the canvas, the scroll area and the navigator show.
#include "tests/masking/EngineTestSupport.h"
#include "tests/workspace/WorkspaceFixture.h"

#include "masking/GmModel.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/Navigator.h"
#include "workspace/NavigatorWindow.h"
#include "workspace/TqWorkspace.h"

#include <QDoubleSpinBox>
#include <QScrollBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using zqtest::benchPhoto;
using zqtest::ViewWindow;
using zqtest::waitUntil;

class RealModel : public ::testing::Test {
protected:
    void SetUp() override {
        thread = new OstrivalThread;
        model = GmModel::instance();
        ModelPort::instance()->attach(model);
        ASSERT_TRUE(model->setImage(GmSession::ChooseSettings, 1,
                                    new TqSourceImage(NamedImage(benchPhoto(),
                                                                 QUrl("file:///photo.png")))));
        ASSERT_TRUE(waitIdle());
    }
    void TearDown() override {
        model->closeImage();
        waitIdle();
        ModelPort::instance()->attach(nullptr);
        delete thread;
        delete model;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool waitIdle() {
        return waitUntil([this] {
            return thread->isIdle() && !model->isWaitingToOpenSession() && thread->isOpen();
        });
    }

    OstrivalThread* thread = nullptr;
    GmModel* model = nullptr;
};

TEST_F(RealModel, TheCanvasShowsTheModelsPhotoFittedAndTheNavigatorFollows) {
    ASSERT_TRUE(ModelPort::instance()->hasSourceImage());
    EXPECT_EQ(ModelPort::instance()->sourcePixmap().size(), QSize(640, 480));

    ViewWindow window{QImage()};
    TqWorkspace* workspace = window.view()->workspace();
    GmZoomWidget* canvas = workspace->canvas();
    const QSize viewport = workspace->viewport()->size();
    const double expected = std::min(std::floor(viewport.width() * double(0.85f) + 0.5) / 640.0,
                                     std::floor(viewport.height() * double(0.85f) + 0.5) / 480.0);
    EXPECT_NEAR(canvas->zoom(), expected, 1e-9);

    NavigatorWindow navigator(nullptr, nullptr, QString());
    QObject::connect(window.view(), &ImageView::sayViewportRectChanged, &navigator,
                     &NavigatorWindow::setRectSlot);
    QObject::connect(&navigator, &NavigatorWindow::requestZoomTo, window.view(),
                     &ImageView::zoomToSlot);
    navigator.percentBox()->setValue(200.0);
    waitUntil([&] { return canvas->zoom() == 2.0 && !navigator.navigator()->viewRect().isNull(); });
    const QRectF visible = navigator.navigator()->viewRect();
    EXPECT_NEAR(visible.width(), workspace->horizontalScrollBar()->pageStep() / 2.0, 1e-9);
    EXPECT_NEAR(visible.height(), workspace->verticalScrollBar()->pageStep() / 2.0, 1e-9);

    // The cut-out shows over the background on the canvas's own pixels.
    canvas->setBackgroundColour(Qt::magenta);
    emit model->showOriginal();
    const QImage shot = canvas->grab().toImage();
    const QPoint centre(workspace->horizontalScrollBar()->value() + 10,
                        workspace->verticalScrollBar()->value() + 10);
    EXPECT_NE(shot.pixelColor(centre), QColor(Qt::magenta));
    // The photo, opaque while Show Original is held, at zoom 2 (the cut-out over it is the same
    // photo until a mask is made).
    const QColor shown = shot.pixelColor(centre);
    const QColor photo = model->sourceImage()->image().pixelColor(centre / 2);
    EXPECT_NEAR(shown.red(), photo.red(), 3);
    EXPECT_NEAR(shown.green(), photo.green(), 3);
    EXPECT_NEAR(shown.blue(), photo.blue(), 3);
    emit model->showOriginal();
}

TEST_F(RealModel, ClosingTheImageEmptiesTheCanvas) {
    ViewWindow window{QImage()};
    GmZoomWidget* canvas = window.view()->workspace()->canvas();
    ASSERT_TRUE(canvas->displayRect().isValid());
    model->closeImage();
    waitIdle();
    EXPECT_FALSE(ModelPort::instance()->hasSourceImage());
    EXPECT_EQ(canvas->zoomedImageSize(), QSize(0, 0));
}

} // namespace
