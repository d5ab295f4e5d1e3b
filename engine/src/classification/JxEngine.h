#pragma once

#include "classification/JxHandleRegistry.h"
#include "classification/JxInterface.h"
#include "classification/JxSigned.h"

#include <vector>

/// The engine behind an engine handle: one per opened image. It keeps its live sessions and
/// engine images, and whether it has failed. The engine handle is the object's address.
///
/// Sessions and images register themselves from their constructors and leave from their
/// destructors; registration also enters them in the process-wide table of live handles.
/// Sub-sessions are built (and so registered) after their parents, so deleting in reverse
/// order of registration ends every sub-session before its parent.
class JxEngine : public JxSigned {
public:
    JxEngine();
    ~JxEngine() override;

    JxEngine(const JxEngine&) = delete;
    JxEngine& operator=(const JxEngine&) = delete;

    /// Set the first time an entry catches an unexpected exception; never cleared. A failed
    /// engine refuses every command and is never deleted.
    bool failed() const { return failed_; }
    void markFailed() { failed_ = true; }
    bool usable() const { return isSigned() && !failed_; }

    /// For session constructors (as their last step, once the session is whole) and
    /// destructors. `handle` is the session's public record and `object` the same session seen
    /// as JxSigned; JxFinish deletes it through `object`. When adding throws (memory), nothing
    /// stays registered.
    void addSession(JxSession* handle, JxSigned* object);
    void removeSession(JxSession* handle);
    template <typename Session>
    void addSession(Session* session) {
        addSession(static_cast<JxSession*>(session), static_cast<JxSigned*>(session));
    }

    /// For engine images, the same way.
    void addImage(JxImage* handle, JxSigned* object);
    void removeImage(JxImage* handle);

    /// JxFinish: deletes every live session, newest first, then every live image. Handles of
    /// the deleted sessions answer JxBadEngine from then on.
    void deleteMembers();

    std::size_t sessionCount() const { return sessions_.size(); }
    std::size_t imageCount() const { return images_.size(); }

private:
    template <typename Handle>
    struct Member {
        Handle* handle;
        JxSigned* object;
    };

    std::vector<Member<JxSession>> sessions_;   // in order of registration
    std::vector<Member<JxImage>> images_;
    bool failed_ = false;
    bool finishing_ = false;
};
