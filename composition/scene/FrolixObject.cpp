#include "composition/scene/FrolixObject.h"

#include "composition/scene/FinalImageAssembler.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/ItemScene.h"
#include "composition/scene/SceneRenderScope.h"
#include "common/ShellUtilities.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImageWriter>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

namespace {

// The printer outlives single prints so that the printer and paper chosen last are offered
// again. It is a child of the application object, so it goes before the application does.
class PrinterKeeper : public QObject {
public:
    explicit PrinterKeeper(QObject* parent)
        : QObject(parent), printer(QPrinter::HighResolution) {}
    QPrinter printer;
};

}  // namespace

class FrolixObjectPrivate {
public:
    QPointer<QGraphicsScene> scene;
    QRect canvasRect;
    QByteArray savedChecksum;
    bool compositionOpen = true;
    QPointer<PrinterKeeper> printerKeeper;
};

FrolixObject* FrolixObject::instance() {
    static FrolixObject document;
    return &document;
}

FrolixObject::FrolixObject() : d(std::make_unique<FrolixObjectPrivate>()) {}

FrolixObject::~FrolixObject() = default;

QGraphicsScene* FrolixObject::scene() const { return d->scene; }
void FrolixObject::setScene(QGraphicsScene* scene) { d->scene = scene; }
QRect FrolixObject::canvasRect() const { return d->canvasRect; }
bool FrolixObject::isCompositionOpen() const { return d->compositionOpen; }
QByteArray FrolixObject::savedChecksum() const { return d->savedChecksum; }

void FrolixObject::setCanvasRect(const QRect& rect) {
    if (rect == d->canvasRect)
        return;
    const QRect old = d->canvasRect;
    d->canvasRect = rect;
    emit canvasChanged(rect, old);
    emit updateView(rect);
}

bool FrolixObject::isModified() { return pixmapChecksum(renderFinalPixmap()) != d->savedChecksum; }

bool FrolixObject::saveFinalImage(const QString& fileName, QString* problem) {
    auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return false;
    };
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    QByteArray format;
    int quality = -1;   // PNG: the writer's default compression
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        format = "jpg";
        quality = 90;
    } else if (suffix == QLatin1String("png")) {
        format = "png";
    } else {
        return fail(tr("Only JPEG and PNG pictures can be saved."));
    }
    const QPixmap pixmap = renderFinalPixmap();
    if (pixmap.isNull())
        return fail(tr("There is no picture to save."));
    // Encoded in memory first: a writer that meets a failing device abandons what it holds
    // (the PNG writer leaks), and only a plain write tells a full disk apart.
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.setQuality(quality);
        if (!writer.write(pixmap.toImage()))
            return fail(writer.errorString());
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    // A write cut short by a full disk sets no error (or one without words), and the last
    // flush's shortfall would be committed anyway: the bytes on disk must be all the bytes.
    if (file.write(encoded) != encoded.size() || !file.flush() || file.size() != encoded.size()) {
        file.cancelWriting();
        return fail(tr("Not all of the picture could be written. The disk may be full."));
    }
    if (!file.commit())
        return fail(file.errorString());
    d->savedChecksum = pixmapChecksum(renderFinalPixmap());
    return true;
}

void FrolixObject::startComposition() {
    d->compositionOpen = true;
    ItemController::instance()->clearAll();
    emit compositionOpenChanged(true);
    emit cutoutCloseRequested(tr("Closing cut-out", "[all]"));
}

void FrolixObject::endComposition() {
    d->compositionOpen = false;
    emit compositionOpenChanged(false);
    reset();
}

void FrolixObject::reset() {
    emit frolixReset();
    d->savedChecksum = pixmapChecksum(renderFinalPixmap());
}

void FrolixObject::printSlot() {
    if (!d->printerKeeper)
        d->printerKeeper = new PrinterKeeper(QCoreApplication::instance());
    QPrinter* printer = &d->printerKeeper->printer;
    const QRect canvas = d->canvasRect;
    printer->setPageOrientation(canvas.width() > canvas.height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    FrolixWidget* view = compositionViewOf(d->scene);
    QPrintDialog dialog(printer, view ? view->window() : nullptr);
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    dialog.setWindowTitle(tr("Print Image", "[zol]"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    printFinalImage(printer);
}

bool FrolixObject::printFinalImage(QPrinter* printer) {
    QPainter painter;
    bool printed = printer && painter.begin(printer);
    if (printed) {
        const QRect viewport = painter.viewport();
        const QSize size =
            QSizeF(d->canvasRect.size()).scaled(QSizeF(viewport.size()), Qt::KeepAspectRatio).toSize();
        const QPoint centre = viewport.center();
        const QRect target(centre.x() - size.width() / 2, centre.y() - size.height() / 2,
                           size.width(), size.height());
        if (d->scene && !size.isEmpty()) {
            SceneRenderScope quiet(d->scene);
            d->scene->render(&painter, QRectF(target), QRectF(d->canvasRect), Qt::KeepAspectRatio);
        }
        printed = painter.end();
    }
    if (!printed)
        emit problemFound(tr("The picture could not be printed."));
    return printed;
}
