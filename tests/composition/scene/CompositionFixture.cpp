#include "CompositionFixture.h"

#include "TestPixmapItem.h"
#include "composition/panels/CanvasSettings.h"
#include "composition/scene/CutoutItem.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/HandleScale.h"
#include "composition/scene/ItemController.h"
#include "masking/SavedCutoutState.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <QPainter>
#include <QTest>

#include <cstdlib>

void CompositionFixture::SetUp() {
    view = std::make_unique<FrolixWidget>();
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // What the main window does for the composition, done here over the view.
    ItemController::setCanvasSettingsMaker(
        [](QWidget* parent) { return new CanvasSettings(parent); });
    QObject::connect(FrolixObject::instance(), &FrolixObject::problemFound, view.get(),
                     [this](const QString& text) {
                         QMessageBox::warning(view.get(), QCoreApplication::applicationName(),
                                              text);
                     });
    ItemController* controller = ItemController::instance();
    controller->clearAll();
    FrolixObject::instance()->reset();
    itemCascadeOffset = QPointF(10, 10);
    setHandleZoom(1.0);   // the new view starts unzoomed; an earlier test may have zoomed
    setViewportSize(QSize(800, 600));
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
}

void CompositionFixture::TearDown() {
    FrolixItem::emptyTrash();
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

CutoutItem* CompositionFixture::addCutout(const QSize& size, const QColor& colour) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return static_cast<CutoutItem*>(
        ItemController::instance()->addCutoutItem(pixmap, new SavedCutoutState(nullptr)));
}

QPoint CompositionFixture::viewPoint(const QPointF& p) const { return view->mapFromScene(p); }

void CompositionFixture::drag(const QPoint& from, const QPoint& to,
                              Qt::KeyboardModifiers modifiers) {
    QWidget* viewport = view->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, modifiers, from);
    constexpr int steps = 4;
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = from + (to - from) * i / steps;
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, to);
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

void answerNextMessage(const QString& answer, QString* shown) {
    QTimer::singleShot(0, [answer, shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr) << "no message box";
        if (shown)
            *shown = box->text();
        if (answer.isEmpty())
            return box->accept();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == answer)
                return button->click();
        ADD_FAILURE() << "no button " << answer.toStdString();
        box->reject();
    });
}
