#pragma once

#include <QApplication>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QLineF>
#include <QMouseEvent>
#include <QPointF>
#include <QTest>

/// Mouse gestures on a view's viewport at scene points, as a user makes them: press, moves
/// with the button held (QTest's own move carries no button in Qt 5), release.
inline QPoint viewPoint(QGraphicsView* view, const QPointF& scenePoint) {
    return view->mapFromScene(scenePoint);
}

inline void moveHeld(QGraphicsView* view, const QPointF& scenePoint) {
    const QPoint at = viewPoint(view, scenePoint);
    QMouseEvent event(QEvent::MouseMove, QPointF(at), view->viewport()->mapToGlobal(at),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
}

inline void clickAt(QGraphicsView* view, const QPointF& scenePoint) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      viewPoint(view, scenePoint));
}

/// A scene point where `item` itself takes the mouse (an opaque pixel of a handle's
/// picture), the one nearest its centre.
inline QPointF grabPoint(const QGraphicsItem* item) {
    const QRectF box = item->boundingRect();
    QPointF best = box.center();
    double bestDistance = -1;
    for (double y = box.top() + 0.5; y < box.bottom(); y += 1)
        for (double x = box.left() + 0.5; x < box.right(); x += 1) {
            const QPointF p(x, y);
            const double d = QLineF(p, box.center()).length();
            if (item->contains(p) && (bestDistance < 0 || d < bestDistance)) {
                best = p;
                bestDistance = d;
            }
        }
    return item->mapToScene(best);
}

/// Presses at `from`, moves there in a few steps and releases at `to`.
inline void dragScene(QGraphicsView* view, const QPointF& from, const QPointF& to) {
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, viewPoint(view, from));
    for (int step = 1; step <= 4; ++step)
        moveHeld(view, from + (to - from) * (step / 4.0));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, viewPoint(view, to));
}
