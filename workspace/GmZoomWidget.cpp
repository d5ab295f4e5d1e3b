#include "workspace/GmZoomWidget.h"

#include "masking/ArrowTarget.h"
#include "masking/GmBrushing.h"
#include "masking/GmRegion.h"
#include "masking/SegmentationStuff.h"
#include "masking/Shape.h"
#include "common/GmColor.h"
#include "common/PersistOptions.h"
#include "workspace/BrushingTool.h"
#include "workspace/ImageGeometry.h"
#include "workspace/GmTool.h"
#include "workspace/ModelPort.h"
#include "workspace/ViewOptions.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QColorDialog>
#include <QPaintEvent>
#include <QPainter>
#include <QSettings>
#include <QSlider>

#include <algorithm>
#include <cmath>

namespace {

const QString backgroundColourKey =
    QStringLiteral("GmZoomWidget/") + QStringLiteral("backgroundColour_");
constexpr double maximumZoom = 4.0;

std::function<QColor(const QColor&)> theColourChooser;

QRectF alignedOutward(QRectF r) {
    alignRectOutward(r);
    return r;
}

// One footprint image for every canvas, kept between paints.
QImage& brushFootprint() {
    static QImage footprint;
    return footprint;
}

} // namespace

GmZoomWidget::GmZoomWidget() : QWidget(nullptr) {
    setBackgroundRole(QPalette::Window);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setAutoFillBackground(false);
    setAcceptDrops(true);

    // An INI file hands back text; anything that is not a number is treated as missing.
    const QVariant stored = QSettings().value(backgroundColourKey);
    bool ok = false;
    const uint rgb = stored.toUInt(&ok);
    setBackgroundColour(ok ? QColor::fromRgb(rgb) : QColor(Qt::white));

    ModelPort* port = ModelPort::instance();
    connect(port, &ModelPort::tellImageChanged, this, &GmZoomWidget::imageChangedSlot);
    connect(port, &ModelPort::rectDirty, this, &GmZoomWidget::rectDirtySlot);
    ToolEvents* tools = ToolEvents::instance();
    connect(tools, &ToolEvents::toolChanged, this, &GmZoomWidget::toolChangedSlot);
    connect(tools, &ToolEvents::cursorChanged, this, &GmZoomWidget::cursorChangedSlot);
    connect(port, &ModelPort::resolutionChanged, this, &GmZoomWidget::resolutionChangedSlot);
    connect(port, &ModelPort::hintOpacityChanged, this, &GmZoomWidget::hintOpacityChangedSlot);
    connect(port, &ModelPort::showOriginal, this, &GmZoomWidget::showOriginalSlot);
    connect(port, &ModelPort::changeBackgroundColour, this,
            &GmZoomWidget::changeBackgroundColourSlot);
}

GmZoomWidget::~GmZoomWidget() {
    // Only a colour the file does not hold yet: a write rewrites and syncs the whole settings
    // file, and the window goes at every exit.
    QSettings settings;
    bool ok = false;
    const uint stored = settings.value(backgroundColourKey).toUInt(&ok);
    if (!ok || stored != backgroundColour_.rgb())
        settings.setValue(backgroundColourKey, backgroundColour_.rgb());
}

void GmZoomWidget::setColourChooser(std::function<QColor(const QColor&)> chooser) {
    theColourChooser = std::move(chooser);
}

QSize GmZoomWidget::sizeHint() const {
    QSize size = zoomedImageSize();
    if (parentWidget())
        size = size.expandedTo(parentWidget()->size());
    return size;
}

QSize GmZoomWidget::zoomedImageSize() const {
    const QPixmap& pixmap = ModelPort::instance()->sourcePixmap();
    if (pixmap.isNull())
        return QSize(0, 0);
    return QSize(int(pixmap.width() * zoom_), int(pixmap.height() * zoom_));
}

void GmZoomWidget::setZoom(double z) {
    z = std::min(z, maximumZoom);
    if (z > 0.0)
        zoom_ = z;
    if (pointerInside_ && !pointerPosIsGlobal_) {
        // The canvas is about to move and grow under a resting pointer; remember the pointer
        // on screen so that the brush outline stays under it.
        pointerPos_ = mapToGlobal(pointerPos_ + displayRect_.topLeft());
        pointerPosIsGlobal_ = true;
    }
    const QSize newSize = sizeHint();
    if (newSize == size()) {
        layoutDisplayRect();
        update();
    }
    emit zoomChanged(zoom_);
    updateGeometry();
    resize(newSize);
}

