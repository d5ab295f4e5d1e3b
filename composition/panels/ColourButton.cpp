#include "composition/panels/ColourButton.h"

#include <QColorDialog>
#include <QPainter>

ColourButton::ColourButton(QWidget* /*parent*/) : QPushButton(nullptr), colour_(new QColor) {
    connect(this, &QPushButton::clicked, this, [this] { setColour(); });
}

ColourButton::~ColourButton() = default;

QColor ColourButton::colour() const { return *colour_; }

void ColourButton::showColour(const QColor& colour) {
    *colour_ = colour;
    update();
}

void ColourButton::setColor(QColor colour) {
    showColour(colour);
    emit colorChanged(colour);
}

void ColourButton::setColour() {
    const QColor chosen = QColorDialog::getColor(*colour_, this, QString());
    if (!chosen.isValid())
        return;   // cancelled
    setColor(chosen);
}

void ColourButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    // An invalid colour is painted as Qt paints it (black): choosers that start without a
    // colour show that until their first read.
    painter.setBrush(QBrush(*colour_, Qt::SolidPattern));
    painter.drawRect(rect().adjusted(3, 3, -3, -3));
}
