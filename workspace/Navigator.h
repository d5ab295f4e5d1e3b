#pragma once

#include <QPoint>
#include <QRectF>
#include <QWidget>

#include <memory>

class QCursor;

/// A thumbnail of the photograph with a red rectangle around the part visible in the masking
/// view. Dragging the rectangle moves the view; a click elsewhere centres the view there.
class Navigator : public QWidget {
    Q_OBJECT
public:
    explicit Navigator(QWidget* parent = nullptr);
    ~Navigator() override;

    QSize sizeHint() const override;
    /// The visible part of the image in image coordinates; all zero: the whole image.
    void setViewRect(const QRectF& rect);
    QRectF viewRect() const { return viewRect_; }
    /// Thumbnail pixels per image pixel, as of the last paint (0 before).
    double thumbScale() const { return thumbScale_; }
    QPoint thumbOffset() const { return QPoint(thumbOffsetX_, thumbOffsetY_); }
    /// The widget rectangle of an image rectangle on the thumbnail.
    QRect thumbnailRect(const QRectF& imageRect) const;

signals:
    /// Move the view so that this rectangle's top-left is at the viewport's top-left.
    void rectChanged(const QRectF& rect);
    /// Centre the view on this image point.
    void rectCenterChanged(const QPoint& imagePoint);

public slots:
    void updateImage();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void chooseRestingCursor(const QPoint& pos);

    QRectF viewRect_{0, 0, 0, 0};
    QRectF pressViewRect_;
    QPoint pressPos_;
    std::unique_ptr<QCursor> pointingHandCursor_;
    std::unique_ptr<QCursor> openHandCursor_;
    std::unique_ptr<QCursor> closedHandCursor_;
    double thumbScale_ = 0.0;
    int thumbOffsetX_ = 0;
    int thumbOffsetY_ = 0;
};