void GmZoomWidget::layoutDisplayRect() {
    displayRect_ = QRect();
    if (!ModelPort::instance()->hasSourceImage())
        return;
    const QSize z = zoomedImageSize();
    const QSize a = sizeHint();
    const int left = a.width() >= z.width() ? (a.width() - z.width()) / 2 : 0;
    const int top = a.height() >= z.height() ? (a.height() - z.height()) / 2 : 0;
    displayRect_ = QRect(left, top, std::min(z.width(), a.width()), std::min(z.height(), a.height()));
}

void GmZoomWidget::resizeEvent(QResizeEvent*) {
    layoutDisplayRect();
}

void GmZoomWidget::adjustToParent() {
    resize(sizeHint());
}

void GmZoomWidget::fitToRect(const QSizeF& target) {
    const QPixmap& pixmap = ModelPort::instance()->sourcePixmap();
    if (pixmap.isNull()) {
        setZoom(1.0);
        return;
    }
    const QSizeF scaled = QSizeF(pixmap.size()).scaled(target, Qt::KeepAspectRatio);
    setZoom(scaled.width() / pixmap.width());
}

void GmZoomWidget::fitToParent() {
    const QSize parentSize = parentWidget() ? parentWidget()->size() : size();
    const double factor = double(0.85f);
    fitToRect(QSizeF(std::floor(parentSize.width() * factor + 0.5),
                     std::floor(parentSize.height() * factor + 0.5)));
}

void GmZoomWidget::showEvent(QShowEvent* event) {
    if (fitOnShow_) {
        fitToParent();
        fitOnShow_ = false;
    }
    QWidget::showEvent(event);
}

void GmZoomWidget::setBackgroundColour(const QColor& colour) {
    if (colour == backgroundColour_)
        return;
    backgroundColour_ = colour;
    setStyleSheet(QStringLiteral("background-color: ") + colour.name() + QStringLiteral(" ;"));
    update();
}

void GmZoomWidget::imageChangedSlot() {
    if (isVisible()) {
        fitToParent();
        fitOnShow_ = false;
    } else {
        fitOnShow_ = true;
    }
    update();
}

void GmZoomWidget::rectDirtySlot(const QRectF& imageRect, int hint) {
    QRectF r(imageRect.topLeft() * zoom_, imageRect.bottomRight() * zoom_);
    if (hint == 1)
        r = grownRect(r, 2.0);
    else if (hint == 2)
        r = grownRect(r, 4.5);
    update(alignedOutward(r).toRect().translated(displayRect_.topLeft()));
}

void GmZoomWidget::toolChangedSlot(const GmTool* tool) {
    setCursor(tool ? tool->cursor() : QCursor(Qt::ArrowCursor));
    update();
}

void GmZoomWidget::cursorChangedSlot(const QCursor* cursor) {
    if (cursor)
        setCursor(*cursor);
    updateBrushCursor();
}

void GmZoomWidget::viewTabChangedSlot(int tab) {
    const int mode = tab == 2 ? 1 : -1;
    if (mode == viewMode_)
        return;
    viewMode_ = mode;
    // The first tab change arrives while the view is being built, before any tool exists.
    if (theCurrentTool && (theCurrentTool->viewTabs() & tab) != 0)
        setCursor(theCurrentTool->cursor());
    else
        setCursor(Qt::ArrowCursor);
    update();
}

void GmZoomWidget::resolutionChangedSlot(int, int) {
    // The brush covers other screen pixels now, even where its size in working pixels stays.
    updateBrushCursor();
}

void GmZoomWidget::hintOpacityChangedSlot() {
    hintOpacity_ += 0.33333334f;
    if (hintOpacity_ > 0.7f)
        hintOpacity_ = 0.0f;
    update();
}

void GmZoomWidget::showOriginalSlot() {
    showingOriginal_ = !showingOriginal_;
    update();
}

void GmZoomWidget::changeBackgroundColourSlot() {
    const QColor chosen = theColourChooser
                              ? theColourChooser(backgroundColour_)
                              : QColorDialog::getColor(backgroundColour_, nullptr, QString());
    if (chosen.isValid())
        setBackgroundColour(chosen);
}

