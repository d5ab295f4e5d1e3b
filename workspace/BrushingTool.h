#pragma once

#include "workspace/GmTool.h"

#include <QPointer>

class GmBrushing;
class QSlider;

/// The base of the tools that paint with the circular brush. It holds what every brush shares:
/// one brush size for all of them (the document's, 1 to 400 px), the brush options panel with
/// its size slider, the "[" and "]" size steps and tablet pen pressure.
class BrushingTool : public GmTool {
    Q_OBJECT
public:
    BrushingTool(const QString& name, const QString& title, const QIcon& icon,
                 const QString& shortcutText, const QString& tip, QActionGroup* group,
                 QWidget* menu, QWidget* container, ToolOptions* optionsArea);
    /// The last brushing tool to go takes the shared panel with it.
    ~BrushingTool() override;

    QCursor cursor() const override { return QCursor(Qt::BlankCursor); }
    /// Left button only: a press (or double click) starts a stroke with one dot, a drag paints
    /// it (with Shift a straight segment follows the pointer unpainted), the release paints the
    /// last segment and hands the stroke to `endStroke`.
    void mousePressEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    void mouseMoveEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    void mouseReleaseEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    void mouseDoubleClickEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    /// Escape wipes a running stroke; without one it does what every tool does.
    void endInteraction() override;
    /// An unfinished stroke is dropped.
    void deactivated(GmTool* next) override;

    /// Prepares `stroke` for a new stroke starting at the point.
    virtual void beginStroke(const QPointF& imagePoint) = 0;
    /// Takes the finished (or wiped) stroke away; `stroke` is null afterwards.
    virtual void endStroke() = 0;
    bool isBrush() const override { return true; }
    bool isUsable() const override { return true; }

    /// The brush diameter in pixels: the document's brush size (`BrushSizeValue`), scaled by
    /// the pen pressure while that is active.
    static int brushSize();
    /// Sets the document's brush size (kept to 1..400); the slider and the canvas follow it.
    static void setBrushSize(int size);
    /// The shared options panel, built on the first call.
    QWidget* brushOptionsPanel();

    QString sizeLabel;
    /// The stroke in progress, or null.
    GmBrushing* stroke = nullptr;

public slots:
    void increaseBrushSizeSlot();
    void decreaseBrushSizeSlot();
};

/// The last pen pressure (0 to 1), written by the canvas from tablet pen events.
extern double thePenPressure;
/// Set by every non-zero pen pressure; cleared when a stroke is released.
extern bool thePenPressureActive;
/// The size slider of the shared brush panel while it exists.
extern QPointer<QSlider> theBrushSizeSlider;
