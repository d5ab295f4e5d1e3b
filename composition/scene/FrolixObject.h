#pragma once

#include <QByteArray>
#include <QObject>
#include <QRect>

#include <memory>

class FrolixObjectPrivate;
class QGraphicsScene;
class QPrinter;

/// The one composition document of the "2. Compose Picture" tab: its scene, the canvas
/// rectangle, whether a composition is open, and the checksum of the final image as it was
/// last saved. Built on first use, lives until exit; everything runs on the GUI thread.
class FrolixObject : public QObject {
    Q_OBJECT
public:
    static FrolixObject* instance();
    ~FrolixObject() override;

    /// The item scene; null until the composition view stores it, and again once it is gone.
    QGraphicsScene* scene() const;
    void setScene(QGraphicsScene* scene);

    /// The canvas in scene pixels; the null rectangle until the item controller sets it.
    QRect canvasRect() const;
    bool isCompositionOpen() const;

    /// Digest of the final image at the last successful save or reset; empty before either.
    QByteArray savedChecksum() const;

    /// Whether a fresh rendering of the final image differs from the one last saved or reset.
    bool isModified();

    /// Writes the final image: a "jpg"/"jpeg" suffix gives a JPEG at quality 90, "png" a PNG at
    /// the default compression; any other suffix is refused. The file is replaced only by a
    /// complete write, so a failure keeps an existing file and the saved checksum. On success
    /// the saved checksum becomes the digest of a second rendering. On failure `problem`, when
    /// given, says why.
    bool saveFinalImage(const QString& fileName, QString* problem = nullptr);

    /// Opens a composition: clears the canvas, refreshes the main window's actions and offers
    /// to save a cut-out still being edited before closing it.
    void startComposition();
    /// Closes the composition: refreshes the main window's actions, then `reset`.
    void endComposition();

    /// Renders the final image onto a printer that is already set up (after the print dialog):
    /// centred, as large as the page allows at the canvas's aspect, crop lines included. A
    /// printer that cannot be opened shows "The picture could not be printed." and returns
    /// false. Selection, focus and signal blocking of the scene are restored on every path.
    bool printFinalImage(QPrinter* printer);

signals:
    void canvasChanged(const QRect& newRect, const QRect& oldRect);
    void updateView(const QRect& newRect);
    void frolixReset();

public slots:
    /// Stores `rect` and emits `canvasChanged` then `updateView`, unless it equals the canvas.
    void setCanvasRect(const QRect& rect);
    /// Asks for a printer (landscape for a canvas wider than high) and prints the final image.
    void printSlot();
    /// Resets the canvas to its default size (items stay) and takes the present final image as
    /// the saved one.
    void reset();

private:
    FrolixObject();

    std::unique_ptr<FrolixObjectPrivate> d;
};
