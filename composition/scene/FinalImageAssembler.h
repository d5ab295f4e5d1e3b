#pragma once

#include <QObject>
#include <QPixmap>

/// Assembles the final image: the canvas rectangle of the item scene rendered into a pixmap
/// of the canvas size, one scene unit per pixel, without selection marks, handles, focus or
/// crop lines. Runs synchronously on the GUI thread; made on the stack for one assembly.
class FinalImageAssembler : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// The last assembled pixmap; null before the first assembly or without a scene.
    QPixmap finalPixmap() const { return finalPixmap_; }

signals:
    void done(const QPixmap& pixmap);

public slots:
    /// Renders the canvas, keeps the pixmap and emits `done`. The pixmap starts transparent,
    /// so the same scene always gives the same pixels. Leaves the scene's selection and
    /// signal blocking as they were.
    void calculateFinalImage();

private:
    QPixmap finalPixmap_;
};

/// The final image of the composition, assembled now.
QPixmap renderFinalPixmap();
