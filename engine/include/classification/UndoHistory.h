#pragma once

#include "classification/IiUndoStep.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace classification {

/// The reversible status changes of a classification object, in groups so that one user command
/// is undone or redone as a whole. At most `maximumGroups` groups are kept: opening one more
/// drops the oldest with its steps.
class UndoHistory {
public:
    /// Where the history stood when a command began, for rolling back only that command.
    struct Position {
        std::uint64_t appended = 0;
    };

    explicit UndoHistory(int maximumGroups);
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;
    ~UndoHistory();

    /// Empties the redo list and opens a new group; at the maximum the oldest group goes.
    void beginGroup();
    void clearRedo();

    /// Appends a step to the open group. A step after an undo, or into a history without a group,
    /// first opens a group of its own, which discards what could be redone.
    void record(std::unique_ptr<IiUndoStep> step);

    /// Undoes the last group, last step first, and moves it to the redo list. Nothing without a group.
    void undo(IiClassification& classification);
    /// Redoes the last undone group in the order of recording. Nothing without a redo group.
    void redo(IiClassification& classification);

    /// Destroys every step, undoable and redoable, without applying any.
    void clear();

    Position position() const { return Position{appended_}; }

    /// Takes back everything recorded since `start`, last first, and drops the groups opened
    /// since then; steps and groups from before `start` stay as they were. Empties the redo list.
    void rollBack(const Position& start, IiClassification& classification);

    int undoGroupCount() const { return undoGroups_; }
    int redoGroupCount() const { return redoGroups_; }
    int maximumGroupCount() const { return maximumGroups_; }

private:
    int undoGroups_ = 0;
    int redoGroups_ = 0;
    int maximumGroups_;
    // Each group is a null separator followed by its steps in the order of recording.
    std::deque<std::unique_ptr<IiUndoStep>> steps_;
    // Undone groups: a null separator followed by the group's steps, last recorded first.
    std::vector<std::unique_ptr<IiUndoStep>> redo_;
    // Entries ever appended to the back of steps_ by recording; dropping the oldest group at the
    // front does not change it, so a command's own entries are those past its start value.
    std::uint64_t appended_ = 0;
};

}  // namespace classification
