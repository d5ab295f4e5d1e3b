#include "composition/scene/CommandMapper.h"

#include "composition/scene/Command.h"

#include <memory>

CommandMapper* CommandMapper::instance() {
    static CommandMapper mapper;
    return &mapper;
}

CommandMapper::~CommandMapper() { qDeleteAll(factories); }

void CommandMapper::addFactory(QObject* trigger, CommandFactoryInterface* factory) {
    if (!trigger || !factory) {
        delete factory;
        return;
    }
    delete factories.value(trigger);
    factories.insert(trigger, factory);
    // A trigger that goes must not leave its address behind for a new object to inherit.
    connect(trigger, &QObject::destroyed, this, [this, trigger] { forget(trigger); },
            Qt::DirectConnection);
}

void CommandMapper::forget(QObject* trigger) { delete factories.take(trigger); }

void CommandMapper::map() {
    CommandFactoryInterface* factory = factories.value(sender());
    if (!factory)
        return;
    const std::unique_ptr<Command> command(factory->create());
    if (command)
        command->execute();
}
