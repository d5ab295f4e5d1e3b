#pragma once

#include "composition/scene/CommandFactoryInterface.h"

/// Makes a default-constructed `T` for each trigger.
template <class T>
class CommandFactory : public CommandFactoryInterface {
public:
    Command* create() override { return new T; }
};
