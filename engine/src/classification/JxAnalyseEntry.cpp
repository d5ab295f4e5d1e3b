// Analyse Image: the analysis pipeline, the vector edges, and the variables' commit or
// roll-back around them.

#include "classification/JxEntryFrame.h"
#include "classification/JxExCancel.h"
#include "classification/JxInSession.h"

#include <new>

namespace {

// Variables whose change makes the texture image stale: everything is recomputed.
const char* const textureVariables[] = {"#maxBits", "t%", "#texture"};
// Variables whose change only makes the later stages recompute what they depend on.
const char* const analysisVariables[] = {"imageTol", "featureTol", "focus", "interpolation",
                                         "#resolution", "overlap", "#colourBits"};

template <std::size_t N>
bool anyChanged(const Ostrival::Variables& variables, const char* const (&names)[N]) {
    for (const char* name : names)
        if (variables.isChanged(name))
            return true;
    return false;
}

/// The analysis proper and the vector edges; throws what they throw.
void analyseAndPublish(JxInSession& session, ProgressRange& range) {
    classification::IiClassification& classification = session.classification();
    Ostrival::Variables& variables = session.variableSet();
    const bool firstAnalysis = session.analysed == 0;
    session.analysed = 0;

    ProgressRange analysis = range.subRange(0.9f);
    const bool full = firstAnalysis || anyChanged(variables, textureVariables);
    if (full || anyChanged(variables, analysisVariables)) {
        if (full)
            classification.textureState = 0;
        session.applyVariables();
        const SelectionPatch* patch = session.patch();
        classification.analyse(patch ? patch->mask() : nullptr, analysis.subRange(0.8f));
    } else {
        analysis.report(1.0f);
    }

    session.analysed = 1;
    classification.vMidPoint = variables.intValue("v-mdPt");
    classification.vSimplify = variables.floatValue("v-smplf");
    classification.vSmooth = variables.floatValue("v-smth");
    classification::EdgePolylineList edges;
    classification.buildVectorEdges(edges, range.subRange(1.0f));
    session.publishedPolylines().publish(session, edges);
}

}  // namespace

int JxAnalyseImage(JxSession* handle, JxProgressCallback progress) noexcept {
    return JxEntryFrame::run(
        handle, {"Analyse Image", JxFailurePolicy::command, progress, true},
        [&](JxEngine& engine, JxInProgress& reporter) {
            JxInSession& session = *JxInSession::fromHandle(handle);
            if (!session.isAnalysable())
                return static_cast<int>(JxNotAnalysed);
            Ostrival::Variables& variables = session.variableSet();
            session.publishedPolylines().clear(session);

            int code = JxOk;
            try {
                // The range reports its start at once: a cancellation from then on is the
                // analysis' own and puts the variables back.
                ProgressRange range(&reporter);
                analyseAndPublish(session, range);
            } catch (const JxExCancel&) {
                code = JxCancelled;
            } catch (const std::bad_alloc&) {
                code = JxOutOfMemory;
            }
            if (code != JxOk) {
                session.publishedPolylines().clear(session);
                try {
                    variables.revertAll();
                    session.publishEdgeOptions();
                } catch (const std::bad_alloc&) {
                    engine.markFailed();
                    return static_cast<int>(JxOutOfMemoryFatal);
                } catch (...) {
                    engine.markFailed();
                    return static_cast<int>(JxUnexpectedException);
                }
            }

            variables.commitAll();
            session.publishEdgeOptions();
            if (session.analysed != 0)
                for (JxInSession* sub : session.subSessions())
                    if (!sub->isAnalysable())
                        sub->classification().copyFromParent();
            session.publishChangedBox();
            return code;
        });
}
