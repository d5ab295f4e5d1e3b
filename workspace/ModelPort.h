#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRectF>

class GmModel;

/// The masking workspace's door to the masking document: the pictures it shows, the working
/// resolution, the document's signals that the canvas, the tools and the navigator follow, and
/// what they ask of the document. It is meant to be the only one: a workspace file reaches the
/// document through here, not through the document class's own instance. What the tools tell
/// the views (the current tool, a cursor, the brush size slider) does not pass here: it goes
/// through `ToolEvents` of the tool framework.
///
/// Attached to the masking model (`attach`, done on first use when a model exists), the port
/// follows the model's pictures and relays its signals. Without a model, `setPictures` shows
/// pictures directly (a viewer without a document, and the widget tests).
class ModelPort : public QObject {
    Q_OBJECT
public:
    /// The process-wide port, built on first use; attached to the model when one exists.
    static ModelPort* instance();

    /// Follows `model` from now on (none to detach); takes its pictures at once.
    void attach(GmModel* model);
    GmModel* model() const;

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
