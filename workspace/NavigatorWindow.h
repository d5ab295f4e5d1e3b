#pragma once

#include "common/GmSubWindow.h"

#include <QRectF>

class Navigator;
class QDoubleSpinBox;
class Slider;

/// The "Navigator" panel: the thumbnail, the zoom of the masking view as a percentage box
/// (25 to 400 %) and a logarithmic slider with two step buttons. It holds the masking view's
/// zoom percentage and asks the view to zoom with `requestZoomTo`.
class NavigatorWindow : public GmSubWindow {
    Q_OBJECT
public:
    NavigatorWindow(QWidget* parent, QWidget* actionHolder, const QString& shortcut);

    bool isDocumentPanel() const override { return false; }

    Navigator* navigator() const { return navigator_; }
    QDoubleSpinBox* percentBox() const { return percentBox_; }
    Slider* zoomSlider() const { return zoomSlider_; }

    /// Slider steps from a percentage: 25 steps per factor 4, 0 at 100 %.
    static int sliderValueForPercent(double percent);
    /// The percentage of a slider step.
    static double percentForSliderValue(int value);

signals:
    /// A zoom factor (percentage × 0.01).
    void requestZoomTo(double factor);
    void zoomInEnabled(bool enabled);
    void zoomOutEnabled(bool enabled);
    void zoomSliderChange(int value);

public slots:
    void setRectSlot(const QRectF& rect, double zoom);
    void zoomInSlot();
    void zoomOutSlot();
    void syncBoxFromSliderSlot(int value);
    void syncSliderFromBoxSlot(double percent);
    void zoomChangedSlot(double percent);

private:
    /// Lets the box go below 25 % when the view was fitted below it, so it shows the real zoom.
    void coverZoom(double percent);

    Navigator* navigator_;
    QDoubleSpinBox* percentBox_;
    Slider* zoomSlider_;
    bool zoomInAllowed_ = true;
    bool zoomOutAllowed_ = true;
};
