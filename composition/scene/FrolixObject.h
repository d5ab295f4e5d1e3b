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

    /// Opens a composition: clears the canvas, announces `compositionOpenChanged(true)`, then
    /// `cutoutCloseRequested` (a cut-out still being edited is to be closed, after the offer to
    /// save it).
    void startComposition();
    /// Closes the composition: announces `compositionOpenChanged(false)`, then `reset`.
    void endComposition();

    /// Renders the final image onto a printer that is already set up (after the print dialog):
    /// centred, as large as the page allows at the canvas's aspect, crop lines included. A
    /// printer that cannot be opened reports "The picture could not be printed." through
    /// `problemFound` and returns false. Selection, focus and signal blocking of the scene are
    /// restored on every path.
    bool printFinalImage(QPrinter* printer);

signals:
    void canvasChanged(const QRect& newRect, const QRect& oldRect);
    void updateView(const QRect& newRect);
    void frolixReset();
    /// A composition was opened or closed: what the window offers may have changed.
    void compositionOpenChanged(bool open);
    /// The cut-out being edited is to be closed; the window offers to save it first and asks
    /// under `title`.
    void cutoutCloseRequested(const QString& title);
    /// The user asked to add a picture to the composition; the window asks for the file.
    void addImageRequested();
    /// Something the user asked of the composition could not be done; `text` says what, for
    /// the window to show.
    void problemFound(const QString& text);

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
