#pragma once

#include "composition/panels/ItemPanel.h"

class DeleteButton;

/// The page shown while nothing is selected: only the delete button, in its usual place and
/// only while the trash holds items, so that its right-click menu can restore them.
class NoItemPanel : public ItemPanel {
    Q_OBJECT
public:
    explicit NoItemPanel(QWidget* parent = nullptr);

    DeleteButton* deleteButton() const { return deleteButton_; }

public slots:
    void dustbinSizeChanged(unsigned int size);

private:
    DeleteButton* deleteButton_;
};
