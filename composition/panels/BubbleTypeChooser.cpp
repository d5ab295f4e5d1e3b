#include "composition/panels/BubbleTypeChooser.h"

#include "composition/panels/ChooserButtons.h"

namespace {

struct BubbleType {
    int id;
    const char* icon;
    int bodyShape;
    int tailShape;
};

constexpr BubbleType bubbleTypes[] = {
    {0, ":/images/fun/icons48pix/speech_bubble.png", 0, 0},
    {1, ":/images/fun/icons48pix/elliptical_speech_bubble.png", 1, 0},
    {2, ":/images/fun/icons48pix/thought_bubble.png", 1, 1},
};

const BubbleType* typeWithId(int id) {
    for (const BubbleType& type : bubbleTypes)
        if (type.id == id)
            return &type;
    return nullptr;
}

}  // namespace

BubbleTypeChooser::BubbleTypeChooser(QObject* groupOwner)
    : PanelWidget(QString(), new QButtonGroup(groupOwner)) {
    QList<QPair<int, QString>> rows;
    for (const BubbleType& type : bubbleTypes)
        rows.append({type.id, QString::fromLatin1(type.icon)});
    buttons_ = addIconButtons(widget(), rows);
}

void BubbleTypeChooser::applyToItem(SpeechBubbleItem* item) {
    const BubbleType* type = typeWithId(widgetValue());
    if (!type)
        return;   // nothing checked
    lastBubbleBodyShape = type->bodyShape;
    lastBubbleTailShape = type->tailShape;
    item->setShapes(type->bodyShape, type->tailShape);
}

void BubbleTypeChooser::readFromItem(SpeechBubbleItem* item) {
    for (const BubbleType& type : bubbleTypes)
        if (type.bodyShape == item->bodyShape() && type.tailShape == item->tailShape()) {
            setWidgetValue(type.id);
            return;
        }
}
