#include "workspace/SelectTool.h"

#include "masking/ArrowTarget.h"
#include "masking/ForcedEdge.h"
#include "masking/Brushing.h"
#include "masking/GmBrushing.h"
#include "masking/GmRegion.h"
#include "masking/SegmentationStuff.h"
#include "masking/Shape.h"
#include "common/GmColor.h"
#include "common/PersistOptions.h"
#include "workspace/ModelPort.h"

#include <QAction>

SelectTool::SelectTool(int targetStatus, int floodFlag, const QString& name, const QString& title,
                       const QIcon& icon, const QString& shortcutText, const QString& tip,
                       QActionGroup* group, QWidget* menu, QWidget* container,
                       ToolOptions* optionsArea)
    : BrushingTool(name, title, icon, shortcutText, tip, group, menu, container, optionsArea),
      paintStatus(targetStatus), floodFlag(floodFlag) {}

SelectTool::~SelectTool() = default;

SegmentationStuff* SelectTool::governingSegmentation() {
    ModelPort* port = ModelPort::instance();
    GmRegion* region = port->activeRegion();
    if (region && region->smeg().isChecked())
        return &region->smeg();
    return port->imageSegmentation();
}

bool SelectTool::isUsable() const {
    if (!ModelPort::instance()->hasSourceImage())
        return false;
    if (!needsAnalysis())
        return true;
    const SegmentationStuff* holder = governingSegmentation();
    return holder && (holder->isAnalysisReady() || holder->runningAnalysis());
}

int SelectTool::regionOutlineStyle(const ArrowTarget* target) const {
    ModelPort* port = ModelPort::instance();
    if (target && (target == static_cast<const ArrowTarget*>(port->activeRegion()) ||
                   target == static_cast<const ArrowTarget*>(port->activeForcedEdge())))
        return 4;
    return 3;
}

void SelectTool::beginStroke(const QPointF& imagePoint) {
    ModelPort* port = ModelPort::instance();
    if (GmRegion* region = port->activeRegion()) {
        tq::Shape* shape = region->shape();
        if (!shape || !shape->contains(imagePoint))
            suspendedRegion = port->setActiveRegion(nullptr, 0);
    }
    if (stroke)
        stroke->brushing().clear();
    else
        stroke = new GmBrushing(strokeColour());
}

void SelectTool::endStroke() {
    if (!stroke)
        return;
    ModelPort* port = ModelPort::instance();
    const QRectF bounds = stroke->brushing().bounds();
    if (bounds.width() <= 0 || bounds.height() <= 0) {
        delete stroke;
    } else {
        int overwrite = 1;
        if (mayOverwriteKeep())
            overwrite += 2;
        if (mayOverwriteDelete())
            overwrite += 4;
        if (mayOverwriteBlend())
            overwrite += 8;
        // The port owns the stroke from here on (without a document or engine it goes).
        port->selectWithStroke(stroke, overwrite, targetStatus(), isFlood());
    }
    stroke = nullptr;
    if (suspendedRegion && port->hasModel())
        suspendedRegion = port->setActiveRegion(suspendedRegion, 2);
    else
        suspendedRegion = nullptr;
}

void SelectTool::setBrushTexts(const QString& translatedTip) {
    QAction* toolAction = action();
    const QString text = QStringLiteral("<b>%1</b>&mdash;%2 (%3)")
                             .arg(title(), translatedTip,
                                  toolAction->shortcut().toString(QKeySequence::NativeText));
    toolAction->setToolTip(text);
    setWhatsThisText(text);
}

QColor SelectTool::optionColour(int index, const QColor& fallback) {
    if (theOptions)
        if (GmColor* setting = theOptions->color(PersistOptions::ColorIndex(index)))
            return setting->color();
    return fallback;
}
