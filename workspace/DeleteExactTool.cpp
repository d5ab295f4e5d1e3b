#include "workspace/DeleteExactTool.h"

#include "common/PersistOptions.h"

#include <QAction>
#include <QCoreApplication>

DeleteExactTool::DeleteExactTool(QActionGroup* group, QWidget* menu, QWidget*,
                                 ToolOptions* optionsArea)
    : SelectTool(4, 0, QStringLiteral("Erase"), tr("Erase", "[zol]"),
                 QIcon(QStringLiteral(":/images/fun/icons48pix/delete_pixels.png")),
                 tr("E", "[zol]"), QString(), group, menu, nullptr, optionsArea) {
    setBrushTexts(QCoreApplication::translate(
        "DeleteExactTool",
        "Manually paint away unwanted parts of the image",
        "[zol]Tool tip for brush"));
    setOptionsWidget(brushOptionsPanel(), false);
}

QColor DeleteExactTool::cursorColour() const {
    return optionColour(PersistOptions::DeleteMask, Qt::red);
}
