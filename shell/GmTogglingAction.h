#pragma once

#include "shell/GmAction.h"

#include <QIcon>
#include <QString>

/// A checkable-to-be action that shows one icon and tool tip while checked and another while
/// unchecked. The two tool tips are used as given: they name the shortcut themselves.
class GmTogglingAction : public GmAction {
    Q_OBJECT
public:
    GmTogglingAction(const QIcon& checkedIcon, const QIcon& uncheckedIcon, const QString& text,
                     QObject* parent, const QKeySequence& shortcut,
                     const QString& checkedToolTip, const QString& uncheckedToolTip);

public slots:
    void synchAppearance(bool checked);

private:
    QIcon checkedIcon_;
    QIcon uncheckedIcon_;
    QString checkedToolTip_;
    QString uncheckedToolTip_;
};
