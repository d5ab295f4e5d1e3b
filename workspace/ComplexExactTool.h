#pragma once

#include "workspace/SelectTool.h"

/// Touch-Up: paints the blend status, in the "Blend Mask" colour. Its name stays "Blend" while
/// its title is "Touch-Up".
class ComplexExactTool : public SelectTool {
    Q_OBJECT
public:
    /// The tool bar argument is unused: the tool bar palette shows the action.
    ComplexExactTool(QActionGroup* group, QWidget* menu, QWidget* toolBar,
                          ToolOptions* optionsArea);

    QColor cursorColour() const override;
    QColor strokeColour() const override { return cursorColour(); }
};
