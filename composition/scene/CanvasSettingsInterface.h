#pragma once

#include <QDialog>

class QColor;
class QPixmap;
class QSize;

/// The canvas settings dialog as the item controller sees it: seeded with the canvas as it is,
/// it announces on OK what the user chose. The dialog itself is built by the window (it belongs
/// to the composition panels) and handed to the controller through a maker.
class CanvasSettingsInterface : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

signals:
    void backgroundColourChanged(const QColor& colour);
    void canvasSizeChanged(const QSize& size);
    void backdropPixmapChanged(const QPixmap& pixmap, const QSize& size);

public slots:
    virtual void setBackgroundColour(const QColor& colour) = 0;
    virtual void setCanvasSize(const QSize& size) = 0;
    virtual void setBackdropPixmap(const QPixmap& pixmap) = 0;
};
