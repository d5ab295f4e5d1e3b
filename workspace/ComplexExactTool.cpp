#include "workspace/ComplexExactTool.h"

#include "common/PersistOptions.h"

#include <QAction>
#include <QCoreApplication>

ComplexExactTool::ComplexExactTool(QActionGroup* group, QWidget* menu, QWidget*,
                                   ToolOptions* optionsArea)
    : SelectTool(8, 0, QStringLiteral("Blend"), tr("Touch-Up", "[zol]"),
                 QIcon(QStringLiteral(":/images/fun/icons48pix/blend.png")),
                 tr("T", "[zol]"), QString(), group, menu, nullptr, optionsArea) {
    setBrushTexts(QCoreApplication::translate(
        "ComplexExactTool",
        "Paint parts of the image to automatically choose what to erase or "
        "restore",
        "[zol]Tool tip for brush"));
    setOptionsWidget(brushOptionsPanel(), false);
}

QColor ComplexExactTool::cursorColour() const {
    return optionColour(PersistOptions::BlendMask, Qt::blue);
}
