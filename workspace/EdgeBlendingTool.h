#pragma once

#include "workspace/CommonBlendOptsWidget.h"
#include "workspace/GmTool.h"

/// A tool that only shows the blending options: the blend width and the Feather-to-Smart
/// ratio. Its two signals are how the main window steers those options (the width per brush,
/// the Edge Smoothing toggle).
class EdgeBlendingTool : public GmTool {
    Q_OBJECT
public:
    /// The menu and tool bar arguments are unused: the action sits in no widget.
    EdgeBlendingTool(QActionGroup* group, QWidget* menu, QWidget* toolBar,
                     ToolOptions* optionsArea);
    /// The options go first, so that their persist flags are set before the panel (and the
    /// persistent controls in it) goes.
    ~EdgeBlendingTool() override;

    /// Builds the options and the panel that shows their two rows.
    virtual QWidget* buildOptionsWidget();

    CommonBlendOptsWidget* blendOptions = nullptr;

signals:
    void setAutoBlueWidthToChoiceSignal(CommonBlendOptsWidget::BlendWidths w);
    void setBinaryBlendRatioSignal(bool soften);
};
