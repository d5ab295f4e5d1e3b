#pragma once

#include "composition/scene/CommandFactory.h"

#include <QAction>
#include <QMap>
#include <QObject>

/// Runs one command per trigger: an action or button registered with a factory makes the
/// mapper create, execute and delete one command each time it fires. Built on first use,
/// destroyed at exit; GUI thread only.
class CommandMapper : public QObject {
    Q_OBJECT
public:
    static CommandMapper* instance();
    ~CommandMapper() override;

    /// Runs a new `T` each time `action` is triggered. A second registration of the same
    /// trigger replaces the first, so one trigger still runs one command.
    template <class T>
    void addCommandFactory(QAction* action) {
        if (!action)
            return;
        addFactory(action, new CommandFactory<T>);
        connect(action, &QAction::triggered, this, &CommandMapper::map, Qt::UniqueConnection);
    }
    /// Enters `factory` (taken over) under `trigger`; the trigger connects its own signal to
    /// `map`. A null trigger or factory is refused (the factory is deleted).
    void addFactory(QObject* trigger, CommandFactoryInterface* factory);
    /// How many triggers are registered.
    int factoryCount() const { return factories.size(); }

public slots:
    /// Creates, executes and deletes the sender's command; nothing without a sender or for a
    /// sender that has no factory.
    void map();

private:
    CommandMapper() = default;
    void forget(QObject* trigger);

    QMap<QObject*, CommandFactoryInterface*> factories;
};
