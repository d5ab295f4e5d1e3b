#include "workspace/PanTool.h"

#include "workspace/BitmapCursor.h"
#include "workspace/ToolOptions.h"

#include <QGuiApplication>
#include <QMouseEvent>

PanTool::PanTool(QActionGroup* group, QWidget* menu, QWidget*, ToolOptions* optionsArea)
    : GmTool(QStringLiteral("Hand Tool"),
             tr("Pan", "[zol, frolix]Pan - as in panning around an image"),
             QIcon(QStringLiteral(":images/tool_image_pan.png")), QStringLiteral("P"), QString(),
             group, menu, nullptr, optionsArea) {
    setWhatsThisText(
        tr("<p>Use to drag and pan an image.</p><p>Press and hold the &lsquo;space bar&rsquo; on "
           "the keyboard at any time when working on the image to temporarily switch to the "
           "<b>%1</b>; letting go of the space bar returns you to the tool you were using. Click "
           "and drag to pan image.</p>")
            .arg(title()));
    openHandCursor_ = makeBitmapCursor(7, 7, QStringLiteral(":images/curs_data_handopen.png"),
                                       QStringLiteral(":images/curs_mask_handopen.png"),
                                       Qt::OpenHandCursor);
    grabHandCursor_ = makeBitmapCursor(8, 9, QStringLiteral(":images/curs_data_handgrab.png"),
                                       QStringLiteral(":images/curs_mask_handgrab.png"),
                                       Qt::ClosedHandCursor);
    currentCursor_ = openHandCursor_;
    // Shared with every tool without options: never deleted with this tool.
    setOptionsWidget(emptyPanelWidget(), false);
}

PanTool::~PanTool() {
    delete openHandCursor_;
    delete grabHandCursor_;
}

int PanTool::regionOutlineStyle(const ArrowTarget* target) const {
    return standIn_ ? standIn_->regionOutlineStyle(target) : GmTool::regionOutlineStyle(target);
}

void PanTool::activated(GmTool* previous) {
    // Re-triggering the hand (previous is the hand itself) keeps what it stands in for; so does
    // a start without any previous tool. Otherwise a hand that replaces a hand keeps the first
    // replaced tool.
    if (previous && previous != this) {
        GmTool* replaced = previous->standInFor();
        standIn_ = (replaced && replaced != this) ? replaced : previous;
    }
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        lastGlobalPos_ = QCursor::pos();
}

void PanTool::grab(const QPoint& globalPos) {
    lastGlobalPos_ = globalPos;
    currentCursor_ = grabHandCursor_;
    emit ToolEvents::instance()->cursorChanged(currentCursor_);
}

void PanTool::mousePressEvent(QMouseEvent* event, const QPointF&) {
    if (event->button() == Qt::LeftButton)
        grab(event->globalPos());
}

void PanTool::mouseDoubleClickEvent(QMouseEvent* event, const QPointF&) {
    if (event->button() == Qt::LeftButton)
        grab(event->globalPos());
}

void PanTool::mouseMoveEvent(QMouseEvent* event, const QPointF&) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    emit tellPan(lastGlobalPos_ - event->globalPos());
    lastGlobalPos_ = event->globalPos();
}

void PanTool::mouseReleaseEvent(QMouseEvent* event, const QPointF&) {
    if (event->button() != Qt::LeftButton)
        return;
    emit tellPan(lastGlobalPos_ - event->globalPos());
    currentCursor_ = openHandCursor_;
    emit ToolEvents::instance()->cursorChanged(currentCursor_);
}
