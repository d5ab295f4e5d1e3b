#include "masking/GmStatusArray.h"

#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/JxCmdClearUndoRedo.h"
#include "masking/JxCmdSelect.h"
#include "masking/JxCmdSetStatus.h"
#include "masking/OstrivalThread.h"
#include "masking/PixelState.h"
#include "masking/Shape.h"
#include "common/GmColor.h"
#include "common/PersistOptions.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr double highlightFloor = 0.85;

}  // namespace

GmStatusArray::GmStatusArray(QObject* parent) : QObject(parent) {
    qRegisterMetaType<JxPixelStatus>("JxPixelStatus");
    highlightColour_ = displayColour(PersistOptions::ColorWorkspaceHighlight, Qt::yellow);
    if (theOptions) {
        for (auto index : {PersistOptions::KeepMask, PersistOptions::DeleteMask,
                           PersistOptions::BlendMask, PersistOptions::PatchProtection})
            if (GmColor* colour = theOptions->color(index))
                connect(colour, &GmColor::colorChanged, this, &GmStatusArray::setColours);
        if (GmColor* colour = theOptions->color(PersistOptions::ColorWorkspaceHighlight))
            connect(colour, &GmColor::colorChanged, this, &GmStatusArray::highlightColourChanged);
    }
}

GmStatusArray::~GmStatusArray() = default;

QColor GmStatusArray::displayColour(int index, Qt::GlobalColor fallback) const {
    if (theOptions)
        if (GmColor* colour = theOptions->color(PersistOptions::ColorIndex(index)))
            return colour->color();
    return QColor(fallback);
}

double GmStatusArray::overlayOpacity() {
    return 0.5;
}

QRgb GmStatusArray::overlayColour(const QColor& colour, double floor, double opacity) {
    const double g = (1.0 - floor) * opacity + floor;
    QColor hsv = colour.toHsv();
    qreal hue = 0, saturation = 0, value = 0, alpha = 0;
    hsv.getHsvF(&hue, &saturation, &value, &alpha);
    hsv.setHsvF(hue, saturation * std::sqrt(g), value, g);
    return hsv.rgba();
}

QVector<QRgb> GmStatusArray::colourTable() const {
    const double opacity = overlayOpacity();
    QVector<QRgb> table(256, 0x00000000u);
    table[0] = overlayColour(Qt::white, 0.0, opacity);
    table[JxStatusDelete] = overlayColour(displayColour(PersistOptions::DeleteMask, Qt::red), 0.0,
                                          opacity);
    table[JxStatusBlend] = overlayColour(displayColour(PersistOptions::BlendMask, Qt::blue), 0.0,
                                         opacity);
    table[JxStatusProtected] =
        overlayColour(displayColour(PersistOptions::PatchProtection, Qt::white), 0.0, opacity);
    for (int i = 15; i < 256; ++i)
        table[i] = (i & JxStatusProtected) ? table[JxStatusProtected]
                                           : table[i & JxStatusClassMask];
    return table;
}

void GmStatusArray::setStatusImage(JxImage* engineImage) {
    if (statusesPresent_ != 0) {
        statusesPresent_ = 0;
        emit statusesPresentChanged(0);
    }
    engineImage_ = engineImage;
    if (!engineImage || !engineImage->data || engineImage->width <= 0 ||
        engineImage->height <= 0 || engineImage->stride < engineImage->width) {
        engineImage_ = nullptr;
        statusImage_ = QImage();
        highlightMask_ = QImage();
        snapshot_ = QImage();
        return;
    }
    // The engine's rows need not be 4-byte aligned as QImage's default assumes: pass its stride.
    statusImage_ = QImage(engineImage->data, engineImage->width, engineImage->height,
                          engineImage->stride, QImage::Format_Indexed8);
    highlightMask_ = QImage(engineImage->width, engineImage->height, QImage::Format_Mono);
    highlightMask_.fill(0);
    highlightMask_.setColorTable({0x00FFFFFFu, 0x00FFFFFFu});
    setColours();

    if (OstrivalThread* thread = theEngineThread) {
        GmModel* model = GmModel::instance();
        thread->submit(new JxCmdSelect(model, nullptr, JxStatusAllClasses, JxStatusKeep), true);
        thread->submit(new JxCmdClearUndoRedo(model));
    }
    restoreSavedStatuses();
    rescan();
}

void GmStatusArray::restoreSavedStatuses() {
    if (savedStatuses_.isNull())
        return;
    if (OstrivalThread* thread = theEngineThread)
        thread->submit(new JxCmdSetStatus(GmModel::instance(), savedStatuses_.copy()));
    savedStatuses_ = QImage();
}

void GmStatusArray::rescan() {
    JxPixelStatus present = 0;
    if (!statusImage_.isNull()) {
        const int width = statusImage_.width();
        bool allClassesSeen = false;
        for (int y = 0; y < statusImage_.height() && !allClassesSeen; ++y) {
            const uchar* row = statusImage_.constScanLine(y);
            for (int x = 0; x < width; ++x) {
                present |= row[x];   // a 0 byte adds nothing
                if ((present & JxStatusAllClasses) == JxStatusAllClasses) {
                    allClassesSeen = true;
                    break;
                }
            }
        }
    }
    if (present != statusesPresent_) {
        statusesPresent_ = present;
        emit statusesPresentChanged(present);
    }
    snapshot_ = statusImage_.copy();
    emit statusChanged();
}

void GmStatusArray::markCurrentPreviews(GmRegion* region) {
    tq::Shape* shape = region ? region->shape() : nullptr;
    const PixelState* state = shape ? shape->pixelState() : nullptr;
    if (!state || !state->mask() || !engineImage_ || statusImage_.isNull() ||
        !state->savedSettings.isValid())
        return;
    if (state->savedSettings != region->blendage().toVariant() ||
        state->differsFromStatus(statusImage_))
        return;
    const QImage& mask = *state->mask();
    const QRect inside = QRect(mask.offset(), mask.size()) & statusImage_.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const uchar* maskRow = mask.constScanLine(y - mask.offset().y());
        // The engine's own bytes: a write through the QImage could land in a detached copy.
        unsigned char* statusRow = engineImage_->data + std::ptrdiff_t(y) * engineImage_->stride;
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (maskRow[x - mask.offset().x()])
                statusRow[x] |= JxStatusPreviewCurrent;
    }
}

void GmStatusArray::setColours() {
    if (!statusImage_.isNull())
        statusImage_.setColorTable(colourTable());
    if (!highlightMask_.isNull())
        highlightMask_.setColor(1, overlayColour(highlightColour_, highlightFloor, overlayOpacity()));
    snapshot_ = statusImage_.copy();
    if (GmModel* model = GmModel::existing())
        model->signalDirtyImageSlot(NoPatchPreview);
}

void GmStatusArray::highlightColourChanged(QColor colour) {
    highlightColour_ = colour;
    if (!highlightMask_.isNull())
        highlightMask_.setColor(1, overlayColour(colour, highlightFloor, overlayOpacity()));
    if (GmModel* model = GmModel::existing())
        model->refreshActiveRegionOverlay();
}
