// The undo history of a session through the flat interface.

#include "classification/JxEntryFrame.h"
#include "classification/JxInSession.h"

namespace {

constexpr JxEntrySpec valueEntry{"", JxFailurePolicy::valueOnly};

classification::IiClassification& classificationOf(JxSession* session) {
    return JxInSession::fromHandle(session)->classification();
}

/// Undo and Redo: one group, then the changed rectangle. Not cancellable: a group is applied
/// whole or, when memory runs out, the engine is failed.
template <typename Step>
int runUndoRedo(JxSession* session, const char* label, JxProgressCallback progress, Step step) {
    return JxEntryFrame::run(session, {label, JxFailurePolicy::undoRedo, progress, false},
                             [&](JxEngine&, JxInProgress&) {
                                 classification::IiClassification& c = classificationOf(session);
                                 step(c.undoHistory, c);
                                 c.resetWorkingBox();
                                 JxInSession::fromHandle(session)->publishChangedBox();
                                 return static_cast<int>(JxOk);
                             });
}

template <typename Count>
int writeCount(JxSession* session, std::uint32_t* count, Count countOf) {
    return JxEntryFrame::run(session, valueEntry, [&](JxEngine&, JxInProgress&) {
        if (!count)
            return static_cast<int>(JxRefused);
        *count = static_cast<std::uint32_t>(countOf(classificationOf(session).undoHistory));
        return static_cast<int>(JxOk);
    });
}

}  // namespace

int JxBeginUndoGroup(JxSession* session) noexcept {
    return JxEntryFrame::run(session, valueEntry, [&](JxEngine&, JxInProgress&) {
        classificationOf(session).undoHistory.beginGroup();
        return static_cast<int>(JxOk);
    });
}

int JxUndo(JxSession* session, JxProgressCallback progress) noexcept {
    return runUndoRedo(session, "Undo", progress,
                       [](classification::UndoHistory& h, classification::IiClassification& c) { h.undo(c); });
}

int JxRedo(JxSession* session, JxProgressCallback progress) noexcept {
    return runUndoRedo(session, "Redo", progress,
                       [](classification::UndoHistory& h, classification::IiClassification& c) { h.redo(c); });
}

int JxNumAvailableUndos(JxSession* session, std::uint32_t* count) noexcept {
    return writeCount(session, count, [](const classification::UndoHistory& h) { return h.undoGroupCount(); });
}

int JxNumAvailableRedos(JxSession* session, std::uint32_t* count) noexcept {
    return writeCount(session, count, [](const classification::UndoHistory& h) { return h.redoGroupCount(); });
}

int JxClearUndoRedo(JxSession* session) noexcept {
    return JxEntryFrame::run(session, valueEntry, [&](JxEngine&, JxInProgress&) {
        classificationOf(session).undoHistory.clear();
        return static_cast<int>(JxOk);
    });
}
