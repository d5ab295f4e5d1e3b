#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

/// The canvas settings dialog's preview: the canvas scaled down into the widget, in the
/// background colour with a black outline, the backdrop picture stretched over it.
class PreviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWidget(QWidget* parent = nullptr);

    int canvasWidth() const { return canvasWidth_; }
    int canvasHeight() const { return canvasHeight_; }
    QPixmap backdrop() const { return backdrop_; }
    QColor background() const { return background_; }

    void setCanvasWidth(int width);
    void setCanvasHeight(int height);
    void setBackdrop(const QPixmap& backdrop);
    void setBackground(const QColor& background);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int canvasWidth_ = 1;
    int canvasHeight_ = 1;
    QPixmap backdrop_;
    QColor background_ = Qt::white;
};
