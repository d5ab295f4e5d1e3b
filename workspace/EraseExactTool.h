#pragma once

#include "workspace/SelectTool.h"

/// Restore: paints the keep status, bringing back what was painted away; drawn in grey.
class EraseExactTool : public SelectTool {
    Q_OBJECT
public:
    /// The tool bar argument is unused: the tool bar palette shows the action.
    EraseExactTool(QActionGroup* group, QWidget* menu, QWidget* toolBar,
                        ToolOptions* optionsArea);

    QColor cursorColour() const override;
    QColor strokeColour() const override { return cursorColour(); }
};
