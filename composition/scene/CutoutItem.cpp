#include "composition/scene/CutoutItem.h"

#include "composition/scene/FrolixObject.h"
#include "masking/SavedCutoutState.h"
#include "workspace/GmTool.h"
#include "workspace/ImageView.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsSceneContextMenuEvent>

CutoutItem::CutoutItem(QGraphicsScene* scene, const QPixmap& pixmap, SavedCutoutState* state)
    : ImageItem(scene, pixmap), savedState_(state) {
    if (savedState_)
        savedState_->item = static_cast<FrolixItem*>(this);
}

CutoutItem::CutoutItem(const CutoutItem& other) : ImageItem(other) {
    if (other.savedState_) {
        savedState_ = new SavedCutoutState(*other.savedState_);
        savedState_->item = static_cast<FrolixItem*>(this);
    }
}

CutoutItem::~CutoutItem() { delete savedState_; }

FrolixItem* CutoutItem::clone() { return new CutoutItem(*this); }

void CutoutItem::edit() {
    if (!savedState_)
        return;
    editedCutoutState = savedState_;
    QString refusal;
    if (savedState_->restore(&refusal)) {
        if (ImageView* tabs = GmTool::imageView())
            tabs->ensureViewTab(ImageView::MaskingTab, ImageView::MaskingTab);
        return;
    }
    // Left set, the next finished cut-out would replace this item's picture instead of
    // becoming an item of its own.
    editedCutoutState = nullptr;
    const QString picture = QFileInfo(savedState_->pictureName()).fileName();
    QString text = picture.isEmpty()
                       ? QCoreApplication::translate("CutoutItem",
                                                     "The cut-out cannot be opened again.")
                       : QCoreApplication::translate("CutoutItem",
                                                     "The cut-out of %1 cannot be opened again.")
                             .arg(picture);
    if (!refusal.isEmpty())
        text += QLatin1Char('\n') + refusal;
    emit FrolixObject::instance()->problemFound(text);
}

void CutoutItem::replacePixmap(const QPixmap& pixmap, SavedCutoutState*) {
    sourcePixmap = pixmap;
    computeGreyPixmap();
    refreshPixmap();
    updateHandles();
}

void CutoutItem::mouseDoubleClickEvent(QGraphicsSceneMouseEvent*) { edit(); }

void CutoutItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event) {
    showContextMenu(event, {{QT_TRANSLATE_NOOP("QObject", "Edit Cut-Out"), "[zol]",
                             &FrolixItem::edit,
                             QStringLiteral(":/images/fun/icons48pix/cutout.png")}});
}
