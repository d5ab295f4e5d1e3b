#include "composition/panels/EditCutoutButton.h"

EditCutoutButton::EditCutoutButton(QGridLayout* grid)
    : ItemPanelButton(grid, QStringLiteral(":/fun/icon_scissors_orange_48.png"),
                      tr("Edit Cut-Out"), QKeySequence(QStringLiteral("Ctrl+E")), 0, 0) {}
