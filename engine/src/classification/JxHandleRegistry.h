#pragma once

class JxEngine;
class JxSigned;
struct JxImage;
struct JxSession;

/// The process-wide table of live engines, sessions and engine images. Every handle that
/// comes through the flat interface is looked up here before it is dereferenced, so a stale
/// or foreign handle is answered with its code instead of a read of freed memory. Objects
/// enter it from their constructors and leave it from their destructors (through JxEngine).
/// Safe to call from any thread.
class JxHandleRegistry {
public:
    static void addEngine(JxEngine* engine);
    static void removeEngine(const JxEngine* engine);
    /// True when `engine` is a live engine carrying its signature.
    static bool isLiveEngine(const JxEngine* engine);

    static void addSession(const JxSession* handle, const JxSigned* object, JxEngine* engine);
    /// `engineFinished`: the session goes because JxFinish deletes its engine; its handle then
    /// answers JxBadEngine rather than JxBadSession until the address is reused.
    static void removeSession(const JxSession* handle, bool engineFinished);

    enum class SessionState { live, unknown, engineFinished };
    /// The state of a session handle; for a live, signed session also its engine.
    static SessionState findSession(const JxSession* handle, JxEngine** engine);

    static void addImage(const JxImage* handle, const JxSigned* object);
    static void removeImage(const JxImage* handle);
    /// True when `handle` is a live engine image carrying its signature.
    static bool isLiveImage(const JxImage* handle);
};
