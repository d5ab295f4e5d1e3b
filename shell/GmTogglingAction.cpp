#include "shell/GmTogglingAction.h"

GmTogglingAction::GmTogglingAction(const QIcon& checkedIcon, const QIcon& uncheckedIcon,
                                   const QString& text, QObject* parent,
                                   const QKeySequence& shortcut, const QString& checkedToolTip,
                                   const QString& uncheckedToolTip)
    : GmAction(checkedIcon, text, parent, nullptr),
      checkedIcon_(checkedIcon),
      uncheckedIcon_(uncheckedIcon),
      checkedToolTip_(checkedToolTip),
      uncheckedToolTip_(uncheckedToolTip) {
    setToolTip(checkedToolTip);
    setActionShortcut(this, shortcut);
    synchAppearance(isChecked());
    connect(this, &QAction::toggled, this, &GmTogglingAction::synchAppearance);
}

void GmTogglingAction::synchAppearance(bool checked) {
    setToolTip(checked ? checkedToolTip_ : uncheckedToolTip_);
    setIcon(checked ? checkedIcon_ : uncheckedIcon_);
}
