// View tabs, action enabledness, tool selection and the masking side's undo, redo and
// Start Again.
#include "shell/TqMainWindow.h"

#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ZoomViewOptionsWidget.h"
#include "masking/GmModel.h"
#include "masking/JxCmdRedo.h"
#include "masking/JxCmdSelect.h"
#include "masking/JxCmdUndo.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"
#include "common/GmSubWindow.h"
#include "common/Product.h"
#include "workspace/GmTool.h"
#include "workspace/ToolOptions.h"

#include <QFileInfo>
#include <QTimer>
#include <QToolBar>

void TqMainWindow::setWindowTitleSlot() {
    QString title = productDisplayName();
    GmModel* model = GmModel::existing();
    if (model && model->sourceImage())
        title += QStringLiteral(": ") + QFileInfo(model->sourceImage()->name()).fileName();
    setWindowTitle(title);
}

void TqMainWindow::updateActionEnablednessSlot() {
    GmModel* model = GmModel::existing();
    updateActionEnabledness(model ? model->sourceImage() : nullptr);
}

void TqMainWindow::updateActionEnabledness(const TqSourceImage* image) {
    setWindowTitleSlot();
    actions_.updateEnabledness(currentViewTab(), FrolixObject::instance()->isCompositionOpen());
    setViewOptionsShowVectorEdgesEnabled(image != nullptr);
    for (QWidget* widget : {static_cast<QWidget*>(frolixWidget_),
                            static_cast<QWidget*>(propertyPanelWindow_),
                            static_cast<QWidget*>(zoomWidget_)})
        if (widget)
            widget->setEnabled(true);
}

void TqMainWindow::imageChangedSlot(const TqSourceImage* image) {
    if (!image && noTool_ && theCurrentTool != noTool_) {
        if (!noTool_->isUsable())
            selectDefaultTool();
        else
            noTool_->action()->trigger();
    }
    updateActionEnabledness(image);
}

void TqMainWindow::imageAnalysisHasBegunSlot() {
    if (!noTool_ || theCurrentTool != noTool_)
        return;
    if (imageView_)
        imageView_->ensureViewTab(ImageView::MaskingTab, ImageView::MaskingTab);
    if (deleteLocalTool_ && deleteLocalTool_->isUsable())
        deleteLocalTool_->installSlot();
    else
        selectDefaultTool();
}

void TqMainWindow::statusesPresentChangedSlot(int statuses) {
    actions_.statusesPresentChanged(statuses, currentViewTab());
    // The brushes decide their own usability; the window only picks among them.
    selectDefaultTool();
}

void TqMainWindow::viewTabChangedSlot(ImageView::ViewTab tab) {
    // The second pass must not take back a brush the user picked in between.
    applyViewTab(tab, tabPassPending && theCurrentTool != toolAfterTabPass_);
    if (tabPassPending) {
        tabPassPending = false;
        return;
    }
    tabPassPending = true;
    toolAfterTabPass_ = theCurrentTool;
    QTimer::singleShot(333, this, &TqMainWindow::deferredTabPassSlot);
}

void TqMainWindow::deferredTabPassSlot() {
    // The tab shown now, not the one that scheduled this pass: a second change within the
    // delay must not be undone by the first one's settings.
    viewTabChangedSlot(ImageView::ViewTab(currentViewTab()));
}

void TqMainWindow::applyViewTab(int tab, bool keepChosenTool) {
    actions_.viewTabShown(tab);
    if (tab & MainWindowActions::maskingTabs) {
        setStatusBarEnabled(true);
        const bool chosenToolStays = keepChosenTool && theCurrentTool && theCurrentTool != noTool_ &&
                                     theCurrentTool->isUsable() &&
                                     theCurrentTool->isAvailableInCurrentTab();
        if (deleteLocalTool_ && !chosenToolStays)
            deleteLocalTool_->installSlot();
        if (undoRedoToolBar_) {
            undoRedoToolBar_->show();
            undoRedoToolBar_->setEnabled(true);
        }
        if (optionsToolBar_)
            optionsToolBar_->setEnabled(true);
        if (toolOptions_)
            toolOptions_->setEnabled(true);
        selectDefaultTool();
    } else {
        if (undoRedoToolBar_)
            undoRedoToolBar_->hide();
        if (optionsToolBar_)
            optionsToolBar_->setEnabled(true);
        if (toolOptions_)
            toolOptions_->setEnabled(true);
    }
}

void TqMainWindow::showCutoutTab() {
    if (imageView_)
        imageView_->ensureViewTab(ImageView::MaskingTab, ImageView::MaskingTab);
}

void TqMainWindow::selectDefaultTool() {
    if (!theCurrentTool)
        return;
    if (currentViewTab() != ImageView::MaskingTab) {
        if (!theCurrentTool->isUsable() && noTool_)
            noTool_->installSlot();
        return;
    }
    if (theCurrentTool != noTool_ && theCurrentTool->isUsable())
        return;
    for (GmTool* tool : {deleteLocalTool_, complexExactTool_, deleteExactTool_, eraseExactTool_}) {
        if (tool && tool->isUsable()) {
            tool->installSlot();
            return;
        }
    }
    if (theCurrentTool && !theCurrentTool->isUsable() && noTool_)
        noTool_->installSlot();
}

void TqMainWindow::toolChangedSlot(const GmTool* tool) {
    // Flood Erase works on whole analysed areas and wants the wider blend.
    emitAutoBlueWidth(tool && tool == deleteLocalTool_ ? 2 : 1);
    setViewOptionsShowVectorEdges(tool && tool == deleteLocalTool_);
    if (viewOptions_)
        viewOptions_->setEnabled(true);
}

void TqMainWindow::undoSlot() {
    showCutoutTab();
    if (engineThread_)
        engineThread_->submit(new JxCmdUndo(GmModel::instance()));
}

void TqMainWindow::redoSlot() {
    showCutoutTab();
    if (engineThread_)
        engineThread_->submit(new JxCmdRedo(GmModel::instance()));
}

void TqMainWindow::revertSlot() {
    actions_.revertStarted();
    showCutoutTab();
    GmModel* model = GmModel::instance();
    if (engineThread_)
        engineThread_->submit(new JxCmdSelect(model, nullptr, 14, 2));
    model->revertOutputImage();
}

void TqMainWindow::jxUndoStackChangedSlot(uint32_t undos, uint32_t redos) {
    actions_.setUndoStack(undos, redos);
    updateUndoRedoEnabledness();
}

void TqMainWindow::updateUndoRedoEnabledness() {
    const bool idle =
        !engineThread_ || (engineThread_->queuedCommands().isEmpty() && !engineThread_->isBusy());
    actions_.updateUndoRedoEnabledness(idle);
}
