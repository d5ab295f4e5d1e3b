#pragma once

#include "composition/panels/PanelWidget.h"
#include "composition/scene/TextFieldItem.h"

#include <QButtonGroup>
#include <QList>

class QToolButton;

/// Left, right, centred and justified text; the button id is the Qt alignment flag.
class TextAlignmentChooser : public PanelWidget<int, TextFieldItem, QButtonGroup> {
public:
    /// The button group belongs to `groupOwner` (the group box).
    explicit TextAlignmentChooser(QObject* groupOwner);

    QList<QToolButton*> buttons() const { return buttons_; }

    void applyToItem(TextFieldItem* item) override;
    /// Only an alignment that is exactly one of the four checks a button.
    void readFromItem(TextFieldItem* item) override;

private:
    QList<QToolButton*> buttons_;
};
