#include "classification/JxEntryFrame.h"

#include "classification/JxExCancel.h"
#include "classification/JxInImage.h"

namespace JxEntryFrame {

int engineCode(const JxEngine* engine) {
    if (!JxHandleRegistry::isLiveEngine(engine))
        return JxBadEngine;
    return engine->failed() ? JxEngineFailed : JxOk;
}

int sessionCode(const JxSession* session, JxEngine** engine) {
    JxEngine* owner = nullptr;
    switch (JxHandleRegistry::findSession(session, &owner)) {
    case JxHandleRegistry::SessionState::unknown:
        return JxBadSession;
    case JxHandleRegistry::SessionState::engineFinished:
        return JxBadEngine;
    case JxHandleRegistry::SessionState::live:
        break;
    }
    if (int code = engineCode(owner))
        return code;
    *engine = owner;
    return JxOk;
}

int imageCode(const JxImage* image) {
    return JxHandleRegistry::isLiveImage(image) ? JxOk : JxBadImage;
}

int imageAndSessionCode(const JxImage* image, const JxSession* session, JxEngine** engine) {
    if (int code = imageCode(image))
        return code;
    if (int code = sessionCode(session, engine))
        return code;
    // Undo steps keep views of the images they changed, and another engine frees its images
    // when it finishes: an image works only with sessions of its own engine.
    if (static_cast<const JxInImage*>(image)->engine() != *engine) {
        *engine = nullptr;
        return JxBadImage;
    }
    return JxOk;
}

int exceptionCode(JxEngine& engine, JxFailurePolicy policy) noexcept {
    try {
        throw;
    } catch (const JxExCancel&) {
        if (policy != JxFailurePolicy::valueOnly)
            return JxCancelled;
    } catch (const std::bad_alloc&) {
        switch (policy) {
        case JxFailurePolicy::command:
        case JxFailurePolicy::imageBuild:
            return JxOutOfMemory;
        case JxFailurePolicy::undoRedo:
            engine.markFailed();
            return JxOutOfMemoryFatal;
        case JxFailurePolicy::sessionBuild:
            engine.markFailed();
            return JxOutOfMemory;
        case JxFailurePolicy::valueOnly:
            break;
        }
    } catch (...) {
    }
    if (policy != JxFailurePolicy::imageBuild)
        engine.markFailed();
    return JxUnexpectedException;
}

}  // namespace JxEntryFrame
