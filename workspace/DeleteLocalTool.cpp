#include "workspace/DeleteLocalTool.h"

#include "common/PersistOptions.h"

#include <QAction>
#include <QCoreApplication>

DeleteLocalTool::DeleteLocalTool(QActionGroup* group, QWidget* menu, QWidget*,
                                 ToolOptions* optionsArea)
    : SelectTool(4, 1, QStringLiteral("Flood Erase"), tr("Flood Erase", "[zol]"),
                 QIcon(QStringLiteral(":/images/fun/icons48pix/delete_region.png")),
                 tr("F", "[zol]"), QString(), group, menu, nullptr, optionsArea) {
    setBrushTexts(QCoreApplication::translate(
        "DeleteLocalTool",
        "Paint away unwanted areas outlined in blue",
        "[zol]Tool tip for brush"));
    setOptionsWidget(brushOptionsPanel(), false);
}

QColor DeleteLocalTool::cursorColour() const {
    return optionColour(PersistOptions::DeleteMask, Qt::red);
}
