#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRectF>

class ArrowTarget;
class BlendingOptions;
class ForcedEdge;
class GmBrushing;
class GmModel;
class GmRegion;
class SegmentationStuff;
class TqSourceImage;

/// The masking workspace's door to the masking document: the pictures it shows, the working
/// resolution, the document's signals that the canvas, the tools, the navigator and the option
/// panels follow, and what they ask of the document or tell it. It is the only one: no
/// workspace file but this port's own includes the document class or names it; the others
/// reach the document through here. The document's records (regions, forced edges, strokes,
/// segmentation, blending and edge-finding options) are the workspace's to include and use;
/// the port hands them out. What the tools tell the views (the current tool, a cursor, the
/// brush size slider) does not pass here: it goes through `ToolEvents` of the tool framework.
///
/// Attached to the masking model (`attach`, done on first use when a model exists), the port
/// follows the model's pictures and relays its signals. Without a model, `setPictures` shows
/// pictures directly (a viewer without a document, and the widget tests), and what is asked of
/// the document answers null, empty, false or 1.
class ModelPort : public QObject {
    Q_OBJECT
public:
    /// The process-wide port, built on first use; attached to the model when one exists.
    static ModelPort* instance();
    /// The process-wide port, attached to the model, which is made first when none exists yet.
    static ModelPort* withModel();

    /// Follows `model` from now on (none to detach); takes its pictures at once.
    void attach(GmModel* model);

    /// Shows these pictures while no model is attached. A null source means no image is open;
    /// a null output draws nothing over the photograph.
    void setPictures(const QImage& source, const QImage& output);
    /// Replaces the cut-out result and repaints all of it (no model attached).
    void setOutput(const QImage& output);
    /// Accepts 1, 2, 4 and 8 (no model attached); anything else changes nothing.
    void setResolution(int divisor);

    bool hasSourceImage() const { return !source_.isNull(); }
    const QImage& sourceImage() const { return source_; }
    const QPixmap& sourcePixmap() const { return sourcePixmap_; }
    const QImage& outputImage() const { return output_; }
    /// Working coordinates times this give image coordinates; at least 1.
    int resolution() const { return resolution_; }

    /// Lets go of the active region, else of the active forced edge; false when neither was
    /// active (or no model is attached).
    bool releaseActiveTarget();
    /// Asks for a repaint of the whole picture, fresh from the document.
    void repaintAll();

    // Asked of the document itself, as it stands at the moment: unlike the pictures above,
    // which follow its signals.
    bool hasModel() const;
    /// Whether the document has a source image.
    bool modelHasImage() const;
    /// The document's working-resolution divisor, which it also changes while no image is
    /// open (and announces nothing then).
    int modelResolution() const;
    GmRegion* activeRegion() const;
    ForcedEdge* activeForcedEdge() const;
    /// The image-wide edge finding.
    SegmentationStuff* imageSegmentation() const;
    /// The image-wide blending options.
    BlendingOptions* imageBlendingOptions() const;
    /// The regions, then the forced edges.
    QList<ArrowTarget*> arrowTargets() const;
    /// The strokes in progress.
    QList<GmBrushing*> strokes() const;
    /// The per-pixel status image; null when there is none.
    QImage statusImage() const;

    // Told to the document.
    /// Makes `region` (or none) the active region; returns the one active before. `announce`
    /// as the document takes it (1 announces a region let go of).
    GmRegion* setActiveRegion(GmRegion* region, int announce);
    /// Hands a finished stroke to the engine as one selection command with the overwrite mask
    /// `change` and the status `newStatus`, along the analysed edges when `edgeAware` is
    /// non-zero. The command owns the stroke from then on; without a model or an engine
    /// thread the stroke is deleted.
    void selectWithStroke(GmBrushing* stroke, int change, int newStatus, int edgeAware);
    /// Announces a new image-wide blend ratio in the document's name.
    void announceImageBlendRatio(float ratio);

signals:
    /// A new source image is in place, or none.
    void tellImageChanged();
    /// Repaint this image rectangle; hint 0 image or stroke, 1 rubber band, 2 removed region.
    void rectDirty(const QRectF& imageRect, int hint);
    void resolutionChanged(int oldRes, int newRes);
    void hintOpacityChanged();
    void showOriginal();
    void changeBackgroundColour();
    /// Something a tool's usability depends on changed (active region, segmentation, engine).
    void usabilityMayHaveChanged();

    // Relayed as the document emits them (none on attaching or detaching).
    /// The document announces its image: opened, or its session opened anew; null once closed.
    void modelImageChanged(const TqSourceImage* image);
    /// The engine session of the document's image has begun; its edge-finding options are set.
    void sessionBegun();
    void activeRegionChanged(GmRegion* region);
    /// `region` took or left edge finding of its own.
    void ownSegmentationStatusChanged(GmRegion* region);

private:
    ModelPort() = default;
    /// Copies the model's pictures (shared, not deep) and divisor.
    void takeModelPictures();

    QPointer<GmModel> model_;
    QImage source_;
    QPixmap sourcePixmap_;
    QImage output_;
    int resolution_ = 1;
};