void GmZoomWidget::paintEvent(QPaintEvent* event) {
    if (viewMode_ == -1)
        return;
    QPainter painter(this);
    const QRect eventRect = event->rect();
    ModelPort* port = ModelPort::instance();
    if (!port->hasSourceImage() || !displayRect_.isValid()) {
        painter.fillRect(eventRect, backgroundColour_);
        paintWash(painter, eventRect);
        return;
    }
    if (displayRect_.topLeft() != QPoint(0, 0) && !displayRect_.contains(eventRect))
        painter.fillRect(eventRect, backgroundColour_);

    QTransform imageToWidget;
    imageToWidget.translate(displayRect_.left(), displayRect_.top());
    imageToWidget.scale(zoom_, zoom_);
    const QTransform widgetToImage = imageToWidget.inverted();
    const QRectF exposedImageRect = widgetToImage.mapRect(QRectF(eventRect));
    const QRectF visibleExposedRect = widgetToImage.mapRect(QRectF(eventRect & displayRect_));

    painter.setTransform(imageToWidget);
    if (visibleExposedRect.width() > 0 && visibleExposedRect.height() > 0) {
        painter.fillRect(visibleExposedRect, backgroundColour_);
        painter.setOpacity(showingOriginal_ ? 1.0 : double(hintOpacity_));
        painter.drawImage(visibleExposedRect, port->sourceImage(), visibleExposedRect);
        painter.setOpacity(1.0);
        if (!port->outputImage().isNull())
            painter.drawImage(visibleExposedRect, port->outputImage(), visibleExposedRect);
    }
    if (port->hasModel()) {
        if (visibleExposedRect.width() > 0 && visibleExposedRect.height() > 0)
            paintVectorEdges(painter, visibleExposedRect);
        paintOutlines(painter, exposedImageRect);
        if (visibleExposedRect.width() > 0 && visibleExposedRect.height() > 0)
            paintStrokes(painter, visibleExposedRect);
    }
    paintBrushOutline(painter, exposedImageRect);
    painter.resetTransform();
    paintWash(painter, eventRect);
}

void GmZoomWidget::paintVectorEdges(QPainter& painter, const QRectF& visibleExposedRect) {
    if (!theViewOptions || !theViewOptions->showsVectorEdges())
        return;
    // A region with edges of its own shows those; otherwise the image's edges show.
    ModelPort* port = ModelPort::instance();
    const SegmentationStuff* holder = port->imageSegmentation();
    if (GmRegion* region = port->activeRegion())
        if (!region->smeg().vectorEdges().isEmpty())
            holder = &region->smeg();
    if (!holder)
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::blue, 0));
    holder->vectorEdges().paint(&painter, visibleExposedRect);
}

void GmZoomWidget::paintOutlines(QPainter& painter, const QRectF& exposedImageRect) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    const QList<ArrowTarget*> targets = ModelPort::instance()->arrowTargets();
    for (ArrowTarget* target : targets) {
        tq::Shape* shape = target->shape();
        if (!shape)
            continue;
        painter.setPen(QPen(target->arrowStyle(), 0));
        // Without a current tool (at start-up) the outlines take the plain style.
        const int style = theCurrentTool ? theCurrentTool->regionOutlineStyle(target) : 3;
        shape->paint(painter, exposedImageRect, style, 0, 5.0 / zoom_);
    }
}

void GmZoomWidget::paintStrokes(QPainter& painter, const QRectF& visibleExposedRect) {
    ModelPort* port = ModelPort::instance();
    const QList<GmBrushing*> strokes = port->strokes();
    if (strokes.isEmpty())
        return;
    QColor colour(Qt::blue);
    if (theOptions)
        if (GmColor* setting = theOptions->color(PersistOptions::PatchOrForcedEdge))
            colour = setting->color();
    // The strokes show as translucent as the status colours; an empty colour table counts as
    // no status image.
    const QImage status = port->statusImage();
    const QVector<QRgb> table = status.colorTable();
    colour.setAlpha(status.isNull() || table.isEmpty() ? 128 : std::max(qAlpha(table.at(0)), 30));
    for (GmBrushing* stroke : strokes) {
        painter.setPen(QPen(colour, 0));
        stroke->brushing().paint(painter, visibleExposedRect, 2, 1, 0.0);
    }
}

