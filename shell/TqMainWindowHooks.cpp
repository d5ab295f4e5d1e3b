// Where the window builds the parts it only holds as base types in its header: the masking
// brushes, the edge tools, the view options panel, the property panel, the canvas settings
// dialog, the composition commands of its actions and its answers to the composition.
#include "shell/TqMainWindow.h"

#include "composition/panels/CanvasSettings.h"
#include "composition/panels/PropertyPanelWindow.h"
#include "composition/scene/CanvasSettingsCommand.h"
#include "composition/scene/CommandMapper.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/NewImageCommand.h"
#include "composition/scene/NewSpeechBubbleCommand.h"
#include "composition/scene/NewTextFieldCommand.h"
#include "composition/scene/PreviewFinalImageCommand.h"
#include "masking/GmModel.h"
#include "shell/GmAction.h"
#include "workspace/ComplexExactTool.h"
#include "workspace/DeleteExactTool.h"
#include "workspace/DeleteLocalTool.h"
#include "workspace/EdgeBlendingTool.h"
#include "workspace/EdgeFindingTool.h"
#include "workspace/EraseExactTool.h"
#include "workspace/ViewOptions.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstring>

// "DeleteLocalTool", "DeleteExactTool", "ComplexExactTool" or "EraseExactTool", built with the
// shared tool action group, no menu and `toolOptions_`; null for any other name.
GmTool* TqMainWindow::createMaskingBrush(const char* name) {
    if (!name)
        return nullptr;
    QActionGroup* group = toolActionGroup_ ? toolActionGroup_ : GmTool::toolActionGroup();
    if (std::strcmp(name, "DeleteLocalTool") == 0)
        return new DeleteLocalTool(group, nullptr, nullptr, toolOptions_);
    if (std::strcmp(name, "DeleteExactTool") == 0)
        return new DeleteExactTool(group, nullptr, nullptr, toolOptions_);
    if (std::strcmp(name, "ComplexExactTool") == 0)
        return new ComplexExactTool(group, nullptr, nullptr, toolOptions_);
    if (std::strcmp(name, "EraseExactTool") == 0)
        return new EraseExactTool(group, nullptr, nullptr, toolOptions_);
    return nullptr;
}

GmTool* TqMainWindow::createEdgeFindingTool() {
    return new EdgeFindingTool(toolActionGroup_, nullptr, nullptr, toolOptions_);
}

GmTool* TqMainWindow::createEdgeBlendingTool() {
    return new EdgeBlendingTool(toolActionGroup_, nullptr, nullptr, toolOptions_);
}

// The view options panel of the status bar; its layout takes the zoom controls. A change of
// its switch repaints the masking canvas.
QWidget* TqMainWindow::createViewOptions() {
    auto* options = new ViewOptions;
    connect(options, &ViewOptions::modified, GmModel::instance(),
            QOverload<>::of(&GmModel::signalDirtyImageSlot));
    return options;
}

// Built after the composition view, whose item scene the panel needs.
GmSubWindow* TqMainWindow::createPropertyPanel() { return new PropertyPanelWindow(this); }

// The composition announces; the window answers for itself: its actions, the cut-out still
// open, the picture to add and the problems to show. It also says how the canvas settings
// dialog is made, over the window that holds the composition view.
void TqMainWindow::connectComposition() {
    FrolixObject* document = FrolixObject::instance();
    connect(document, &FrolixObject::compositionOpenChanged, this,
            [this] { updateActionEnabledness(GmModel::instance()->sourceImage()); });
    connect(document, &FrolixObject::cutoutCloseRequested, this, [this](const QString& title) {
        // A Save may have to wait for the engine before the cut-out is placed: the cut-out
        // closes once it is, not before and never left open.
        maybeSaveCutout(title, [this] { closeCutout(); });
    });
    connect(document, &FrolixObject::addImageRequested, this, [this] { loadFile(QString()); });
    connect(document, &FrolixObject::problemFound, this, [this](const QString& text) {
        QMessageBox::warning(this, QCoreApplication::applicationName(), text);
    });
    ItemController::setCanvasSettingsMaker(
        [](QWidget* parent) { return new CanvasSettings(parent); });
}

// Each composition action runs a new command of its own kind per trigger.
void TqMainWindow::connectCompositionCommands() {
    CommandMapper* mapper = CommandMapper::instance();
    mapper->addCommandFactory<PreviewFinalImageCommand>(actions_.previewAction());
    mapper->addCommandFactory<NewImageCommand>(actions_.addImageAction());
    mapper->addCommandFactory<NewTextFieldCommand>(actions_.addTextAction());
    mapper->addCommandFactory<NewSpeechBubbleCommand>(actions_.addSpeechBubbleAction());
    mapper->addCommandFactory<CanvasSettingsCommand>(actions_.canvasSettingsAction());
}

void TqMainWindow::setViewOptionsShowVectorEdgesEnabled(bool enabled) {
    if (auto* options = qobject_cast<ViewOptions*>(viewOptions_))
        options->setShowVectorEdgesEnabled(enabled);
}

void TqMainWindow::setViewOptionsShowVectorEdges(bool on) {
    if (auto* options = qobject_cast<ViewOptions*>(viewOptions_))
        options->setShowVectorEdges(on);
}

void TqMainWindow::emitAutoBlueWidth(int choice) {
    if (auto* blending = qobject_cast<EdgeBlendingTool*>(edgeBlendingTool_))
        emit blending->setAutoBlueWidthToChoiceSignal(
            CommonBlendOptsWidget::BlendWidths(choice));
}
