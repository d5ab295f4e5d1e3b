#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QButtonGroup;
class QToolButton;

/// Makes one checkable 32 x 32 icon button per (id, icon path) row, in order, and adds each to
/// `group` under its id. The buttons have no text, no tool tip and no parent until they are
/// laid out; none is checked.
QList<QToolButton*> addIconButtons(QButtonGroup* group, const QList<QPair<int, QString>>& rows);
