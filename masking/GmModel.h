#pragma once

#include "masking/GmModelTypes.h"
#include "masking/EdgeDetectionRecord.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

class ArrowTarget;
class AutoCut;
class BlendingStuff;
class ForcedEdge;
class GmBrushing;
class GmRegion;
class GmStatusArray;
class JxEngine;
class QAction;
class SegmentationStuff;
class TqSourceImage;
struct JxImage;

namespace tq {
class Rectangle;
}

/// A question the document needs the user to answer (Yes or No) before it goes on; the caller
/// asks it and hands the answer back. Empty when there is nothing to ask.
struct GmQuestion {
    QString title;
    QString text;

    bool isEmpty() const { return text.isEmpty(); }
};

/// The single document of the cut-out mode: the picture being cut out and the cut-out being
/// made, the per-pixel status image, the regions and forced edges, the strokes in progress,
/// the image-wide blending and edge-finding settings. It opens and ends the engine session of
/// its image through engine commands and announces every change through its signals. GUI
/// thread only.
class GmModel : public QObject {
    Q_OBJECT
public:
    /// The model of this process, made on first use.
    static GmModel* instance();
    /// The model when one exists, else null; makes none.
    static GmModel* existing();

    GmModel();
    /// Deletes what the model owns for its whole life; the images, regions and forced edges
    /// are disposed of by closing the image.
    ~GmModel() override;

    // Images and coordinates -----------------------------------------------------------------
    TqSourceImage* sourceImage() const { return sourceImage_; }
    TqSourceImage* outputImage() const { return outputImage_; }
    /// The working-resolution divisor: 1, 2, 4 or 8.
    int resolution() const { return resolution_; }
    int imageOrigin() const { return imageOrigin_; }

    QPointF toImagePoint(const QPointF& working) const;
    QRectF toImageRect(const QRectF& working) const;
    QPointF toWorkingPoint(const QPointF& image) const;
    QRectF toWorkingRect(const QRectF& image) const;
    static QRectF scaleRect(const QRectF& rect, double factor);
    static void emptyBoundsRect(QRectF& rect);

    // Owned parts ----------------------------------------------------------------------------
    GmStatusArray* statusArray() const { return statusArray_; }
    BlendingStuff* imageBlendage() const { return imageBlendage_; }
    SegmentationStuff* imageSmeg() const { return imageSmeg_; }
    AutoCut* autoCut() const { return autoCut_; }

    /// Strokes register themselves here while they exist; not owned.
    QList<GmBrushing*>& brushings() { return brushings_; }
    /// Owned, in drawing order (the last is drawn on top).
    QList<GmRegion*>& regions() { return regions_; }
    QList<ForcedEdge*>& forcedEdges() { return forcedEdges_; }
    GmRegion* activeRegion() const { return activeRegion_; }
    ForcedEdge* activeForcedEdge() const { return activeForcedEdge_; }
    tq::Rectangle* rubberBand() const { return rubberBand_; }

    QAction* deletePatchAction() const { return deletePatchAction_; }
    QAction* deleteForcedEdgeAction() const { return deleteForcedEdgeAction_; }
    QAction* clearMaskAction() const { return clearMaskAction_; }
    QAction* protectPatchAction() const { return protectPatchAction_; }
    QAction* previewPatchAction() const { return previewPatchAction_; }

    // Engine state ---------------------------------------------------------------------------
    JxEngine* engine() const { return engine_; }
    void setEngine(JxEngine* engine) { engine_ = engine; }
    std::uint32_t availableUndos() const { return availableUndos_; }
    std::uint32_t availableRedos() const { return availableRedos_; }
    /// Stores both counts, then emits `jxUndoStackChanged`.
    void setUndoCounts(std::uint32_t undos, std::uint32_t redos);
    /// The settings preservation the next Begin Session command takes.
    int pendingPreservation() const { return pendingPreservation_; }
    /// Waiting for the engine queue to drain before the session opens.
    bool isWaitingToOpenSession() const { return waitingToOpen_; }

    /// Whether a host gave the picture: its images then stay the host's through closing and
    /// restoring. The application sets it once it knows how the program was started.
    bool hostOwnsImage() const { return hostOwnsImage_; }
    void setHostOwnsImage(bool owns) { hostOwnsImage_ = owns; }

    // Session lifecycle ----------------------------------------------------------------------
    /// Takes the images (the model owns both from here on, whether it keeps them or not) and
    /// opens their engine session. False, with the given images deleted, when they are not
    /// used: invalid, or the model already has a source image.
    bool setImage(int preservation, int origin, TqSourceImage* source,
                  TqSourceImage* output = nullptr);
    /// Cancels the queue, drops what the engine knows of the arrow targets and ends the
    /// image-wide session. The images given are deleted once the session has ended.
    void endSession(TqSourceImage* source, TqSourceImage* output);
    /// Always true.
    bool closeImage();
    /// Called by the Begin Session command's finish.
    void sessionBegun(const EdgeDetectionRecord& suggested, int preservation);
    /// Called by the New Status Image command's finish (null when none came back).
    void setStatusImage(JxImage* statusImage);
    void statusImageRefreshed();
    /// The question to put to the user before the working resolution becomes `divisor`: the
    /// change reverts the image, so marks and brush patches laid down would be lost. Empty when
    /// nothing would be lost or nothing would change.
    GmQuestion resolutionQuestion(int divisor) const;
    /// Accepts 1, 2, 4 and 8; any other divisor changes nothing and emits (old, old).
    /// `confirmed` is the user's answer to `resolutionQuestion` when it asked anything: false
    /// changes nothing and emits (old, old).
    void setResolution(int divisor, bool confirmed);
    void chooseResolution(std::uint64_t pixelCount);
    void revertOutputImage();
    bool isUnmodified() const;

