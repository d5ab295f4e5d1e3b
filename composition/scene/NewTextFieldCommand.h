#pragma once

#include "composition/scene/Command.h"

#include <QPointF>
#include <QString>

/// Adds a text field, selected and ready for typing. Made empty by "Add Text" (the default
/// text, in the visible part of the view) or with the text and scene position of a drop.
class NewTextFieldCommand : public Command {
public:
    NewTextFieldCommand() = default;
    NewTextFieldCommand(const QString& text, const QPointF& position);
    void execute() override;

private:
    QString text;
    QPointF position;
};
