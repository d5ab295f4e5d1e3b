#include "composition/panels/PushBackButton.h"

PushBackButton::PushBackButton(QGridLayout* grid)
    : ItemPanelButton(grid, QStringLiteral(":/images/fun/icons48pix/push_backward.png"),
                      tr("Push Item Backward"), QKeySequence(QStringLiteral("Ctrl+B")), 0, 1) {}
