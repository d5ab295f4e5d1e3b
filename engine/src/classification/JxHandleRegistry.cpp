#include "classification/JxHandleRegistry.h"

#include "classification/JxEngine.h"
#include "classification/JxSigned.h"

#include <cstddef>
#include <deque>
#include <map>
#include <mutex>

namespace {

enum class Kind { engine, session, image, finishedSession };

struct Entry {
    Kind kind;
    const JxSigned* object;
    JxEngine* engine;   // sessions: the engine they belong to
};

// Handles of sessions deleted by JxFinish are remembered, so that a caller still holding one
// hears that the engine is gone. Bounded: an engine per opened image leaves a handful each.
constexpr std::size_t maxFinishedSessions = 1024;

struct Table {
    std::mutex lock;
    std::map<const void*, Entry> entries;
    std::deque<const void*> finishedSessions;   // oldest first
};

// Never destroyed: engines left failed (JxFinish keeps them) stay reachable through it, and
// entries may still run while static objects are torn down at exit.
Table& table() {
    static Table* theTable = new Table;
    return *theTable;
}

void add(const void* address, const Entry& entry) {
    Table& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    t.entries[address] = entry;
}

void remove(const void* address, Kind kind) {
    Table& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto found = t.entries.find(address);
    if (found != t.entries.end() && found->second.kind == kind)
        t.entries.erase(found);
}

bool isLive(const void* address, Kind kind) {
    if (!address)
        return false;
    Table& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto found = t.entries.find(address);
    return found != t.entries.end() && found->second.kind == kind &&
           found->second.object->isSigned();
}

}  // namespace

void JxHandleRegistry::addEngine(JxEngine* engine) {
    add(engine, Entry{Kind::engine, engine, engine});
}

void JxHandleRegistry::removeEngine(const JxEngine* engine) { remove(engine, Kind::engine); }

bool JxHandleRegistry::isLiveEngine(const JxEngine* engine) {
    return isLive(engine, Kind::engine);
}

void JxHandleRegistry::addSession(const JxSession* handle, const JxSigned* object,
                                  JxEngine* engine) {
    add(handle, Entry{Kind::session, object, engine});
}

void JxHandleRegistry::removeSession(const JxSession* handle, bool engineFinished) {
    Table& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto found = t.entries.find(handle);
    if (found == t.entries.end() || found->second.kind != Kind::session)
        return;
    if (!engineFinished) {
        t.entries.erase(found);
        return;
    }
    // Called from destructors: when the reminder cannot be kept, the handle simply reads as
    // an unknown session.
    try {
        t.finishedSessions.push_back(handle);
    } catch (...) {
        t.entries.erase(found);
        return;
    }
    found->second = Entry{Kind::finishedSession, nullptr, nullptr};
    if (t.finishedSessions.size() > maxFinishedSessions) {
        auto oldest = t.entries.find(t.finishedSessions.front());
        if (oldest != t.entries.end() && oldest->second.kind == Kind::finishedSession)
            t.entries.erase(oldest);
        t.finishedSessions.pop_front();
    }
}

JxHandleRegistry::SessionState JxHandleRegistry::findSession(const JxSession* handle,
                                                             JxEngine** engine) {
    *engine = nullptr;
    if (!handle)
        return SessionState::unknown;
    Table& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    auto found = t.entries.find(handle);
    if (found == t.entries.end())
        return SessionState::unknown;
    if (found->second.kind == Kind::finishedSession)
        return SessionState::engineFinished;
    if (found->second.kind != Kind::session || !found->second.object->isSigned())
        return SessionState::unknown;
    *engine = found->second.engine;
    return SessionState::live;
}

void JxHandleRegistry::addImage(const JxImage* handle, const JxSigned* object) {
    add(handle, Entry{Kind::image, object, nullptr});
}

void JxHandleRegistry::removeImage(const JxImage* handle) { remove(handle, Kind::image); }

bool JxHandleRegistry::isLiveImage(const JxImage* handle) { return isLive(handle, Kind::image); }
