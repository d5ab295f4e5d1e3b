#include "shell/ShowOriginalToolButton.h"

#include "common/LogStream.h"

#include <QKeyEvent>
#include <QShortcutEvent>

ShowOriginalToolButton::ShowOriginalToolButton(QWidget* parent) : QToolButton(parent) {}

bool ShowOriginalToolButton::event(QEvent* e) {
    if (!held_ && !isDown() && e->type() == QEvent::Shortcut) {
        const int id = static_cast<QShortcutEvent*>(e)->shortcutId();
        // Off while held, so that key repeats do not click the button again and again.
        setShortcutEnabled(id, false);
        heldShortcutId_ = id;
        heldShortcut_ = shortcut();
        grabKeyboard();   // the release must come here wherever the focus is
        setDown(true);
        emit pressed();
        held_ = true;
        return true;
    }
    // A mouse release meanwhile leaves the button up but the hold still on: it must end all
    // the same, or the keyboard stays grabbed and the shortcut off. A deactivated window
    // counts as a lost focus, since the button itself rarely has the focus.
    const bool keyReleased = e->type() == QEvent::KeyRelease &&
                             !static_cast<QKeyEvent*>(e)->isAutoRepeat();
    if (held_ && (keyReleased || e->type() == QEvent::FocusOut ||
                  e->type() == QEvent::WindowDeactivate)) {
        endHold();
        if (e->type() != QEvent::WindowDeactivate)
            return true;
    }
    return QToolButton::event(e);
}

void ShowOriginalToolButton::endHold() {
    if (shortcut() != heldShortcut_) {
        beginLogLine() << "Warning: Shortcut for ShowOriginalToolButton changed programmatically "
                          "during the hold of its key: the user held the key down while it "
                          "changed, which could affect turning the shortcut back on.";
        endLogLine();
    } else {
        setShortcutEnabled(heldShortcutId_, true);
    }
    releaseKeyboard();
    setDown(false);
    emit released();
    held_ = false;
}
