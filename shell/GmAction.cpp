#include "shell/GmAction.h"

void setActionShortcut(QAction* action, const QKeySequence& shortcut) {
    if (!action)
        return;
    action->setShortcut(shortcut);
    // Without a key there is nothing to name: a bare " ()" would only puzzle the user.
    if (shortcut.isEmpty())
        return;
    action->setToolTip(action->toolTip() + QStringLiteral(" (") +
                       shortcut.toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

GmAction::GmAction(const QIcon& icon, const QString& text, QObject* parent,
                   const QKeySequence& shortcut)
    : QAction(icon, text, parent) {
    setActionShortcut(this, shortcut);
}

GmAction::GmAction(const QIcon& icon, const QString& text, QObject* parent, std::nullptr_t)
    : QAction(icon, text, parent) {}
