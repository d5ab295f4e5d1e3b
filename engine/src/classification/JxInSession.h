#pragma once

#include "classification/IiClassification.h"
#include "classification/JxInProgress.h"
#include "classification/JxInterface.h"
#include "classification/JxSigned.h"
#include "classification/ProgressRange.h"
#include "classification/PublishedPolylines.h"
#include "classification/SelectionPatch.h"
#include "classification/Variables.h"

#include <map>
#include <memory>
#include <vector>

class JxEngine;
class JxInImage;

/// A session or sub-session: the public JxSession record the application reads (a session
/// handle is its address), with the image view, classification object, variables and undo
/// history behind it. Sessions are owned by their engine; a parent only lists its
/// sub-sessions, and when it ends they stay alive, detached from it.
class JxInSession : public JxSession, public JxSigned {
public:
    /// A top session over a four-channel 8-bit image (format 1) that the caller has validated;
    /// the pixels stay the caller's. Registers with `engine` once it is complete.
    JxInSession(JxEngine& engine, const JxImage& image, JxProgressCallback progress);
    /// A sub-session over the patch of a validated `selection` that lies inside `parent`.
    /// Throws JxExCancel when the callback cancels its construction.
    JxInSession(JxInSession& parent, const JxSelection& selection, bool forAnalysis,
                JxProgressCallback progress);
    ~JxInSession() override;

    JxInSession(const JxInSession&) = delete;
    JxInSession& operator=(const JxInSession&) = delete;

    /// The session behind a handle the entry frame has checked.
    static JxInSession* fromHandle(JxSession* handle) { return static_cast<JxInSession*>(handle); }

    JxEngine& engine() const { return *engine_; }
    /// The parent session; null for a top session and for a sub-session whose parent ended.
    JxInSession* parent() const { return parent_; }
    bool isSubSession() const { return subSession_; }
    bool isAnalysable() const { return analysable_; }
    /// Whether the session or its parent holds a segmentation that commands can use.
    bool hasSegmentation() const { return analysed != 0 || (parent_ && parent_->analysed != 0); }

    classification::IiClassification& classification() { return *classification_; }
    Ostrival::Variables& variableSet() { return *variables_; }
    const SelectionPatch* patch() const { return patch_.get(); }
    const std::vector<JxInSession*>& subSessions() const { return subSessions_; }
    /// The storage behind the record's `polylines`.
    PublishedPolylines& publishedPolylines() { return polylines_; }

    /// The box of the session's rectangle in the pixel grid of the top session.
    classification::IntBox box() const { return classification::IntBox::fromRect(x, y, width, height); }

    /// Whether a status command can work on `statusImage`: a status image (format 0) that covers
    /// the session's rectangle.
    bool coversStatusImage(const JxImage& statusImage) const;

    /// The statuses of `statusImage` as this session sees them, indexed in the pixel grid of the
    /// top session: the status image itself for a top session; for a sub-session its local
    /// status image, made on first use (a view of the status image inside the box, or a copy
    /// restricted to the mask). The image must pass coversStatusImage.
    classification::ByteImage statusView(JxInImage& statusImage);

    /// Copies the classification's changed box into the changed rectangle, then forgets it.
    void publishChangedBox();
    /// Refreshes the variable table and the public edge-option fields from the variables.
    void publishEdgeOptions();
    /// Copies the analysis settings from the variables into the classification object.
    void applyVariables();
    /// The application's edge-detection options; the tolerance must be finite.
    void setEdgeDetectionOptions(float tolerance, std::uint32_t edgeWidthValue, std::int32_t flags);

private:
    void setUpVariablesForAnalysis(int longerSide);
    void detachSubSessions();

    JxEngine* engine_;
    JxInSession* parent_;
    classification::ColourImage image_;
    JxInProgress reporter_;
    ProgressRange range_;
    std::unique_ptr<classification::IiClassification> classification_;
    std::unique_ptr<Ostrival::Variables> variables_;
    std::vector<JxInSession*> subSessions_;
    std::unique_ptr<SelectionPatch> patch_;
    std::map<const JxImage*, std::unique_ptr<JxInImage>> localImages_;
    PublishedPolylines polylines_;
    const bool subSession_;
    const bool analysable_;
};
