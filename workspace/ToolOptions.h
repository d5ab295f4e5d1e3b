#pragma once

#include <QWidget>

class GmTool;
class QStackedWidget;

/// The panel that shows the current tool's options widget, one stacked page per distinct widget
/// (the brush tools share one page).
class ToolOptions : public QWidget {
    Q_OBJECT
public:
    /// The argument is unused; the main window puts the panel into its layout.
    explicit ToolOptions(QWidget* unused = nullptr);
    ~ToolOptions() override;

    /// The panel of tools built without one: the main window's, or one made on first use.
    static ToolOptions* shared();

    /// Shows the tool's options widget (adding it as a page the first time) and its title.
    void showTool(GmTool* tool);

    QStackedWidget* stack() const { return stack_; }

private:
    QStackedWidget* stack_;
};

/// The shared options panel while it exists.
extern ToolOptions* theToolOptions;

/// The options widget of tools without options: one shared empty panel, made on first use and
/// kept until exit.
QWidget* emptyPanelWidget();

/// There is no tip pane in the workspace: both calls have no effect.
void showTipText(const QString& html);
void showActionWhatsThis(QAction* action);
