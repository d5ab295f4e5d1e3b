#include "workspace/EdgeBlendingTool.h"

#include <QHBoxLayout>

// No shortcut: "O" belongs to Show Original and "F" to Flood Erase, and a second owner of
// either would make Qt drop both as ambiguous.
EdgeBlendingTool::EdgeBlendingTool(QActionGroup* group, QWidget*, QWidget*,
                                   ToolOptions* optionsArea)
    : GmTool(QStringLiteral("Edge Blending Options"), tr("Edge Blending Options"),
             QIcon(QStringLiteral(":frolix/tool_edge_blending.png")), QString(),
             QStringLiteral("<p>Use to change the width and type of edge blending.</p>"), group,
             nullptr, nullptr, optionsArea) {
    setOptionsWidget(buildOptionsWidget(), true);
    connect(this, &EdgeBlendingTool::setAutoBlueWidthToChoiceSignal, blendOptions,
            &CommonBlendOptsWidget::setAutoBlueWidthToChoice);
    connect(this, &EdgeBlendingTool::setBinaryBlendRatioSignal, blendOptions,
            &CommonBlendOptsWidget::setBinaryBlendRatio);
}

EdgeBlendingTool::~EdgeBlendingTool() {
    delete blendOptions;
}

QWidget* EdgeBlendingTool::buildOptionsWidget() {
    blendOptions = new CommonBlendOptsWidget(true);
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(blendOptions->widthRow);
    layout->addWidget(raisedVerticalLine());
    layout->addWidget(blendOptions->ratioRow);
    layout->addStretch(1);
    panel->setObjectName(QStringLiteral("Edge Blending Tool Options"));
    return panel;
}
