#pragma once

#include "workspace/GmTool.h"

#include <QPoint>

/// The hand of the masking workspace: dragging reports each mouse movement as a pixel delta
/// (`tellPan`), which the image view turns into scrolling. The main window also puts it up while
/// Space is held; for that it remembers the tool it stands in for.
class PanTool : public GmTool {
    Q_OBJECT
public:
    PanTool(QActionGroup* group, QWidget* menu, QWidget* toolBar, ToolOptions* optionsArea);
    ~PanTool() override;

    QCursor cursor() const override { return *currentCursor_; }
    int viewTabs() const override { return 7; }
    /// The outlines stay as the replaced tool shows them; 3 without one.
    int regionOutlineStyle(const ArrowTarget* target) const override;
    GmTool* standInFor() const override { return standIn_; }
    void activated(GmTool* previous) override;
    void mousePressEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    void mouseDoubleClickEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    void mouseMoveEvent(QMouseEvent* event, const QPointF& imagePoint) override;
    void mouseReleaseEvent(QMouseEvent* event, const QPointF& imagePoint) override;

signals:
    /// The last reported global position minus the current one, in screen pixels.
    void tellPan(const QPoint& delta);

private:
    void grab(const QPoint& globalPos);

    QCursor* openHandCursor_;
    QCursor* grabHandCursor_;
    QCursor* currentCursor_;
    QPoint lastGlobalPos_;
    QPointer<GmTool> standIn_;  // a tool may go while the hand stands in for it
};
