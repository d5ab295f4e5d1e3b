#include "common/FakeDock.h"

#include "common/GmSubWindow.h"

#include <QVBoxLayout>

#include <algorithm>

FakeDock::FakeDock(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addStretch(1);
    hide();
}

void FakeDock::addSubWindow(GmSubWindow* w) {
    if (!w)
        return;
    if (layout_->indexOf(w) < 0) {
        layout_->insertWidget(layout_->count() - 1, w, w->isResizable() ? 10000 : 0);
        // Queued: a sub-window tells of its change before it is shown or hidden.
        connect(w, &GmSubWindow::visibilityChanged, this, &FakeDock::childVisibilityChanged,
                Qt::QueuedConnection);
    }
    if (layout_->count() > 1 && isHidden() && w->isVisibleTo(this))
        show();
}

void FakeDock::removeSubWindow(GmSubWindow* w) {
    if (!w || layout_->indexOf(w) < 0)
        return;
    layout_->removeWidget(w);
    disconnect(w, &GmSubWindow::visibilityChanged, this, &FakeDock::childVisibilityChanged);
    if (layout_->count() == 1 && !isHidden())
        hide();
}

void FakeDock::childVisibilityChanged() {
    const QList<GmSubWindow*> subWindows = findChildren<GmSubWindow*>();
    const bool anyVisible = std::any_of(subWindows.begin(), subWindows.end(),
                                        [this](GmSubWindow* w) { return w->isVisibleTo(this); });
    if (anyVisible && isHidden())
        show();
    else if (!anyVisible && !isHidden())
        hide();
}
