#pragma once

class Command;

/// Makes a new command for each trigger; the caller owns what `create` returns.
class CommandFactoryInterface {
public:
    virtual ~CommandFactoryInterface() = default;
    virtual Command* create() = 0;
};
