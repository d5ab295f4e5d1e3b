#pragma once

#include "masking/VectorEdges.h"
#include "masking/EDOs.h"

#include <QObject>
#include <QPointer>
#include <QVariant>

#include <functional>

class GmRegion;
class JxCmdAnalyseImage;
struct JxSession;

/// One analysis target, the whole image (no region) or a region: its edge-detection options,
/// the engine handles of its session and of the session it analysed, the vector edges that
/// analysis published, a checked flag, and a guarded link to its running analysis. Handed
/// around by pointer only (registered as the pointer meta-type): it is never copied.
class SegmentationStuff : public QObject {
    Q_OBJECT
public:
    /// Default options; for a region, a copy of the image-wide options with nothing pending.
    explicit SegmentationStuff(GmRegion* region = nullptr);
    /// Options from "edos_" (defaults for what is missing), checked from "isChecked_".
    SegmentationStuff(const QVariant& map, GmRegion* region);
    ~SegmentationStuff() override;

    SegmentationStuff(const SegmentationStuff&) = delete;
    SegmentationStuff& operator=(const SegmentationStuff&) = delete;

    QVariant toVariant() const;

    bool isChecked() const { return checked_; }
    /// Stores the flag; the model emits `smegChanged`, and for a region's holder whose flag
    /// changed, `ownSmegStatusChanged` with that region.
    void setChecked(bool checked);

    /// Applies the edited options and submits an analysis, cancelling the one still queued or
    /// running. `changed` (may be empty) runs before the submission and, while `context` (may
    /// be null) lives, again once this analysis command is gone (finished, cancelled or
    /// refused): the edited options may no longer be what they were.
    void analyse(QObject* context = nullptr, std::function<void()> changed = {});

    /// Rebuilds the vector edges from the analysed session and repaints the whole image.
    void refreshVectorEdges();

    /// An analysed session exists, the engine finished analysing it and no analysis of it is
    /// queued or running (the engine command thread rewrites the session's record then).
    bool isAnalysisReady() const;

    GmRegion* region() const { return region_; }
    EDOs& options() { return options_; }
    const EDOs& options() const { return options_; }
    VectorEdges& vectorEdges() { return vectorEdges_; }
    const VectorEdges& vectorEdges() const { return vectorEdges_; }

    JxSession* session() const { return session_; }
    void setSession(JxSession* session) { session_ = session; }
    JxSession* analysedSession() const { return analysedSession_; }
    void setAnalysedSession(JxSession* session) { analysedSession_ = session; }
    /// The analysis still queued or running; null once it is gone.
    JxCmdAnalyseImage* runningAnalysis() const;

private:
    GmRegion* region_;
    EDOs options_;
    VectorEdges vectorEdges_;
    JxSession* session_ = nullptr;
    JxSession* analysedSession_ = nullptr;
    bool checked_ = false;
    QPointer<JxCmdAnalyseImage> runningAnalysis_;
};

Q_DECLARE_METATYPE(SegmentationStuff*)
