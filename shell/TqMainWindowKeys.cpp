// The keys the window handles before the current tool sees them (the Space-held hand, Escape
// and Ctrl+., Backspace), the tool-bar context menu it suppresses, the web links and the
// preferences.
#include "shell/TqMainWindow.h"

#include "composition/scene/FrolixWidget.h"
#include "masking/GmModel.h"
#include "shell/AboutBox.h"
#include "shell/ShowOriginalToolButton.h"
#include "shell/TqApp.h"
#include "shell/WebAddresses.h"
#include "shell/ZolPreferences.h"
#include "workspace/BrushingTool.h"
#include "workspace/GmTool.h"

#include <QCoreApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

namespace {

const char* const facebookGroupAddress = "https://www.facebook.com/groups/zolquist";
const char* const flickrGroupAddress = "https://www.flickr.com/groups/zolquist";

void forwardToTool(QKeyEvent* event) {
    if (theCurrentTool)
        theCurrentTool->keyEvent(event);
}

bool isEndKey(const QKeyEvent* event) {
    return event->key() == Qt::Key_Escape ||
           (event->key() == Qt::Key_Period && event->modifiers() == Qt::ControlModifier);
}

/// Something Escape can end: a stroke being painted, an active region or forced edge.
bool interactionUnderway() {
    if (auto* brush = qobject_cast<BrushingTool*>(theCurrentTool); brush && brush->stroke)
        return true;
    GmModel* model = GmModel::existing();
    return model && (model->activeRegion() || model->activeForcedEdge());
}

}  // namespace

bool TqMainWindow::event(QEvent* event) {
    // Escape is also Cancel's shortcut, which would pre-empt the key: while there is an
    // interaction to end, the key goes to the tool instead, and only a second Escape cancels.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && interactionUnderway()) {
            key->accept();
            return true;
        }
    }
    return QMainWindow::event(event);
}

void TqMainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return;
    if (event->key() == Qt::Key_Space) {
        if (event->modifiers() != Qt::NoModifier) {
            toolBeforePan_ = nullptr;
            forwardToTool(event);
            return;
        }
        auto canPan = [](GmTool* pan) {
            return pan && pan != theCurrentTool && pan->isUsable() && pan->isAvailableInCurrentTab();
        };
        if (canPan(panTool_)) {
            toolBeforePan_ = theCurrentTool;
            panTool_->installSlot();
        } else if (canPan(frolixPanTool_)) {
            // A text item being edited must not receive the blank.
            if (frolixWidget_ && frolixWidget_->scene())
                frolixWidget_->scene()->clearFocus();
            toolBeforePan_ = theCurrentTool;
            frolixPanTool_->installSlot();
        }
        forwardToTool(event);
        return;
    }
    if (isEndKey(event)) {
        if (theCurrentTool)
            theCurrentTool->endInteraction();
        forwardToTool(event);
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        GmModel* model = GmModel::existing();
        if (model && model->activeRegion())
            model->deleteRegion(model->activeRegion());
    }
    forwardToTool(event);
}

void TqMainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return;
    if (event->key() == Qt::Key_Space && toolBeforePan_)
        stopPanningSlot();
    forwardToTool(event);
}

void TqMainWindow::stopPanningSlot() {
    GmTool* previous = toolBeforePan_;
    if (theCurrentTool && (theCurrentTool == panTool_ || theCurrentTool == frolixPanTool_)) {
        // Still set while the previous tool comes back, so that the tab does not change.
        if (previous && previous->isUsable()) {
            previous->installSlot();
        } else {
            selectDefaultTool();
        }
    }
    toolBeforePan_ = nullptr;
}

void TqMainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    const bool lost = (event->type() == QEvent::ActivationChange && !isActiveWindow()) ||
                      (event->type() == QEvent::EnabledChange && !isEnabled());
    if (!lost)
        return;
    // The Space release goes to whichever window is active then: the hand ends here.
    if (toolBeforePan_)
        stopPanningSlot();
    // The button holds the keyboard while its key is held; the release may never come. (A
    // disabled button is no longer down, but its hold and grab go on.)
    if (showOriginalButton_ && QWidget::keyboardGrabber() == showOriginalButton_) {
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(showOriginalButton_, &deactivate);
    }
}

void TqMainWindow::contextMenuEvent(QContextMenuEvent* event) {
    for (QWidget* widget = childAt(event->pos()); widget && widget != this;
         widget = widget->parentWidget()) {
        if (qobject_cast<QToolBar*>(widget) || qobject_cast<QMenuBar*>(widget)) {
            event->accept();   // no menu to hide or show tool bars
            return;
        }
    }
    QMainWindow::contextMenuEvent(event);
}

void TqMainWindow::homePageSlot() { QDesktopServices::openUrl(QUrl(distributorBaseAddress())); }

void TqMainWindow::tutorialsSlot() {
    if (theApp)
        QDesktopServices::openUrl(QUrl(theApp->tutorialsAddress()));
}

void TqMainWindow::facebookCommunitySlot() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(facebookGroupAddress)));
}

void TqMainWindow::flickrCommunitySlot() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(flickrGroupAddress)));
}

void TqMainWindow::invokePreferencesSlot() {
    ZolPreferences* preferences = ZolPreferences::instance();
    preferences->loadFromSettings();
    preferences->show();
    preferences->raise();
    preferences->activateWindow();
}

void TqMainWindow::aboutSlot() { showAboutBox(this); }
