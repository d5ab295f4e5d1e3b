// Where the window builds the parts it only holds as base types in its header: the masking
// brushes, the edge tools, the view options panel, the property panel and the composition
// commands of its actions.
#include "shell/TqMainWindow.h"

#include "composition/panels/PropertyPanelWindow.h"
#include "composition/scene/CanvasSettingsCommand.h"
#include "composition/scene/CommandMapper.h"
#include "composition/scene/NewImageCommand.h"
#include "composition/scene/NewSpeechBubbleCommand.h"
#include "composition/scene/NewTextFieldCommand.h"
#include "composition/scene/PreviewFinalImageCommand.h"
#include "masking/GmModel.h"
#include "workspace/ComplexExactTool.h"
#include "workspace/DeleteExactTool.h"
#include "workspace/DeleteLocalTool.h"
#include "workspace/EdgeBlendingTool.h"
#include "workspace/EdgeFindingTool.h"
#include "workspace/EraseExactTool.h"
#include "workspace/ViewOptions.h"

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

bool TqMainWindow::connectCompositionCommand(QAction* action, const char* commandName) {
    if (!action || !commandName)
        return false;
    CommandMapper* mapper = CommandMapper::instance();
    const QByteArray name(commandName);
    if (name == "PreviewFinalImageCommand")
        mapper->addCommandFactory<PreviewFinalImageCommand>(action);
    else if (name == "NewImageCommand")
        mapper->addCommandFactory<NewImageCommand>(action);
    else if (name == "NewTextFieldCommand")
        mapper->addCommandFactory<NewTextFieldCommand>(action);
    else if (name == "NewSpeechBubbleCommand")
        mapper->addCommandFactory<NewSpeechBubbleCommand>(action);
    else if (name == "CanvasSettingsCommand")
        mapper->addCommandFactory<CanvasSettingsCommand>(action);
    else
        return false;
    return true;
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
