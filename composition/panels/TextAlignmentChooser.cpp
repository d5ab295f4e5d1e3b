#include "composition/panels/TextAlignmentChooser.h"

#include "composition/panels/ChooserButtons.h"

namespace {

const QList<QPair<int, QString>>& alignmentRows() {
    static const QList<QPair<int, QString>> rows = {
        {int(Qt::AlignLeft), QStringLiteral(":/images/fun/icons48pix/alignment_left.png")},
        {int(Qt::AlignRight), QStringLiteral(":/images/fun/icons48pix/alignment_right.png")},
        {int(Qt::AlignHCenter), QStringLiteral(":/images/fun/icons48pix/alignment_centre.png")},
        {int(Qt::AlignJustify), QStringLiteral(":/images/fun/icons48pix/alignment_justify.png")},
    };
    return rows;
}

bool isAlignmentRow(int id) {
    for (const auto& row : alignmentRows())
        if (row.first == id)
            return true;
    return false;
}

}  // namespace

TextAlignmentChooser::TextAlignmentChooser(QObject* groupOwner)
    : PanelWidget(QString(), new QButtonGroup(groupOwner)) {
    buttons_ = addIconButtons(widget(), alignmentRows());
}

void TextAlignmentChooser::applyToItem(TextFieldItem* item) {
    const int id = widgetValue();
    if (isAlignmentRow(id))
        item->setAlignment(Qt::Alignment(id));
}

void TextAlignmentChooser::readFromItem(TextFieldItem* item) {
    const int id = int(item->alignment());
    if (isAlignmentRow(id))
        setWidgetValue(id);
}
