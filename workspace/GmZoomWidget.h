#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QWidget>

#include <functional>

class GmTool;
class QAction;
class QColorDialog;
class QPainter;

/// The masking canvas: the photograph seen through the chosen translucency, the cut-out result
/// on the background colour, the vector edges, the strokes and the brush outline of the current
/// brush, at a zoom of at most 4. It owns the zoom of the masking view and the size of the
/// scrolled area, and turns mouse, tablet and drop input into image points for the current tool.
class GmZoomWidget : public QWidget {
    Q_OBJECT
    // Read by tools that drive the program from outside (test drivers, accessibility).
    Q_PROPERTY(double zoom READ zoom NOTIFY zoomChanged)
    Q_PROPERTY(QRect displayRect READ displayRect)
public:
    GmZoomWidget();
    /// Stores the background colour in the settings.
    ~GmZoomWidget() override;

    QSize sizeHint() const override;

    /// Zooms to `z`, at most 4; a zero or negative zoom keeps the current one but still lays out.
    void setZoom(double z);
    double zoom() const { return zoom_; }
    /// Scales the image into `target` keeping its aspect ratio (zoom 1 without an image).
    void fitToRect(const QSizeF& target);
    /// Fits the image into 85 % of the parent's size.
    void fitToParent();
    /// The image size at the current zoom, (0, 0) without an image.
    QSize zoomedImageSize() const;
    void layoutDisplayRect();
    /// Resizes the canvas to its size hint (the scroll area calls it when it is resized).
    void adjustToParent();
    /// Where the zoomed image lies inside the canvas; null without an image.
    QRect displayRect() const { return displayRect_; }

    QColor backgroundColour() const { return backgroundColour_; }
    void setBackgroundColour(const QColor& colour);
    float hintOpacity() const { return hintOpacity_; }
    bool showingOriginal() const { return showingOriginal_; }
    /// 1 while the masking tab is shown, else -1 (nothing is painted then).
    int viewMode() const { return viewMode_; }

    /// The pointer position relative to the image's top-left.
    QPoint pointerPosition() const;
    /// Repaints the old and new brush outline and picks the canvas cursor for a brush.
    void updateBrushCursor();
    /// Puts the brush outline at `posInImage` (relative to the image's top-left) as if the
    /// pointer were there; the workspace calls it while the brush size slider moves.
    void showBrushAt(const QPoint& posInImage);
    /// The widget rectangle the brush outline covered when it was last painted; empty for none.
    QRect brushCursorRect() const { return brushCursorRect_; }
    /// A click gesture elsewhere (a double click that opened the masking view), its last press
    /// at `pressTime` on the input events' clock, has brought the canvas under the pointer.
    /// The presses that follow it, each within the double-click interval of the one before,
    /// belong to it: they, their moves and releases, and the release of the press still held
    /// reach no tool. The first press after a longer pause is the user's own again.
    void continueGestureFrom(ulong pressTime);

    /// Answers the background colour question; the default opens the colour dialog.
    static void setColourChooser(std::function<QColor(const QColor& current)> chooser);
    /// Counts or replaces the beep for a press no tool can take; the default beeps.
    static void setBeeper(std::function<void()> beeper);
    /// Takes a drop on the canvas (files, addresses, images, text); returns whether it was taken.
    /// Without one, drops are refused.
    static void setDropHandler(std::function<bool(QDropEvent* event)> handler);

signals:
    void zoomChanged(double zoom);

public slots:
    void imageChangedSlot();
    void rectDirtySlot(const QRectF& imageRect, int hint);
    void toolChangedSlot(const GmTool* tool);
    void cursorChangedSlot(const QCursor* cursor);
    void viewTabChangedSlot(int tab);
    void resolutionChangedSlot(int oldRes, int newRes);
    void hintOpacityChangedSlot();
    void showOriginalSlot();
    void changeBackgroundColourSlot();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class MouseKind { Press, Move, Release, DoubleClick };
    void routeMouse(QMouseEvent* event, MouseKind kind);
    /// Whether `event` belongs to the gesture handed over by `continueGestureFrom`.
    bool belongsToOpeningGesture(const QMouseEvent* event, MouseKind kind);
    /// The edges found by edge finding, in blue, while the view options show them.
    void paintVectorEdges(QPainter& painter, const QRectF& visibleExposedRect);
    void paintOutlines(QPainter& painter, const QRectF& exposedImageRect);
    void paintStrokes(QPainter& painter, const QRectF& visibleExposedRect);
    void paintBrushOutline(QPainter& painter, const QRectF& exposedImageRect);
    void paintWash(QPainter& painter, const QRect& eventRect);
    QRect brushOutlineRect() const;
    bool brushSliderHeld() const;

    double zoom_ = 1.0;
    QRect displayRect_;
    bool pointerPosIsGlobal_ = false;
    bool pointerInside_ = false;
    QPoint pointerPos_;
    QRect brushCursorRect_;
    int viewMode_ = -1;
    QColor backgroundColour_;
    float hintOpacity_ = 0.0f;
    bool showingOriginal_ = false;
    bool fitOnShow_ = true;
    double lastPenPressure_ = 0.0;
    bool gestureGoingOn_ = false;   // presses may still continue the handed-over gesture
    bool gestureHeld_ = false;      // a button of that gesture is down
    ulong gesturePressTime_ = 0;
    QAction* washAction_ = nullptr;
};
