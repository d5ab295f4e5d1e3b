#pragma once

#include "composition/scene/CommandFactory.h"
#include "composition/scene/CommandMapper.h"

#include <QGridLayout>
#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <QToolButton>

/// A tool button of the property panel that runs one composition command per click through
/// the command mapper. Its shortcut is the button's own, so only the buttons of the page on
/// show respond to it. The button has no Qt parent until the grid places it.
template <typename Command>
class ItemPanelButton : public QToolButton {
public:
    ItemPanelButton(QGridLayout* grid, const QString& iconPath, const QString& text,
                    const QKeySequence& shortcut, int row, int column)
        : QToolButton(nullptr), iconPath_(iconPath), text_(text) {
        setIcon(QIcon(iconPath_));
        setIconSize(QSize(32, 32));
        setText(text_);
        setToolTip(text_);
        if (!shortcut.isEmpty()) {
            setShortcut(shortcut);
            setToolTip(QStringLiteral("%1 (%2)")
                           .arg(toolTip(), 0, QLatin1Char(' '))
                           .arg(shortcut.toString(QKeySequence::PortableText), 0,
                                QLatin1Char(' ')));
        }
        CommandMapper* mapper = CommandMapper::instance();
        mapper->addFactory(this, new CommandFactory<Command>);
        QObject::connect(this, &QToolButton::clicked, mapper, &CommandMapper::map);
        if (grid)
            grid->addWidget(this, row, column, Qt::AlignHCenter);
    }

private:
    QString iconPath_;
    QString text_;
};
