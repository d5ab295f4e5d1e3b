#pragma once

#include "composition/scene/ImageItem.h"

class SavedCutoutState;

/// A placed cut-out or picture. It owns the masking session it came from, so that the user can
/// reopen it in the masking view and have its picture replaced when the cut-out is finished
/// again.
class CutoutItem : public ImageItem {
public:
    /// A new item showing `pixmap` and owning `state` (may be null), which it points back
    /// at itself.
    CutoutItem(QGraphicsScene* scene, const QPixmap& pixmap, SavedCutoutState* state);
    /// A copy with a saved state of its own (its own temporary file).
    explicit CutoutItem(const CutoutItem& other);
    ~CutoutItem() override;

    FrolixItem* clone() override;
    /// Reopens the cut-out in the masking view. On failure the views stay as they were, the
    /// cut-out being edited is forgotten and the reason goes out through
    /// `FrolixObject::problemFound`.
    void edit() override;
    void replacePixmap(const QPixmap& pixmap, SavedCutoutState* state) override;

    SavedCutoutState* savedState() const { return savedState_; }

protected:
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    SavedCutoutState* savedState_ = nullptr;
};
