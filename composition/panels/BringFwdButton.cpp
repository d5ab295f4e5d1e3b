#include "composition/panels/BringFwdButton.h"

BringFwdButton::BringFwdButton(QGridLayout* grid)
    : ItemPanelButton(grid, QStringLiteral(":/images/fun/icons48pix/bring_forward.png"),
                      tr("Bring Item Forward"), QKeySequence(QStringLiteral("Ctrl+F")), 0, 0) {}
