#pragma once

#include "workspace/SelectTool.h"

/// Erase: paints the delete status on exactly the pixels the brush covers, in the "Delete
/// Mask" colour.
class DeleteExactTool : public SelectTool {
    Q_OBJECT
public:
    /// The tool bar argument is unused: the tool bar palette shows the action.
    DeleteExactTool(QActionGroup* group, QWidget* menu, QWidget* toolBar,
                         ToolOptions* optionsArea);

    QColor cursorColour() const override;
    QColor strokeColour() const override { return cursorColour(); }
};
