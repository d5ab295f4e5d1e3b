#include "CompositionFixture.h"

#include "TestPixmapItem.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"

#include <QPainter>
#include <QTest>

#include <cstdlib>

void CompositionFixture::SetUp() {
    view = std::make_unique<FrolixWidget>();
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ItemController* controller = ItemController::instance();
    controller->clearAll();
    FrolixObject::instance()->reset();
    itemCascadeOffset = QPointF(10, 10);
    setViewportSize(QSize(800, 600));
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
}

void CompositionFixture::TearDown() {
    view.reset();
    EXPECT_TRUE(liveItems.isEmpty());
}

void CompositionFixture::setViewportSize(const QSize& size) {
    view->resize(size);
    QCoreApplication::processEvents();
}

TestPixmapItem* CompositionFixture::addItem(const QSize& size, const QColor& colour,
                                            const QPointF& position) {
    return new TestPixmapItem(view->itemScene(), size, colour, position);
}

QImage CompositionFixture::renderCanvas() const {
    const QRect canvas = FrolixObject::instance()->canvasRect();
    QImage image(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view->itemScene()->render(&painter, QRectF(image.rect()), QRectF(canvas));
    return image;
}

QColor pixelAt(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

bool closeColours(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}
