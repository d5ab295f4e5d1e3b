#pragma once

#include "classification/JxEngine.h"
#include "classification/JxInProgress.h"
#include "classification/JxInterface.h"

#include <new>

/// How an entry turns an exception of its work into a result code.
enum class JxFailurePolicy {
    command,        // JxExCancel 2; bad_alloc 3, engine usable; anything else 4, engine failed
    undoRedo,       // JxExCancel 2; bad_alloc 8 and anything else 4, engine failed
    valueOnly,      // any exception 4, engine failed (entries that only look up or store)
    sessionBuild,   // JxExCancel 2, engine usable; bad_alloc 3 or else 4, engine failed
    imageBuild,     // JxExCancel 2, bad_alloc 3, anything else 4; the engine is never failed
};

/// What an entry's frame needs to know besides its handles.
struct JxEntrySpec {
    const char* label;                     // the reporter's label, e.g. "Select"
    JxFailurePolicy policy;
    JxProgressCallback callback = nullptr; // null: the entry's reporter delivers nothing
    bool cancellable = false;
};

/// Removes the process's new-handler for the lifetime of the guard, so that memory exhaustion
/// inside the engine arrives as std::bad_alloc, and puts it back on every way out. Engine
/// entries only: they all run on the one engine command thread.
class JxNewHandlerGuard {
public:
    JxNewHandlerGuard() : saved_(std::set_new_handler(nullptr)) {}
    ~JxNewHandlerGuard() { std::set_new_handler(saved_); }
    JxNewHandlerGuard(const JxNewHandlerGuard&) = delete;
    JxNewHandlerGuard& operator=(const JxNewHandlerGuard&) = delete;

private:
    std::new_handler saved_;
};

/// The common frame of every flat-interface entry: the new-handler guard, the handle checks
/// (image before session), a reporter on the stack for the work, and the mapping of exceptions
/// to codes with the failed-engine latch. An entry is a few lines:
///
///     int JxSelect(JxSession* session, JxImage* statusImage, ..., JxProgressCallback progress) noexcept {
///         return JxEntryFrame::runWithImage(session, statusImage,
///             {"Select", JxFailurePolicy::command, progress, true},
///             [&](JxEngine& engine, JxInProgress& reporter) { ...; return JxOk; });
///     }
///
/// The work runs only after every check has passed, so it may static_cast the session and
/// image handles to their engine classes.
namespace JxEntryFrame {

/// JxBadEngine for a null, finished or foreign engine; JxEngineFailed for a failed one; else 0.
int engineCode(const JxEngine* engine);

/// JxBadSession for a null, ended or foreign session; JxBadEngine when its engine was
/// finished; JxEngineFailed when its engine is failed; else 0 with `*engine` set.
int sessionCode(const JxSession* session, JxEngine** engine);

/// JxBadImage unless `image` is a live engine image; else 0.
int imageCode(const JxImage* image);

/// The image code when it is not 0, else the session code; JxBadImage for an image of
/// another engine than the session's.
int imageAndSessionCode(const JxImage* image, const JxSession* session, JxEngine** engine);

/// The code of the exception being handled; marks the engine failed where the policy says.
/// Call only inside a catch block.
int exceptionCode(JxEngine& engine, JxFailurePolicy policy) noexcept;

/// Runs `work(JxInProgress&)`, which returns a code, and maps its exceptions.
template <typename Work>
int runWork(JxEngine& engine, const JxEntrySpec& entry, Work&& work) noexcept {
    try {
        JxInProgress reporter(entry.callback, 0, entry.label, entry.cancellable);
        return work(reporter);
    } catch (...) {
        return exceptionCode(engine, entry.policy);
    }
}

/// An entry on a session: `work(JxEngine&, JxInProgress&)` returns a code.
template <typename Work>
int run(JxSession* session, const JxEntrySpec& entry, Work&& work) noexcept {
    JxNewHandlerGuard guard;
    JxEngine* engine = nullptr;
    if (int code = sessionCode(session, &engine))
        return code;
    return runWork(*engine, entry, [&](JxInProgress& reporter) { return work(*engine, reporter); });
}

/// An entry on a session and an engine image; the image is checked first.
template <typename Work>
int runWithImage(JxSession* session, JxImage* image, const JxEntrySpec& entry,
                 Work&& work) noexcept {
    JxNewHandlerGuard guard;
    JxEngine* engine = nullptr;
    if (int code = imageAndSessionCode(image, session, &engine))
        return code;
    return runWork(*engine, entry, [&](JxInProgress& reporter) { return work(*engine, reporter); });
}

/// Runs `work(JxEngine&, JxInProgress&)`, which returns a new handle; null when it throws.
template <typename Handle, typename Work>
Handle* runMaking(JxEngine& engine, const JxEntrySpec& entry, Work& work) noexcept {
    Handle* made = nullptr;
    runWork(engine, entry, [&](JxInProgress& reporter) {
        made = work(engine, reporter);
        return JxOk;
    });
    return made;
}

/// An entry on an engine that returns a new handle: null unless the engine is usable, and null
/// when the work throws. `work(JxEngine&, JxInProgress&)` returns the handle.
template <typename Handle, typename Work>
Handle* makeOnEngine(JxEngine* engine, const JxEntrySpec& entry, Work&& work) noexcept {
    JxNewHandlerGuard guard;
    if (engineCode(engine) != 0)
        return nullptr;
    return runMaking<Handle>(*engine, entry, work);
}

/// An entry on a session that returns a new handle (sub-sessions), like makeOnEngine.
template <typename Handle, typename Work>
Handle* makeOnSession(JxSession* session, const JxEntrySpec& entry, Work&& work) noexcept {
    JxNewHandlerGuard guard;
    JxEngine* engine = nullptr;
    if (sessionCode(session, &engine) != 0)
        return nullptr;
    return runMaking<Handle>(*engine, entry, work);
}

}  // namespace JxEntryFrame
