#pragma once

#include "workspace/ImageView.h"

#include <QPointF>
#include <QWidget>

class FrolixWidget;
class NavigatorWindow;
class QSlider;
class QToolButton;

/// The zoom controls shared by both views ("1:1", "Fit" and a slider). On the masking tab they
/// relay to the navigator and the image view; on the composition tab they drive the
/// composition view through a zoom proportion between 0 and 1.
class ZoomViewOptionsWidget : public QWidget {
    Q_OBJECT
public:
    enum Mode { Starting = 0, CompositionMode = 1, MaskingMode = 2 };

    ZoomViewOptionsWidget();

    /// Wires the controls to the views, each of which may be null, then fits the composition.
    void connectViews(NavigatorWindow* navigator, ImageView* imageView,
                      FrolixWidget* compositionView);

    int mode() const { return mode_; }
    QSlider* slider() const { return slider_; }
    double compositionProportion() const { return compositionProportion_; }

signals:
    void composition_zoomProportion(qreal proportion, const QPointF& centre);
    void composition_actualPixelsSignal();
    void composition_fitScreenSignal();
    void edit_zoomSliderChanged(int value);
    void edit_actualPixelsSignal();
    void edit_fitScreenSignal();
    void edit_zoomIn();
    void edit_zoomOut();

public slots:
    /// Stores the composition view's proportion; shows it while on the composition tab.
    void setCompositionZoomProportion(qreal proportion);
    /// Stores the navigator's slider value; shows it while on the masking tab.
    void setEditZoomSliderValue(int value);
    void zoomIn();
    void zoomOut();
    /// Switches the controls to the view of `tab` without zooming either view.
    void viewTabChanged(ImageView::ViewTab tab);
    void fitScreenSlot();
    void actualPixelsSlot();
    void zoomSliderChangedSlot(int value);

private:
    void showProportion(double proportion);

    int mode_ = Starting;
    QSlider* slider_;
    double compositionProportion_ = 0.0;
    double editSliderValue_ = 0.0;
};
