#include "classification/UndoHistory.h"

#include <algorithm>

namespace classification {

UndoHistory::UndoHistory(int maximumGroups) : maximumGroups_(std::max(1, maximumGroups)) {}

UndoHistory::~UndoHistory() {
    clear();
}

void UndoHistory::clearRedo() {
    redo_.clear();
    redoGroups_ = 0;
}

void UndoHistory::beginGroup() {
    clearRedo();
    steps_.push_back(nullptr);
    ++appended_;
    if (undoGroups_ < maximumGroups_) {
        ++undoGroups_;
        return;
    }
    // Drop the oldest group: its separator and steps, up to the next separator.
    do
        steps_.pop_front();
    while (steps_.front() != nullptr);
}

void UndoHistory::record(std::unique_ptr<IiUndoStep> step) {
    if (undoGroups_ == 0 || redoGroups_ != 0)
        beginGroup();
    steps_.push_back(std::move(step));
    ++appended_;
}

void UndoHistory::undo(IiClassification& classification) {
    if (undoGroups_ == 0)
        return;
    // Room first, so that moving the group below cannot fail halfway.
    const auto separator = std::find(steps_.rbegin(), steps_.rend(), nullptr);
    redo_.reserve(redo_.size() + 1 + static_cast<size_t>(separator - steps_.rbegin()));
    redo_.push_back(nullptr);
    ++redoGroups_;
    while (steps_.back() != nullptr) {
        steps_.back()->undo(classification);
        redo_.push_back(std::move(steps_.back()));
        steps_.pop_back();
    }
    steps_.pop_back();
    --undoGroups_;
}

void UndoHistory::redo(IiClassification& classification) {
    if (redoGroups_ == 0)
        return;
    steps_.push_back(nullptr);
    ++undoGroups_;
    while (redo_.back() != nullptr) {
        steps_.push_back(std::move(redo_.back()));
        redo_.pop_back();
        steps_.back()->redo(classification);
    }
    redo_.pop_back();
    --redoGroups_;
}

void UndoHistory::clear() {
    steps_.clear();
    redo_.clear();
    undoGroups_ = 0;
    redoGroups_ = 0;
}

void UndoHistory::rollBack(const Position& start, IiClassification& classification) {
    while (appended_ > start.appended && !steps_.empty()) {
        if (steps_.back() != nullptr)
            steps_.back()->undo(classification);
        else
            --undoGroups_;
        steps_.pop_back();
        --appended_;
    }
    appended_ = start.appended;
    clearRedo();
}

}  // namespace classification
