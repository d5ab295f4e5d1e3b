// Entries that begin and end sessions and set their variables.

#include "classification/JxEntryFrame.h"
#include "classification/JxInImage.h"
#include "classification/JxInSession.h"
#include "classification/SelectionPatch.h"

#include <cmath>

namespace {

// Entries that only look up or store values build a reporter that reports nothing.
constexpr JxEntrySpec valueEntry{"", JxFailurePolicy::valueOnly};

}  // namespace

JxSession* JxBeginSession(JxEngine* engine, JxImage image, JxProgressCallback progress) noexcept {
    // The session's own reporter delivers its progress; the frame's stays silent.
    return JxEntryFrame::makeOnEngine<JxSession>(
        engine, {"Begin Session", JxFailurePolicy::sessionBuild},
        [&](JxEngine& usable, JxInProgress&) -> JxSession* {
            if (image.format != JxFormatRgba8 || !JxInImage::isValidBuffer(image, 4))
                return nullptr;
            return new JxInSession(usable, image, progress);
        });
}

JxSession* JxBeginSubSession(JxSession* parent, const JxSelection* selection, int forAnalysis,
                             JxProgressCallback progress) noexcept {
    return JxEntryFrame::makeOnSession<JxSession>(
        parent, {"Begin sub-session", JxFailurePolicy::sessionBuild},
        [&](JxEngine&, JxInProgress&) -> JxSession* {
            if (!selection || !SelectionPatch::isValid(*selection))
                return nullptr;
            JxInSession& owner = *JxInSession::fromHandle(parent);
            // Outside its parent a sub-session's views would reach past the image buffers.
            if (!owner.box().contains(SelectionPatch(*selection).box))
                return nullptr;
            return new JxInSession(owner, *selection, forAnalysis != 0, progress);
        });
}

int JxEndSession(JxSession* session, JxProgressCallback progress) noexcept {
    return JxEntryFrame::run(session, {"End Session", JxFailurePolicy::command, progress, false},
                             [&](JxEngine&, JxInProgress&) {
                                 delete JxInSession::fromHandle(session);
                                 return static_cast<int>(JxOk);
                             });
}

int JxSetEdgeDetectionOptions(JxSession* session, float tolerance, std::uint32_t edgeWidth,
                              std::int32_t flags) noexcept {
    return JxEntryFrame::run(session, valueEntry, [&](JxEngine&, JxInProgress&) {
        if (!std::isfinite(tolerance))
            return static_cast<int>(JxRefused);
        JxInSession::fromHandle(session)->setEdgeDetectionOptions(tolerance, edgeWidth, flags);
        return static_cast<int>(JxOk);
    });
}

int JxSetVariable(JxSession* session, const char* name, float value) noexcept {
    return JxEntryFrame::run(session, valueEntry, [&](JxEngine&, JxInProgress&) {
        JxInSession& target = *JxInSession::fromHandle(session);
        // A sub-session's variables follow its parent's; they are set only on the top session.
        if (!name || target.isSubSession() || !target.variableSet().setByName(name, value))
            return static_cast<int>(JxRefused);
        target.publishEdgeOptions();
        return static_cast<int>(JxOk);
    });
}

int JxGetVariable(JxVariable* variable, JxSession* session, const char* name) noexcept {
    return JxEntryFrame::run(session, valueEntry, [&](JxEngine&, JxInProgress&) {
        if (!variable || !name)
            return static_cast<int>(JxRefused);
        const JxVariable* entry = JxInSession::fromHandle(session)->variableSet().entry(name);
        if (!entry)
            return static_cast<int>(JxRefused);
        *variable = *entry;
        return static_cast<int>(JxOk);
    });
}
