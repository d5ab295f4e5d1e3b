#include "workspace/EraseExactTool.h"

#include <QAction>
#include <QCoreApplication>

EraseExactTool::EraseExactTool(QActionGroup* group, QWidget* menu, QWidget*,
                               ToolOptions* optionsArea)
    : SelectTool(2, 0, QStringLiteral("Restore"), tr("Restore", "[zol]"),
                 QIcon(QStringLiteral(":/images/fun/icons48pix/restore.png")),
                 tr("R", "[zol]"), QString(), group, menu, nullptr, optionsArea) {
    QAction* toolAction = action();
    const QString text =
        tr("<b>Restore</b>&mdash;Manually paint back parts of the image previously painted "
           "away (",
           "[zol]") +
        toolAction->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')');
    toolAction->setToolTip(text);
    setWhatsThisText(text);
    setOptionsWidget(brushOptionsPanel(), false);
}

QColor EraseExactTool::cursorColour() const {
    return QColor(Qt::gray);
}
