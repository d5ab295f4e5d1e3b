#pragma once

#include <QKeySequence>
#include <QToolButton>

/// A tool button that stays pressed exactly as long as its shortcut key is held: the key's
/// press gives one `pressed()`, its release (or the window losing the keyboard) one
/// `released()`, however long the key repeats in between. Mouse clicks work as usual.
class ShowOriginalToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit ShowOriginalToolButton(QWidget* parent);

protected:
    bool event(QEvent* e) override;

private:
    void endHold();

    bool held_ = false;
    int heldShortcutId_ = 0;
    QKeySequence heldShortcut_;
};
