#include "composition/scene/FinalImagePreviewDialog.h"

#include "composition/scene/FinalImageAssembler.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
QRect rememberedGeometry(0, 0, -1, -1);   // invalid until the first preview closes
}

FinalImagePreviewDialog::FinalImagePreviewDialog() : QDialog(nullptr) {
    setWindowTitle(tr("Preview", "Title of Preview Window"));
    setMinimumSize(200, 200);
    imageLabel_ = new QLabel(this);
    auto* scrollArea = new QScrollArea(this);
    auto* closeButton = new QPushButton(tr("Close"), this);

    FinalImageAssembler assembler;
    assembler.calculateFinalImage();
    imageLabel_->setPixmap(assembler.finalPixmap());

    scrollArea->setWidget(imageLabel_);
    scrollArea->setAlignment(Qt::AlignCenter);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttonLayout = new QHBoxLayout;
    buttonLayout->addWidget(closeButton, 0, Qt::AlignHCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea);
    layout->addLayout(buttonLayout);
}

void FinalImagePreviewDialog::showEvent(QShowEvent* event) {
    if (rememberedGeometry.isValid())
        setGeometry(rememberedGeometry);
    event->accept();
}

void FinalImagePreviewDialog::hideEvent(QHideEvent* event) {
    rememberedGeometry = geometry();
    event->accept();
}
