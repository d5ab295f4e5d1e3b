#include "composition/scene/ZoomViewOptionsWidget.h"

#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemScene.h"
#include "workspace/NavigatorWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <cmath>

namespace {
constexpr int sliderMinimum = -25;
constexpr int sliderMaximum = 25;
}

ZoomViewOptionsWidget::ZoomViewOptionsWidget() {
    auto* actualPixels = new QToolButton(this);
    actualPixels->setIcon(QIcon(QStringLiteral(":/images/fun/navigation16pix/actual_size.png")));
    actualPixels->setText(tr("1:1"));
    actualPixels->setToolTip(tr("Show image with no zoom"));
    actualPixels->setWhatsThis(
        tr("<p><b>Actual Pixels</b></p><p>Show your image at its original pixel resolution.</p>"));

    auto* fit = new QToolButton(this);
    fit->setIcon(QIcon(QStringLiteral(":/images/fun/navigation16pix/fit_to_screen.png")));
    fit->setText(tr("Fit"));
    fit->setToolTip(tr("Fit image in window"));
    fit->setWhatsThis(tr("<p><b>Fit In Window</b></p><p>Adjust the zoom level of your image, "
                         "automatically, to fit in the window.</p>"));

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setMinimumWidth(130);
    slider_->setToolTip(tr("Adjust zoom level"));
    slider_->setWhatsThis(tr("<p><b>Zoom Level</b></p><p>Drag the slider to adjust the zooming: "
                             "left to zoom out, right to zoom in.</p>"));

    connect(actualPixels, &QToolButton::clicked, this, &ZoomViewOptionsWidget::actualPixelsSlot);
    connect(fit, &QToolButton::clicked, this, &ZoomViewOptionsWidget::fitScreenSlot);
    connect(slider_, &QSlider::valueChanged, this, &ZoomViewOptionsWidget::zoomSliderChangedSlot);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("Zoom:"), this));
    layout->addWidget(actualPixels);
    layout->addWidget(fit);
    layout->addWidget(slider_);

    viewTabChanged(ImageView::CompositionTab);
}

void ZoomViewOptionsWidget::connectViews(NavigatorWindow* navigator, ImageView* imageView,
                                         FrolixWidget* compositionView) {
    if (compositionView) {
        connect(this, &ZoomViewOptionsWidget::composition_actualPixelsSignal, compositionView,
                &FrolixWidget::zoomTo100PercentSlot);
        connect(this, &ZoomViewOptionsWidget::composition_fitScreenSignal, compositionView,
                &FrolixWidget::fitImageOnScreenSlot);
        connect(this, &ZoomViewOptionsWidget::composition_zoomProportion, compositionView,
                &FrolixWidget::setZoomProportion);
        connect(compositionView, &FrolixWidget::zoomProportion, this,
                &ZoomViewOptionsWidget::setCompositionZoomProportion);
    }
    if (imageView) {
        connect(this, &ZoomViewOptionsWidget::edit_actualPixelsSignal, imageView,
                &ImageView::zoomTo100PercentSlot);
        connect(this, &ZoomViewOptionsWidget::edit_fitScreenSignal, imageView,
                &ImageView::fitImageOnScreenSlot);
        connect(imageView, &ImageView::viewTabChanged, this, &ZoomViewOptionsWidget::viewTabChanged);
    }
    if (navigator) {
        connect(navigator, &NavigatorWindow::zoomSliderChange, this,
                &ZoomViewOptionsWidget::setEditZoomSliderValue);
        connect(this, &ZoomViewOptionsWidget::edit_zoomSliderChanged, navigator,
                &NavigatorWindow::syncBoxFromSliderSlot);
        connect(this, &ZoomViewOptionsWidget::edit_zoomIn, navigator, &NavigatorWindow::zoomInSlot);
        connect(this, &ZoomViewOptionsWidget::edit_zoomOut, navigator,
                &NavigatorWindow::zoomOutSlot);
    }
    emit composition_fitScreenSignal();
}

void ZoomViewOptionsWidget::showProportion(double proportion) {
    // Truncated toward zero; a proportion that is not finite shows the middle.
    const double value = proportion * sliderMaximum + (1 - proportion) * sliderMinimum;
    slider_->setValue(std::isfinite(value) ? int(value) : 0);
}

void ZoomViewOptionsWidget::setCompositionZoomProportion(qreal proportion) {
    compositionProportion_ = proportion;
    if (mode_ == CompositionMode) {
        const QSignalBlocker quiet(slider_);
        showProportion(proportion);
    }
}

void ZoomViewOptionsWidget::setEditZoomSliderValue(int value) {
    editSliderValue_ = value;
    if (mode_ == MaskingMode) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(value);
    }
}

void ZoomViewOptionsWidget::zoomSliderChangedSlot(int value) {
    if (mode_ == CompositionMode) {
        compositionProportion_ =
            double(slider_->value() - slider_->minimum()) / (slider_->maximum() - slider_->minimum());
        emit composition_zoomProportion(compositionProportion_, visibleSceneCentre());
    } else if (mode_ == MaskingMode) {
        editSliderValue_ = value;
        emit edit_zoomSliderChanged(value);
    }
}

void ZoomViewOptionsWidget::zoomIn() {
    if (mode_ == MaskingMode)
        emit edit_zoomIn();
    else
        slider_->setValue(slider_->value() + slider_->pageStep());
}

void ZoomViewOptionsWidget::zoomOut() {
    if (mode_ == MaskingMode)
        emit edit_zoomOut();
    else
        slider_->setValue(slider_->value() - slider_->pageStep());
}

void ZoomViewOptionsWidget::fitScreenSlot() {
    if (mode_ == MaskingMode)
        emit edit_fitScreenSignal();
    else
        emit composition_fitScreenSignal();
}

void ZoomViewOptionsWidget::actualPixelsSlot() {
    if (mode_ == MaskingMode)
        emit edit_actualPixelsSignal();
    else
        emit composition_actualPixelsSignal();
}

void ZoomViewOptionsWidget::viewTabChanged(ImageView::ViewTab tab) {
    const QSignalBlocker quiet(slider_);
    if (tab == ImageView::MaskingTab) {
        if (mode_ != MaskingMode) {
            slider_->setRange(sliderMinimum, sliderMaximum);
            slider_->setValue(int(editSliderValue_));
            mode_ = MaskingMode;
        }
    } else if (mode_ != CompositionMode) {
        slider_->setRange(sliderMinimum, sliderMaximum);
        showProportion(compositionProportion_);
        mode_ = CompositionMode;
    }
}