void GmZoomWidget::paintBrushOutline(QPainter& painter, const QRectF& exposedImageRect) {
    if (!theCurrentTool || !theCurrentTool->isBrush() || !(pointerInside_ || brushSliderHeld()))
        return;
    const double resolution = ModelPort::instance()->resolution();
    const double s = zoom_ * resolution;
    const double r = BrushingTool::brushSize() * 0.5;
    const QPointF c = QPointF(pointerPosition()) / s;
    const QRectF brush(c.x() - r, c.y() - r, 2 * r, 2 * r);
    const double half = std::max(r, 8.0 / s);
    const QRectF bounds(c.x() - half, c.y() - half, 2 * half, 2 * half);
    const QRectF exposedWorking(exposedImageRect.topLeft() / resolution,
                                exposedImageRect.bottomRight() / resolution);
    if (!bounds.intersects(exposedWorking))
        return;

    QTransform workingToWidget;
    workingToWidget.translate(displayRect_.left(), displayRect_.top());
    workingToWidget.scale(s, s);
    painter.setTransform(workingToWidget);
    const QColor k = theCurrentTool->cursorColour();

    if (s >= 5.0) {
        QImage& footprint = brushFootprint();
        const int w = int(2 * r + 3);
        if (footprint.isNull() || w > footprint.width()) {
            // Grows by at least a factor of 1.414, and always to at least the brush's side: a jump
            // from a small to a large brush must not draw past the image's end.
            const int side = footprint.isNull()
                                 ? w
                                 : std::max(w, int(std::lround(footprint.width() * 1.414)));
            footprint = QImage(side, side, QImage::Format_Mono);
        }
        QColor shade = k;
        shade.setAlpha(45);
        footprint.setColorTable({0x00000000u, shade.rgba()});
        footprint.fill(0);
        const QPointF corner(std::floor(c.x() - r), std::floor(c.y() - r));
        {
            QPainter dot(&footprint);
            QPen pen(Qt::white);
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setCapStyle(Qt::RoundCap);
            pen.setWidthF(BrushingTool::brushSize());
            dot.setPen(pen);
            dot.drawPoint(c - corner + QPointF(1, 1));
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawImage(corner - QPointF(1, 1), footprint, QRectF(0, 0, w, w));
    }

    const double u = 1.0 / s;
    painter.setRenderHint(QPainter::Antialiasing, false);
    QColor solid = k;
    solid.setAlpha(255);
    // Over the active region the centre is a square (the stroke stays in the region); elsewhere
    // a crosshair with an open centre. The white lines keep either visible on any photograph.
    GmRegion* region = ModelPort::instance()->activeRegion();
    tq::Shape* regionShape = region ? region->shape() : nullptr;
    if (regionShape && regionShape->contains(c * resolution)) {
        const double d = 12 * u * 0.4;
        const QRectF square(c.x() - d, c.y() - d, 2 * d, 2 * d);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 0));
        painter.drawRect(grownRect(square, u));
        painter.drawRect(grownRect(square, -u));
        painter.setPen(QPen(solid, 0));
        painter.drawRect(square);
    } else {
        const QPointF directions[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        for (const QPointF& d : directions) {
            const QPointF side(-d.y(), d.x());
            painter.setPen(QPen(Qt::white, 0));
            painter.drawLine(QLineF(c + d * 3 * u, c + d * 9 * u));
            painter.drawLine(QLineF(c + side * u + d * 4 * u, c + side * u + d * 8 * u));
            painter.drawLine(QLineF(c - side * u + d * 4 * u, c - side * u + d * 8 * u));
            painter.setPen(QPen(solid, 0));
            painter.drawLine(QLineF(c + d * 4 * u, c + d * 8 * u));
        }
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    const double margin = 0.1 / s;
    painter.setPen(QPen(Qt::black, 0));
    painter.drawEllipse(grownRect(brush, margin));
    painter.setPen(QPen(Qt::white, 0));
    painter.drawEllipse(grownRect(brush, -margin));
    QColor ring = k;
    ring.setAlpha(220);
    painter.setPen(QPen(ring, 0));
    painter.drawEllipse(brush);

    brushCursorRect_ = brushOutlineRect();
}

QRect GmZoomWidget::brushOutlineRect() const {
    const double s = zoom_ * ModelPort::instance()->resolution();
    const double half = std::max(BrushingTool::brushSize() * 0.5, 8.0 / s);
    const QPointF c = QPointF(pointerPosition()) / s;
    const QRectF working = alignedOutward(grownRect(QRectF(c.x() - half, c.y() - half, 2 * half, 2 * half), 0.5));
    const QRectF widget(working.topLeft() * s, working.bottomRight() * s);
    return alignedOutward(grownRect(widget, 1.0)).toRect().translated(displayRect_.topLeft());
}

bool GmZoomWidget::brushSliderHeld() const {
    return theBrushSizeSlider && theBrushSizeSlider->isSliderDown();
}

void GmZoomWidget::paintWash(QPainter& painter, const QRect& eventRect) {
    if (!washAction_) {
        // A diagnostic aid: Shift+F6 tints every repainted area, a different shade each time.
        washAction_ = new QAction(QStringLiteral("wash"), this);
        washAction_->setCheckable(true);
        washAction_->setShortcut(QKeySequence(QStringLiteral("Shift+F6")));
        addAction(washAction_);
    }
    if (!washAction_->isChecked())
        return;
    static int level = 255;
    static int step = 15;
    level += step;
    if (level > 255 || level < 0) {
        level = std::clamp(level, 0, 255);
        step = -step;
    }
    const QColor wash(level, level, 0, 70);
    const QRegion clip = painter.clipRegion();
    if (clip.rectCount() == 0) {
        painter.fillRect(eventRect, wash);
        return;
    }
    for (const QRect& rect : clip)
        painter.fillRect(rect, wash);
}
