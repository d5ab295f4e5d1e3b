#pragma once

#include "workspace/GmTool.h"

#include <QPoint>
#include <QPointer>

class FrolixWidget;
class QCursor;
class QMouseEvent;

/// The hand tool of the composition view: while it is current, dragging scrolls the view
/// instead of touching items. The composition view hands it the mouse events; the main window
/// also installs it while the space bar is held on the composition tab.
class FrolixPanTool : public GmTool {
    Q_OBJECT
public:
    FrolixPanTool(QActionGroup* group, QWidget* menu, ToolOptions* optionsArea,
                  FrolixWidget* view);
    ~FrolixPanTool() override;

    QCursor cursor() const override;
    int viewTabs() const override { return 8; }
    int preferredViewTab() const override { return 8; }
    /// Usable while a composition is open.
    bool isUsable() const override;
    void activated(GmTool* previous) override {}
    /// Ends a drag under way.
    void deactivated(GmTool* next) override;

    /// Makes `cursor` current and, while this tool is current, announces it.
    void setCursor(QCursor* cursor);
    /// A press or double click on the view: the drag starts at the event's position.
    void startDrag(QMouseEvent* event);
    /// Scrolls the view by the move since the last event, so the canvas follows the mouse.
    void panBy(QMouseEvent* event);
    /// The release: the drag ends.
    void endDrag();

    bool isDragging() const { return dragging_; }
    QCursor* openCursor() const { return openCursor_; }
    QCursor* grabCursor() const { return grabCursor_; }
    QCursor* currentCursor() const { return currentCursor_; }

private:
    QCursor* openCursor_;
    QCursor* grabCursor_;
    QCursor* currentCursor_;
    QPointer<FrolixWidget> view_;
    bool dragging_ = false;
    QPoint last_;
};