    // Saved map ------------------------------------------------------------------------------
    /// The most patches and forced edges a saved map may hold. Each is drawn by hand, with a
    /// drag or a run of clicks: even at one every two seconds, 5,000 is three hours of drawing
    /// on one picture, far past any cut-out, while every one costs the engine a sub-session,
    /// a copy of its mask and a command or three when the session opens.
    static constexpr int largestTargetCount = 5000;
    /// The whole model as one map: images, statuses, image-wide settings, resolution and
    /// every arrow target (regions first, then forced edges).
    QVariant toVariant() const;
    /// True when `value` is a map the model can be restored from: "resolution_" 1, 2, 4 or 8,
    /// at most `largestTargetCount` arrow targets and, unless a host gave the images, both
    /// images present, 32-bit, of one size and within the intake's limits. Else false with the
    /// reason in `problem`.
    bool checkVariant(const QVariant& value, QString* problem) const;
    /// Restores what `toVariant` wrote into a model whose image was closed, and opens the
    /// session. Give it only a value `checkVariant` accepted. Entries that cannot be used
    /// (an unknown type, a stroke not the size of the working image, a status image of another
    /// size or format) are left out and logged.
    void fromVariant(const QVariant& value);

    // Arrow targets --------------------------------------------------------------------------
    /// The regions, then the forced edges.
    QList<ArrowTarget*> arrowTargets() const;
    bool containsArrowTarget(const QObject* object) const;
    void revertAllArrowTargets();
    void closeArrowTargets();
    void deleteRegion(GmRegion* region);
    void removeForcedEdge(ForcedEdge* edge);
    void resendForcedEdges();
    void reapplyProtections();
    /// Returns the region that was active before.
    GmRegion* setActiveRegion(GmRegion* region, int announce);
    void setActiveForcedEdge(ForcedEdge* edge);
    void startRubberBand(const ImagePointF& anchor);
    void clearRubberBand();
    void refreshActiveRegionOverlay();
    /// Takes `target` into the regions or the forced edges (owned from here on) and, while a
    /// session is open, applies it to the engine.
    void addArrowTarget(ArrowTarget* target);

signals:
    void tellImageChanged(const TqSourceImage* image);
    void statusImageChanged(const QImage* image);
    void rectDirty(ImageRectF rect, DirtyHint hint, PatchPreviewWanted preview);
    void rectDirty(ImageRectF rect, DirtyHint hint);
    void activeRegionChanged(GmRegion* region);
    void activeRegionReady(GmRegion* region);
    void resolutionChanged(int oldRes, int newRes);
    void smegChanged();
    void jxVariableChanged(QString name);
    void jxUndoStackChanged(uint32_t numUndos, uint32_t numRedos);
    void ownSmegStatusChanged(GmRegion* region);
    void sessionHasBegun();
    void imageBlendRatioChanged(float ratio);
    void protectionChanged(GmRegion* region);
    void imageAnalysisHasBegun();
    void patchPreviewAvailable(const GmRegion* r);
    void cutoutChanged(QImage image);
    void hintOpacityChanged();
    void showOriginal();
    void changeBackgroundColour();
    /// True while the model waits for the engine queue to drain before its session opens:
    /// the user must not work meanwhile. False once it opens or the wait is given up.
    void busyChanged(bool busy);

public slots:
    void deleteActiveRegionSlot();
    void deleteActiveForcedEdgeSlot();
    void clearMaskInActiveRegionSlot();
    void protectActiveRegionSlot();
    void signalDirtyImageSlot(PatchPreviewWanted preview);
    void signalDirtyImageSlot();
    void signalDirtyOutputImageSlot();
    void testRenderActiveRegionSlot();
    void dirtyRectSlot(ImageRectF r);
    void openSession(GmSession::SettingsPreservation preservation);
    void openSession();

private:
    void createPatchActions();
    /// Repaints where an outline was and where it now is: each alone when the other is the
    /// empty rectangle, both as one when they meet, else one after the other.
    void updatePatchActions();
    /// Repaints an outline that moved from `oldRect` to `newRect` (either may be no rectangle).
    void outlineChange(const QRectF& oldRect, const QRectF& newRect);
    void forgetImages();
    void scaleBrushSize(int oldDivisor, int newDivisor);
    /// Connects (or disconnects) status and blend-ratio changes to the auto cut.
    void connectAutoCut(bool on);

    TqSourceImage* sourceImage_ = nullptr;
    TqSourceImage* outputImage_ = nullptr;
    int resolution_ = 1;
    QList<GmBrushing*> brushings_;
    QList<GmRegion*> regions_;
    QList<ForcedEdge*> forcedEdges_;
    GmRegion* activeRegion_ = nullptr;
    ForcedEdge* activeForcedEdge_ = nullptr;
    tq::Rectangle* rubberBand_ = nullptr;
    QAction* deletePatchAction_ = nullptr;
    QAction* deleteForcedEdgeAction_ = nullptr;
    QAction* clearMaskAction_ = nullptr;
    QAction* protectPatchAction_ = nullptr;
    QAction* previewPatchAction_ = nullptr;
    GmStatusArray* statusArray_ = nullptr;
    AutoCut* autoCut_ = nullptr;
    JxEngine* engine_ = nullptr;
    BlendingStuff* imageBlendage_ = nullptr;
    SegmentationStuff* imageSmeg_ = nullptr;
    int imageOrigin_ = 0;
    std::uint32_t availableUndos_ = 0;
    std::uint32_t availableRedos_ = 0;
    int pendingPreservation_ = GmSession::ChooseSettings;
    bool waitingToOpen_ = false;
    bool hostOwnsImage_ = false;
};

/// The model while it exists, else null.
extern GmModel* theModel;
