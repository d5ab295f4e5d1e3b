#include "workspace/Slider.h"

#include <QBoxLayout>
#include <QIcon>
#include <QLayoutItem>
#include <QMetaMethod>
#include <QPixmap>
#include <QSlider>
#include <QToolButton>

Slider::Slider(QWidget*, const char*) : QWidget(nullptr) {
    layout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    layout->setObjectName(QStringLiteral("Slider::layout_"));
    layout->setContentsMargins(0, 0, 0, 0);
    slider = new QSlider(Qt::Horizontal, this);
    layout->addWidget(slider, 1);
}

void Slider::setNudgeIcons(const QPixmap& down, const QPixmap& up) {
    auto makeButton = [this](const QPixmap& pixmap) {
        auto* button = new QToolButton(this);
        button->setIcon(QIcon(pixmap));
        button->setAutoRaise(true);
        button->setAutoRepeat(true);
        return button;
    };
    QToolButton* downButton = makeButton(down);
    QToolButton* upButton = makeButton(up);
    layout->insertWidget(0, downButton);
    layout->insertWidget(2, upButton);
    connect(downButton, &QToolButton::clicked, this, &Slider::nudgeDown);
    connect(upButton, &QToolButton::clicked, this, &Slider::nudgeUp);
}

void Slider::setToolTips(const QString& sliderTip, const QString& downTip, const QString& upTip) {
    const QString tips[] = {downTip, sliderTip, upTip};
    for (int index = 0; index < 3; ++index) {
        QLayoutItem* item = layout->itemAt(index);
        if (item && item->widget())
            item->widget()->setToolTip(tips[index]);
    }
}

void Slider::nudgeUp() {
    if (isSignalConnected(QMetaMethod::fromSignal(&Slider::requestNudgeUp)))
        emit requestNudgeUp();
    else
        slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void Slider::nudgeDown() {
    if (isSignalConnected(QMetaMethod::fromSignal(&Slider::requestNudgeDown)))
        emit requestNudgeDown();
    else
        slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
}
