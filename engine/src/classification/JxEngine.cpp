#include "classification/JxEngine.h"

#include <algorithm>

namespace {
template <typename Members, typename Handle>
void eraseMember(Members& members, const Handle* handle) {
    auto found = std::find_if(members.begin(), members.end(),
                              [handle](const auto& member) { return member.handle == handle; });
    if (found != members.end())
        members.erase(found);
}
}  // namespace

JxEngine::JxEngine() { JxHandleRegistry::addEngine(this); }

JxEngine::~JxEngine() {
    deleteMembers();
    JxHandleRegistry::removeEngine(this);
}

// Registration may run out of memory in either table; a half-registered object must not
// stay listed, or JxFinish would delete it after its failed constructor already freed it.
void JxEngine::addSession(JxSession* handle, JxSigned* object) {
    JxHandleRegistry::addSession(handle, object, this);
    try {
        sessions_.push_back({handle, object});
    } catch (...) {
        JxHandleRegistry::removeSession(handle, false);
        throw;
    }
}

void JxEngine::removeSession(JxSession* handle) {
    eraseMember(sessions_, handle);
    JxHandleRegistry::removeSession(handle, finishing_);
}

void JxEngine::addImage(JxImage* handle, JxSigned* object) {
    JxHandleRegistry::addImage(handle, object);
    try {
        images_.push_back({handle, object});
    } catch (...) {
        JxHandleRegistry::removeImage(handle);
        throw;
    }
}

void JxEngine::removeImage(JxImage* handle) {
    eraseMember(images_, handle);
    JxHandleRegistry::removeImage(handle);
}

void JxEngine::deleteMembers() {
    finishing_ = true;
    // Each destructor takes itself out of the list, so the list shrinks as we go; taking the
    // newest each time ends sub-sessions before their parents.
    // Removing again after the delete is a no-op for members that unregistered themselves.
    while (!sessions_.empty()) {
        Member<JxSession> newest = sessions_.back();
        delete newest.object;
        removeSession(newest.handle);
    }
    while (!images_.empty()) {
        Member<JxImage> newest = images_.back();
        delete newest.object;
        removeImage(newest.handle);
    }
    finishing_ = false;
}
