#pragma once

#include "workspace/BrushingTool.h"

#include <QPointer>

class GmRegion;
class SegmentationStuff;

/// The base of the brushes that paint a status: Erase and Flood Erase paint delete, Restore
/// keep and Touch-Up blend. Each finished stroke becomes one brushing selection command for
/// the engine; a stroke that starts outside the active region works on the whole image, with
/// the region switched off while it runs.
class SelectTool : public BrushingTool {
    Q_OBJECT
public:
    SelectTool(int targetStatus, int floodFlag, const QString& name, const QString& title,
               const QIcon& icon, const QString& shortcutText, const QString& tip,
               QActionGroup* group, QWidget* menu, QWidget* container, ToolOptions* optionsArea);
    ~SelectTool() override;

    virtual int targetStatus() const { return paintStatus; }
    virtual int isFlood() const { return floodFlag; }
    virtual bool mayOverwriteKeep() const { return true; }
    virtual bool mayOverwriteDelete() const { return true; }
    virtual bool mayOverwriteBlend() const { return true; }
    virtual bool needsAnalysis() const { return floodFlag != 0; }

    /// Usable with an image open; a flood brush also needs the governing edge analysis to be
    /// ready or running.
    bool isUsable() const override;
    int regionOutlineStyle(const ArrowTarget* target) const override;
    void beginStroke(const QPointF& imagePoint) override;
    /// An empty or wiped stroke is dropped; any other is submitted with the overwrite mask 15.
    void endStroke() override;

    /// The segmentation a flood stroke follows: the active region's when its own edge finding
    /// is on, else the image's; null without a model.
    static SegmentationStuff* governingSegmentation();

    int paintStatus;
    int floodFlag;
    QPointer<GmRegion> suspendedRegion;

protected:
    /// "<b>title</b>&mdash;tip (shortcut)" as the action's tool tip and What's This.
    void setBrushTexts(const QString& translatedTip);
    /// The current colour of the display colour setting `index` (an index of the application's
    /// options), or `fallback` while there are no options.
    static QColor optionColour(int index, const QColor& fallback);
};
