#pragma once

#include "workspace/SelectTool.h"

/// Flood Erase: paints the delete status on every analysed area the brush touches (the areas
/// outlined in blue), so it needs the edge analysis. Drawn in the "Delete Mask" colour.
class DeleteLocalTool : public SelectTool {
    Q_OBJECT
public:
    /// The tool bar argument is unused: the tool bar palette shows the action.
    DeleteLocalTool(QActionGroup* group, QWidget* menu, QWidget* toolBar,
                         ToolOptions* optionsArea);

    QColor cursorColour() const override;
    QColor strokeColour() const override { return cursorColour(); }
};
