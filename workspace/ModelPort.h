#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QRectF>

class GmTool;
class QCursor;

/// The masking workspace's one door to the masking document: the pictures it shows, the
/// working resolution, and the document's signals that the canvas, the tools and the navigator
/// follow. Everything in workspace/ reads the document through here, so that the document's
/// own classes stay out of the widgets' headers.
///
/// The document hands its pictures over with `setPictures` when an image is opened or closed
/// and emits the relayed signals through this object; the workspace emits `toolChanged` and
/// `cursorChanged` here for every listener.
class ModelPort : public QObject {
    Q_OBJECT
public:
    /// The process-wide port, built on first use.
    static ModelPort* instance();

    /// The source photograph and the cut-out result drawn over the background colour. A null
    /// source means no image is open; a null output draws nothing over the photograph.
    void setPictures(const QImage& source, const QImage& output);
    /// Replaces the cut-out result (after a mask has been generated) and repaints all of it.
    void setOutput(const QImage& output);
    bool hasSourceImage() const { return !source_.isNull(); }
    const QImage& sourceImage() const { return source_; }
    const QPixmap& sourcePixmap() const { return sourcePixmap_; }
    const QImage& outputImage() const { return output_; }

    /// Working coordinates times this give image coordinates; at least 1.
    int resolution() const { return resolution_; }
    /// Accepts 1, 2, 4 and 8; anything else changes nothing.
    void setResolution(int divisor);

signals:
    /// A new source image is in place, or none.
    void tellImageChanged();
    /// Repaint this image rectangle; hint 0 image or stroke, 1 rubber band, 2 removed region.
    void rectDirty(const QRectF& imageRect, int hint);
    void resolutionChanged(int oldRes, int newRes);
    void toolChanged(const GmTool* tool);
    /// A null cursor asks the canvas to rebuild its brush cursor.
    void cursorChanged(const QCursor* cursor);
    void hintOpacityChanged();
    void showOriginal();
    void changeBackgroundColour();
    void brushSizeSliderMoved();
    /// Something a tool's usability depends on changed (active region, segmentation, engine).
    void usabilityMayHaveChanged();

private:
    ModelPort() = default;

    QImage source_;
    QPixmap sourcePixmap_;
    QImage output_;
    int resolution_ = 1;
};
