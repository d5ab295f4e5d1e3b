#include "composition/scene/NewSpeechBubbleCommand.h"

#include "composition/scene/ItemScene.h"
#include "composition/scene/SpeechBubbleItem.h"

void NewSpeechBubbleCommand::execute() {
    if (!theItemScene)
        return;   // nowhere to put it
    auto* bubble = new SpeechBubbleItem;
    bubble->selectAlone();
}
