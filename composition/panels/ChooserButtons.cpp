#include "composition/panels/ChooserButtons.h"

#include <QButtonGroup>
#include <QIcon>
#include <QToolButton>

QList<QToolButton*> addIconButtons(QButtonGroup* group, const QList<QPair<int, QString>>& rows) {
    QList<QToolButton*> buttons;
    for (const auto& row : rows) {
        auto* button = new QToolButton;
        button->setIcon(QIcon(row.second));
        button->setIconSize(QSize(32, 32));
        button->setCheckable(true);
        group->addButton(button, row.first);
        buttons.append(button);
    }
    return buttons;
}
