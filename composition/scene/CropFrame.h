#pragma once

#include "composition/scene/CropLine.h"

#include <QRectF>

#include <array>

class BackdropController;
class QGraphicsScene;

/// The crop rectangle (always the canvas) and its four crop lines in the scene. The lines
/// belong to the scene; the frame deletes them when it goes, so it must go before the scene.
class CropFrame {
public:
    /// Creates the lines top, right, bottom, left, adds them to `scene` (when there is one) in
    /// that order and lays them along `rect`.
    CropFrame(QGraphicsScene* scene, const QRectF& rect);
    ~CropFrame();
    CropFrame(const CropFrame&) = delete;
    CropFrame& operator=(const CropFrame&) = delete;

    QRectF cropRect() const { return cropRect_; }
    void setCropRect(const QRectF& rect);
    void setLinesVisible(bool visible);
    /// Forgets lines that their scene has already deleted.
    void abandonLines() { lines_.fill(nullptr); }
    const std::array<CropLine<BackdropController>*, 4>& lines() const { return lines_; }

private:
    QRectF cropRect_;
    std::array<CropLine<BackdropController>*, 4> lines_;
};
