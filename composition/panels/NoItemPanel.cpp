#include "composition/panels/NoItemPanel.h"

#include "composition/panels/DeleteButton.h"
#include "composition/scene/DustbinSignaller.h"

#include <QGridLayout>
#include <QVBoxLayout>

NoItemPanel::NoItemPanel(QWidget* parent) : ItemPanel(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    for (int column = 0; column < 4; ++column)
        grid->setColumnStretch(column, 1);
    layout->addLayout(grid);
    deleteButton_ = new DeleteButton(grid);
    layout->addStretch();
    connect(theDustbinSignaller, &DustbinSignaller::sizeChanged, this,
            &NoItemPanel::dustbinSizeChanged);
    deleteButton_->hide();
}

void NoItemPanel::dustbinSizeChanged(unsigned int size) { deleteButton_->setVisible(size != 0); }
