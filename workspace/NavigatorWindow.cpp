#include "workspace/NavigatorWindow.h"

#include "workspace/Navigator.h"
#include "workspace/Slider.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace {

// 100 % at slider 0; 25 steps for each factor of 4 either way.
const double zoomBase = std::log10(100.0);
const double zoomSpan = std::log10(400.0) - zoomBase;
const double lowestPercent = std::pow(10.0, zoomBase - zoomSpan);
const double highestPercent = std::pow(10.0, zoomBase + zoomSpan);

} // namespace

int NavigatorWindow::sliderValueForPercent(double percent) {
    // floor(x + 0.5): halves go up, so 50 % (exactly -12.5) is -12 and 200 % (12.5) is 13.
    return int(std::floor((std::log10(percent) - zoomBase) / zoomSpan * 25.0 + 0.5));
}

double NavigatorWindow::percentForSliderValue(int value) {
    return std::pow(10.0, zoomBase + value * 0.04 * zoomSpan);
}

NavigatorWindow::NavigatorWindow(QWidget* parent, QWidget* actionHolder, const QString& shortcut)
    : GmSubWindow(QStringLiteral("Navigator"), tr("Navigator"), actionHolder, shortcut, parent) {
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    navigator_ = new Navigator(content);
    contentLayout->addWidget(navigator_, 1);

    percentBox_ = new QDoubleSpinBox(content);
    percentBox_->setRange(lowestPercent, highestPercent);
    percentBox_->setDecimals(2);
    percentBox_->setSuffix(QStringLiteral("%"));
    percentBox_->setToolTip(tr("Zoom Percent"));

    zoomSlider_ = new Slider;
    zoomSlider_->setParent(content);
    zoomSlider_->setMinimumWidth(130);
    zoomSlider_->slider->setRange(-25, 25);
    zoomSlider_->setNudgeIcons(QPixmap(QStringLiteral(":images/nav_zoom_out.png")),
                               QPixmap(QStringLiteral(":images/nav_zoom_in.png")));
    zoomSlider_->setToolTips(tr("Zoom Slider"), tr("Zoom Out"), tr("Zoom In"));

    connect(zoomSlider_->slider, &QSlider::valueChanged, this,
            &NavigatorWindow::syncBoxFromSliderSlot);
    connect(percentBox_, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &NavigatorWindow::syncSliderFromBoxSlot);
    connect(percentBox_, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &NavigatorWindow::zoomChangedSlot);
    connect(zoomSlider_, &Slider::requestNudgeUp, this, &NavigatorWindow::zoomInSlot);
    connect(zoomSlider_, &Slider::requestNudgeDown, this, &NavigatorWindow::zoomOutSlot);

    auto* zoomRow = new QHBoxLayout;
    zoomRow->setContentsMargins(0, 0, 0, 0);
    zoomRow->addWidget(percentBox_);
    zoomRow->addWidget(zoomSlider_, 1);
    contentLayout->addLayout(zoomRow);

    setResizable(true);
    if (layout())
        layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    percentBox_->setValue(100.0);
    setWidget(content);
}

void NavigatorWindow::syncBoxFromSliderSlot(int value) {
    {
        const QSignalBlocker blocker(percentBox_);
        percentBox_->setValue(percentForSliderValue(value));
    }
    emit requestZoomTo(percentBox_->value() * 0.01);
}

void NavigatorWindow::syncSliderFromBoxSlot(double percent) {
    const int value = sliderValueForPercent(percent);
    {
        const QSignalBlocker blocker(zoomSlider_->slider);
        zoomSlider_->slider->setValue(value);
    }
    emit requestZoomTo(percentBox_->value() * 0.01);
    emit zoomSliderChange(value);
}

void NavigatorWindow::coverZoom(double percent) {
    // A fit may go below 25 %; the box then shows that zoom instead of a wrong 25 %, and the
    // steps start from it.
    const double minimum = std::min(lowestPercent, std::floor(percent * 100.0) / 100.0);
    if (minimum != percentBox_->minimum())
        percentBox_->setMinimum(minimum);
}

void NavigatorWindow::setRectSlot(const QRectF& rect, double zoom) {
    navigator_->setViewRect(rect);
    if (percentBox_->value() * 0.01 != zoom) {
        const int value = sliderValueForPercent(zoom * 100.0);
        {
            const QSignalBlocker sliderBlocker(zoomSlider_->slider);
            const QSignalBlocker boxBlocker(percentBox_);
            coverZoom(zoom * 100.0);
            percentBox_->setValue(zoom * 100.0);
            zoomSlider_->slider->setValue(value);
        }
        emit zoomSliderChange(value);
    }
    zoomChangedSlot(percentBox_->value());
}

void NavigatorWindow::zoomInSlot() {
    const double current = percentBox_->value();
    const double next = std::min(percentBox_->maximum(), current * 1.25);
    if (std::trunc(next * 100.0) != std::trunc(current * 100.0))
        percentBox_->setValue(next);
}

void NavigatorWindow::zoomOutSlot() {
    const double current = percentBox_->value();
    const double next = std::max(percentBox_->minimum(), current * 0.8);
    if (std::trunc(next * 100.0) != std::trunc(current * 100.0))
        percentBox_->setValue(next);
}

void NavigatorWindow::zoomChangedSlot(double percent) {
    const bool inAllowed = percentBox_->maximum() > percent;
    if (inAllowed != zoomInAllowed_) {
        zoomInAllowed_ = inAllowed;
        emit zoomInEnabled(inAllowed);
    }
    const bool outAllowed = percent > percentBox_->minimum();
    if (outAllowed != zoomOutAllowed_) {
        zoomOutAllowed_ = outAllowed;
        emit zoomOutEnabled(outAllowed);
    }
}
