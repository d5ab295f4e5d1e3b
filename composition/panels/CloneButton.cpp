#include "composition/panels/CloneButton.h"

CloneButton::CloneButton(QGridLayout* grid)
    : ItemPanelButton(grid, QStringLiteral(":/images/fun/icons48pix/clone.png"),
                      tr("Clone Item"), QKeySequence(QStringLiteral("Ctrl+X")), 0, 3) {}
