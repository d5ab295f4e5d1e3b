#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QRectF>

class GmModel;
class GmTool;
class QCursor;

/// The masking workspace's one door to the masking document: the pictures it shows, the
/// working resolution, and the document's signals that the canvas, the tools and the navigator
/// follow. Everything in workspace/ reads the document through here.
///
/// Attached to the masking model (`attach`, done on first use when a model exists), the port
/// follows the model's pictures and relays its signals, and what the workspace announces
/// (`announceToolChanged`, `announceCursorChanged`, `announceBrushSizeSliderMoved`) goes out as
/// the model's own signals. Without a model, `setPictures` shows pictures directly (a viewer
/// without a document, and the widget tests).
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

    void announceToolChanged(const GmTool* tool);
    /// A null cursor asks the canvas to rebuild its brush cursor.
    void announceCursorChanged(const QCursor* cursor);
    void announceBrushSizeSliderMoved();
    /// Asks for a repaint of the whole picture, fresh from the document.
    void repaintAll();

signals:
    /// A new source image is in place, or none.
    void tellImageChanged();
    /// Repaint this image rectangle; hint 0 image or stroke, 1 rubber band, 2 removed region.
    void rectDirty(const QRectF& imageRect, int hint);
    void resolutionChanged(int oldRes, int newRes);
    void toolChanged(const GmTool* tool);
    void cursorChanged(const QCursor* cursor);
    void hintOpacityChanged();
    void showOriginal();
    void changeBackgroundColour();
    void brushSizeSliderMoved();
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
