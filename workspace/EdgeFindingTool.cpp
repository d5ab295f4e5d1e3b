#include "workspace/EdgeFindingTool.h"

#include "workspace/BlendOptsWidget.h"
#include "workspace/EdgeDetectionOptions.h"

#include <QHBoxLayout>
#include <QToolButton>

// No shortcut: "F" belongs to Flood Erase, and a second owner would make Qt drop both as
// ambiguous.
EdgeFindingTool::EdgeFindingTool(QActionGroup* group, QWidget*, QWidget*,
                                 ToolOptions* optionsArea)
    : GmTool(QStringLiteral("Edge Finding Options"), tr("Edge Finding Options"),
             QIcon(QStringLiteral(":frolix/tool_edge_finding.png")), QString(),
             QStringLiteral("<p>Increase or reduce the number of <b>Delete Edges</b> in the "
                            "image.</p>"),
             group, nullptr, nullptr, optionsArea) {
    setOptionsWidget(buildOptionsWidget(), true);
}

EdgeFindingTool::~EdgeFindingTool() {
    delete edgeOptions;
}

QWidget* EdgeFindingTool::buildOptionsWidget() {
    edgeOptions = new EdgeDetectionOptions(true, true);
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edgeOptions->sensitivityRow);
    layout->addWidget(raisedVerticalLine());
    layout->addWidget(edgeOptions->widthRow);
    layout->addWidget(raisedVerticalLine());
    layout->addWidget(edgeOptions->defaultsButton());
    layout->addStretch(1);
    panel->setObjectName(QStringLiteral("Edge Finding Tool Options"));
    return panel;
}
