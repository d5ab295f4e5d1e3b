#include "composition/panels/DeleteButton.h"

#include "composition/scene/FrolixItem.h"

#include <QContextMenuEvent>

DeleteButton::DeleteButton(QGridLayout* grid)
    : ItemPanelButton(grid, QStringLiteral(":/images/fun/icons48pix/delete.png"),
                      tr("Delete Item. Right-click to Restore Deleted Items"),
                      QKeySequence(QKeySequence::Delete), 0, 2) {}

void DeleteButton::contextMenuEvent(QContextMenuEvent* event) {
    showDustbinMenu(event->globalPos());
}
