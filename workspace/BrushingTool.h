#pragma once

#include "workspace/GmTool.h"
#include "workspace/PersistentWidget.h"

#include <QPointer>

/// The base of the tools that paint with the circular brush. It holds what every brush shares:
/// one brush size for all of them (1 to 400 px), the brush options panel with its size slider,
/// the "[" and "]" size steps and tablet pen pressure.
class BrushingTool : public GmTool {
    Q_OBJECT
public:
    BrushingTool(const QString& name, const QString& title, const QIcon& icon,
                 const QString& shortcutText, const QString& tip, QActionGroup* group,
                 QWidget* menu, QWidget* container, ToolOptions* optionsArea);
    /// The last brushing tool to go takes the shared panel (and its stored size) with it.
    ~BrushingTool() override;

    QCursor cursor() const override { return QCursor(Qt::BlankCursor); }
    bool isBrush() const override { return true; }
    bool isUsable() const override { return true; }

    /// The brush diameter in pixels: 10 before any brush exists, else the box value, scaled by
    /// the pen pressure while that is active.
    static int brushSize();
    /// Sets the box (which keeps 1..400) and asks the canvas to rebuild its brush cursor.
    static void setBrushSize(int size);
    /// The shared options panel, built on the first call.
    QWidget* brushOptionsPanel();

    QString sizeLabel;

signals:
    void brushSizeSliderMoved();

public slots:
    void increaseBrushSizeSlot();
    void decreaseBrushSizeSlot();
    void syncBrushSizeToSlider(int size);
    void syncBrushSizeFromSlider(int position);
};

/// The last pen pressure (0 to 1), written by the canvas from tablet pen events.
extern double thePenPressure;
/// Set by every non-zero pen pressure; cleared when a stroke is released.
extern bool thePenPressureActive;
/// The size slider of the shared brush panel while it exists.
extern QPointer<QSlider> theBrushSizeSlider;
/// The box holding the brush size while the shared brush panel exists.
extern QPointer<PersistentWidget<QSpinBox, int>> theBrushSizeBox;
