#include "workspace/Navigator.h"

#include "workspace/BitmapCursor.h"
#include "workspace/ModelPort.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace {

QRectF alignedOutward(const QRectF& r) {
    const double left = std::floor(r.x());
    const double top = std::floor(r.y());
    return QRectF(left, top, std::ceil(r.x() + r.width()) - left,
                  std::ceil(r.y() + r.height()) - top);
}

} // namespace

Navigator::Navigator(QWidget* parent) : QWidget(parent) {
    pointingHandCursor_.reset(makeBitmapCursor(5, 1, QStringLiteral(":/images/curs_data_handpoint.png"),
                                               QStringLiteral(":/images/curs_mask_handpoint.png"),
                                               Qt::PointingHandCursor));
    openHandCursor_.reset(makeBitmapCursor(7, 7, QStringLiteral(":/images/curs_data_handopen.png"),
                                           QStringLiteral(":/images/curs_mask_handopen.png"),
                                           Qt::OpenHandCursor));
    closedHandCursor_.reset(makeBitmapCursor(8, 9, QStringLiteral(":/images/curs_data_handgrab.png"),
                                             QStringLiteral(":/images/curs_mask_handgrab.png"),
                                             Qt::ClosedHandCursor));
    setMinimumSize(80, 80);
    setMouseTracking(true);
}

Navigator::~Navigator() = default;

QSize Navigator::sizeHint() const {
    const QPixmap& pixmap = ModelPort::instance()->sourcePixmap();
    if (pixmap.isNull() || pixmap.width() <= 0)
        return QSize(80, 80);
    const float height = float(width()) * float(pixmap.height()) / float(pixmap.width());
    return QSize(80, std::max(80, int(height)));
}

void Navigator::resizeEvent(QResizeEvent* event) {
    // The preferred height follows the width.
    if (event->size().width() != event->oldSize().width())
        updateGeometry();
}

void Navigator::updateImage() {
    updateGeometry();
    setCursor(ModelPort::instance()->hasSourceImage() ? *pointingHandCursor_
                                                      : QCursor(Qt::ArrowCursor));
    update();
}

QRect Navigator::thumbnailRect(const QRectF& imageRect) const {
    const QRectF scaled(imageRect.topLeft() * thumbScale_, imageRect.bottomRight() * thumbScale_);
    return alignedOutward(scaled).toRect().translated(thumbOffsetX_, thumbOffsetY_);
}

void Navigator::setViewRect(const QRectF& rect) {
    const QRectF old = viewRect_;
    viewRect_ = rect;
    const auto isNothing = [](const QRectF& r) { return r.width() == 0 && r.height() == 0; };
    if (isNothing(rect) || isNothing(old)) {
        update();
    } else if (rect.intersects(old)) {
        update(thumbnailRect(rect | old).adjusted(-3, -3, 3, 3));
    } else {
        update(thumbnailRect(rect).adjusted(-3, -3, 3, 3));
        update(thumbnailRect(old).adjusted(-3, -3, 3, 3));
    }
}

void Navigator::paintEvent(QPaintEvent*) {
    const QPixmap& pixmap = ModelPort::instance()->sourcePixmap();
    if (pixmap.isNull())
        return;
    thumbScale_ = double(std::min(float(width()) / float(pixmap.width()),
                                  float(height()) / float(pixmap.height())));
    thumbOffsetX_ = int(std::floor((width() - thumbScale_ * pixmap.width()) * 0.5 + 0.5));
    thumbOffsetY_ = int(std::floor((height() - thumbScale_ * pixmap.height()) * 0.5 + 0.5));

    QPainter painter(this);
    painter.translate(thumbOffsetX_, thumbOffsetY_);
    painter.scale(thumbScale_, thumbScale_);
    painter.drawPixmap(0, 0, pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(Qt::red);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (viewRect_.width() != 0 || viewRect_.height() != 0)
        painter.drawRect(viewRect_);
    else
        painter.drawRect(QRectF(0, 0, pixmap.width(), pixmap.height()));
}

void Navigator::chooseRestingCursor(const QPoint& pos) {
    if (!ModelPort::instance()->hasSourceImage())
        return;
    setCursor(thumbnailRect(viewRect_).contains(pos) ? *openHandCursor_ : *pointingHandCursor_);
}

void Navigator::mousePressEvent(QMouseEvent* event) {
    if (thumbScale_ == 0.0 || !(event->buttons() & Qt::LeftButton))
        return;
    if (ModelPort::instance()->hasSourceImage())
        setCursor(*closedHandCursor_);
    if (!thumbnailRect(viewRect_).contains(event->pos())) {
        // The view centres there and reports back, so `viewRect_` is current when this goes on.
        emit rectCenterChanged(QPoint(int(std::lround((event->x() - thumbOffsetX_) / thumbScale_)),
                                      int(std::lround((event->y() - thumbOffsetY_) / thumbScale_))));
    }
    pressPos_ = event->pos();
    pressViewRect_ = viewRect_;
}

void Navigator::mouseMoveEvent(QMouseEvent* event) {
    if (thumbScale_ != 0.0 && (event->buttons() & Qt::LeftButton)) {
        const QPointF d = QPointF(event->pos() - pressPos_) / thumbScale_;
        emit rectChanged(QRectF(pressViewRect_.topLeft() + d, QSizeF(-1, -1)));
        return;
    }
    chooseRestingCursor(event->pos());
}

void Navigator::mouseReleaseEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        chooseRestingCursor(event->pos());
}
