#include "composition/scene/CreateCutoutItemCommand.h"

#include "composition/scene/ImageItem.h"
#include "composition/scene/ItemController.h"
#include "masking/SavedCutoutState.h"

CreateCutoutItemCommand::CreateCutoutItemCommand(const QPixmap& pixmap, SavedCutoutState* state)
    : pixmap(pixmap), state(state) {}

void CreateCutoutItemCommand::execute() {
    if (pixmap.isNull())
        return;
    auto* owner = state ? dynamic_cast<ImageItem*>(static_cast<FrolixItem*>(state->item))
                        : nullptr;
    if (!owner) {
        ItemController::instance()->addCutoutItem(pixmap, state);
        return;
    }
    owner->replacePixmap(pixmap, state);
    // Changed while in the trash, the user would see nothing happen.
    if (trashedItems.contains(owner))
        owner->restore();
}
