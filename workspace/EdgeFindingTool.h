#pragma once

#include "workspace/GmTool.h"

class EdgeDetectionOptions;

/// A tool that only shows the edge-finding options: the number of edges, the edge width and
/// the Defaults button. Its options start the edge finding of every session.
class EdgeFindingTool : public GmTool {
    Q_OBJECT
public:
    /// The menu and tool bar arguments are unused: the action sits in no widget.
    EdgeFindingTool(QActionGroup* group, QWidget* menu, QWidget* toolBar,
                    ToolOptions* optionsArea);
    /// The options go first, so that their persist flags are set before the panel goes.
    ~EdgeFindingTool() override;

    /// Builds the options (automatic apply on) and the panel that shows their rows.
    virtual QWidget* buildOptionsWidget();

    EdgeDetectionOptions* edgeOptions = nullptr;
};
