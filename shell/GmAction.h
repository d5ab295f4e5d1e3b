#pragma once

#include <QAction>
#include <QKeySequence>

/// Sets `shortcut` on `action` and, when it is not empty, appends " (" + its native text + ")"
/// to the action's current tool tip (its text without ampersands when none was set), so that
/// tool buttons name their key. A null action is ignored.
void setActionShortcut(QAction* action, const QKeySequence& shortcut);

/// An action whose tool tip names its shortcut.
class GmAction : public QAction {
    Q_OBJECT
public:
    GmAction(const QIcon& icon, const QString& text, QObject* parent,
             const QKeySequence& shortcut = QKeySequence());

protected:
    /// For subclasses that set a tool tip of their own before the shortcut goes in.
    GmAction(const QIcon& icon, const QString& text, QObject* parent, std::nullptr_t);
};
