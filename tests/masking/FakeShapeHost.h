#pragma once

#include "masking/GmShapeHost.h"

#include <QList>
#include <QRectF>

#include <vector>

class GmBrushing;

/// A masking-model stand-in for shapes and strokes: a fixed divisor, working image, picture
/// rectangle and brush size, and a record of every repaint request and stroke registration.
/// Installs itself as the current host for its lifetime.
class FakeShapeHost : public GmShapeHost {
public:
    struct Repaint {
        QRectF rect;
        int hint;
        int preview;
    };

    FakeShapeHost(int divisor, QSize workingSize, int brush = 3)
        : divisor_(divisor), working_(QPoint(0, 0), workingSize), brush_(brush),
          display_(0, 0, workingSize.width() * divisor, workingSize.height() * divisor)
    {
        setCurrent(this);
    }
    ~FakeShapeHost() override { setCurrent(nullptr); }

    int resolution() const override { return divisor_; }
    QRect workingImageRect() const override { return working_; }
    QRectF displayImageRect() override { return display_; }
    int brushSize() const override { return brush_; }
    void requestRepaint(const QRectF& r, int hint, int preview) override
    {
        repaints.push_back({r, hint, preview});
    }
    void brushingCreated(GmBrushing* b) override { strokes.append(b); }
    void brushingDestroyed(GmBrushing* b) override { strokes.removeAll(b); }

    void setBrushSize(int size) { brush_ = size; }
    void setWorkingSize(QSize size) { working_ = QRect(QPoint(0, 0), size); }
    void setDisplayRect(QRectF r) { display_ = r; }

    std::vector<Repaint> repaints;
    QList<GmBrushing*> strokes;

private:
    int divisor_;
    QRect working_;
    int brush_;
    QRectF display_;
};
