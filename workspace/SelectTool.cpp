#include "workspace/SelectTool.h"

#include "masking/ArrowTarget.h"
#include "masking/ForcedEdge.h"
#include "masking/Brushing.h"
#include "masking/GmBrushing.h"
#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdSelect.h"
#include "masking/OstrivalThread.h"
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
    GmModel* model = ModelPort::instance()->model();
    if (!model)
        return nullptr;
    GmRegion* region = model->activeRegion();
    if (region && region->smeg().isChecked())
        return &region->smeg();
    return model->imageSmeg();
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
    GmModel* model = ModelPort::instance()->model();
    if (model && target &&
        (target == static_cast<const ArrowTarget*>(model->activeRegion()) ||
         target == static_cast<const ArrowTarget*>(model->activeForcedEdge())))
        return 4;
    return 3;
}

void SelectTool::beginStroke(const QPointF& imagePoint) {
    GmModel* model = ModelPort::instance()->model();
    if (model && model->activeRegion()) {
        tq::Shape* shape = model->activeRegion()->shape();
        if (!shape || !shape->contains(imagePoint))
            suspendedRegion = model->setActiveRegion(nullptr, 0);
    }
    if (stroke)
        stroke->brushing().clear();
    else
        stroke = new GmBrushing(strokeColour());
}

void SelectTool::endStroke() {
    if (!stroke)
        return;
    GmModel* model = ModelPort::instance()->model();
    const QRectF bounds = stroke->brushing().bounds();
    if (bounds.width() <= 0 || bounds.height() <= 0 || !model || !theEngineThread) {
        delete stroke;
    } else {
        int overwrite = 1;
        if (mayOverwriteKeep())
            overwrite += 2;
        if (mayOverwriteDelete())
            overwrite += 4;
        if (mayOverwriteBlend())
            overwrite += 8;
        // The command owns the stroke from here on.
        theEngineThread->submit(new JxCmdSelect(model, stroke, JxPixelStatus(overwrite),
                                                JxPixelStatus(targetStatus()), isFlood(), 0),
                                false);
    }
    stroke = nullptr;
    if (suspendedRegion && model)
        suspendedRegion = model->setActiveRegion(suspendedRegion, 2);
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
