#pragma once

/// A one-shot edit of the composition, run synchronously on the GUI thread: created, executed
/// once and deleted by whoever created it. There is no undo.
class Command {
public:
    virtual ~Command() = default;
    virtual void execute() = 0;
};
