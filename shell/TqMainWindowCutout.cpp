// The hand-off between the two halves: Finish places the masking side's cut-out on the
// composition (through CutoutPlacement), Cancel leaves it, and images and texts dropped or
// asked for come in here.
#include "shell/TqMainWindow.h"

#include "composition/scene/CommandMapper.h"
#include "composition/scene/NewTextFieldCommand.h"
#include "shell/CutoutPlacement.h"
#include "shell/FileHandler.h"
#include "masking/GmModel.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"
#include "common/FileNameDialog.h"
#include "common/LogStream.h"
#include "workspace/GmTool.h"

bool TqMainWindow::onCutoutTab() const { return currentViewTab() == ImageView::MaskingTab; }

bool TqMainWindow::isPlacementPending() const { return placement_ && placement_->isPending(); }

void TqMainWindow::createCutoutItemDone() { placement_->place({}); }

void TqMainWindow::createCutoutItemCancelled() {
    maybeSaveCutout(tr("Closing cut-out", "[all]"), [this] { closeCutout(); });
}

void TqMainWindow::closeCutout() {
    editedCutoutState = nullptr;
    if (GmModel* model = GmModel::existing())
        model->closeImage();
    if (imageView_)
        imageView_->ensureViewTab(ImageView::CompositionTab, ImageView::CompositionTab);
}

void TqMainWindow::receivedImageSlot(NamedImage image) {
    beginLogLine() << "TqMainWindow: received image " << image.url().toString() << " ("
                   << image.width() << " x " << image.height() << ")";
    endLogLine();
    maybeSaveCutout(tr("Closing cut-out", "[all]"), [this, image] {
        auto* source = new TqSourceImage(image);
        if (!source->valid() || !fileHandler_ || !fileHandler_->openSourceImage(source, nullptr))
            delete source;
        if (noTool_ && theCurrentTool != noTool_) {
            if (!noTool_->isUsable())
                selectDefaultTool();
            else
                noTool_->action()->trigger();
        }
    });
}

void TqMainWindow::receivedTextSlot(QString text, QPointF position) {
    beginLogLine() << "TqMainWindow: received text at (" << position.x() << ", " << position.y()
                   << "): " << text;
    endLogLine();
    CommandMapper::instance();
    NewTextFieldCommand command(text, position);
    command.execute();
}

void TqMainWindow::loadImage(const QString& fileName) {
    if (!fileHandler_)
        return;
    const QString name = fileName.isEmpty() ? FileNameDialog::askImageFilename(this) : fileName;
    if (!name.isEmpty())
        fileHandler_->loadImage(name);
}

void TqMainWindow::loadImage() { loadImage(QString()); }
