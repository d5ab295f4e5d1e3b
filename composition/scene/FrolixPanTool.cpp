#include "composition/scene/FrolixPanTool.h"

#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixWidget.h"
#include "workspace/BitmapCursor.h"
#include "workspace/ToolOptions.h"

#include <QMouseEvent>
#include <QScrollBar>

FrolixPanTool::FrolixPanTool(QActionGroup* group, QWidget* menu, ToolOptions* optionsArea,
                             FrolixWidget* view)
    : GmTool(QStringLiteral("Pan"), tr("Pan"), QIcon(QStringLiteral(":images/tool_image_pan.png")),
             tr("P"),
             tr("<p>Click and drag to pan image.</p><p>Press and hold the &lsquo;space bar&rsquo; "
                "on the keyboard at any time when working on the image to temporarily switch to "
                "the <b>Pan</b> tool, letting go of the space bar returns you to the tool you "
                "were using. </p>"),
             group, menu, nullptr, optionsArea),
      openCursor_(makeBitmapCursor(7, 7, QStringLiteral(":images/curs_data_handopen.png"),
                                   QStringLiteral(":images/curs_mask_handopen.png"),
                                   Qt::OpenHandCursor)),
      grabCursor_(makeBitmapCursor(8, 9, QStringLiteral(":images/curs_data_handgrab.png"),
                                   QStringLiteral(":images/curs_mask_handgrab.png"),
                                   Qt::ClosedHandCursor)),
      currentCursor_(openCursor_),
      view_(view) {
    // Shared with every tool without options: never deleted with this tool.
    setOptionsWidget(emptyPanelWidget(), false);
}

FrolixPanTool::~FrolixPanTool() {
    delete openCursor_;
    delete grabCursor_;
}

QCursor FrolixPanTool::cursor() const { return *currentCursor_; }

bool FrolixPanTool::isUsable() const { return FrolixObject::instance()->isCompositionOpen(); }

void FrolixPanTool::deactivated(GmTool*) {
    if (!dragging_)
        return;
    dragging_ = false;
    setCursor(openCursor_);
}

void FrolixPanTool::setCursor(QCursor* cursor) {
    if (cursor == currentCursor_)
        return;
    currentCursor_ = cursor;
    if (theCurrentTool == this)
        emit ToolEvents::instance()->cursorChanged(cursor);
}

void FrolixPanTool::startDrag(QMouseEvent* event) {
    dragging_ = true;
    setCursor(grabCursor_);
    last_ = event->pos();
}

void FrolixPanTool::panBy(QMouseEvent* event) {
    if (!dragging_ || !view_)
        return;
    const QPoint p = event->pos();
    const int dx = view_->isRightToLeft() ? p.x() - last_.x() : last_.x() - p.x();
    const int dy = last_.y() - p.y();
    view_->horizontalScrollBar()->setValue(view_->horizontalScrollBar()->value() + dx);
    view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->value() + dy);
    last_ = p;
}

void FrolixPanTool::endDrag() {
    dragging_ = false;
    setCursor(openCursor_);
}
