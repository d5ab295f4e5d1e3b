#include "composition/panels/PreviewWidget.h"

#include <QPainter>

#include <algorithm>

PreviewWidget::PreviewWidget(QWidget* parent) : QWidget(parent) {}

void PreviewWidget::setCanvasWidth(int width) {
    canvasWidth_ = std::max(1, width);
    update();
}

void PreviewWidget::setCanvasHeight(int height) {
    canvasHeight_ = std::max(1, height);
    update();
}

void PreviewWidget::setBackdrop(const QPixmap& backdrop) {
    backdrop_ = backdrop;
    update();
}

void PreviewWidget::setBackground(const QColor& background) {
    background_ = background;
    update();
}

void PreviewWidget::paintEvent(QPaintEvent*) {
    const double s = std::min(double(height() - 2) / canvasHeight_,
                              double(width() - 2) / canvasWidth_);
    const int pw = int(canvasWidth_ * s + 0.5);
    const int ph = int(canvasHeight_ * s + 0.5);
    const int x = (width() - pw) / 2;
    const int y = (height() - ph) / 2;
    QPainter painter(this);
    painter.setBrush(background_);
    painter.setPen(Qt::black);
    painter.drawRect(QRect(x, y, pw, ph));
    if (!backdrop_.isNull() && pw > 1 && ph > 1)
        painter.drawPixmap(x + 1, y + 1,
                           backdrop_.scaled(pw - 1, ph - 1, Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation));
}
