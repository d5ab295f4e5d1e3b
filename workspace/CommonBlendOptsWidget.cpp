#include "workspace/CommonBlendOptsWidget.h"

#include "masking/GmRegion.h"
#include "masking/TqSourceImage.h"
#include "common/Product.h"
#include "masking/BlendingStuff.h"
#include "workspace/ModelPort.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

constexpr int lastRatioPosition = 8;

BlendingOptions* imageWideOptions() {
    return ModelPort::instance()->imageBlendingOptions();
}

} // namespace

CommonBlendOptsWidget::CommonBlendOptsWidget(bool persist) : BlendOptsWidget(persist) {
    widthLabels = QStringList{tr("None"), tr("Thin"), tr("Medium"), tr("Thick")};
    widths = QList<float>{0.0f, 0.15f, 0.75f, 1.5f};
    ratioLabels = QStringList{QStringLiteral("5:0"), QStringLiteral("4:1"), QStringLiteral("3:1"),
                              QStringLiteral("2:1"), QStringLiteral("1:1"), QStringLiteral("1:2"),
                              QStringLiteral("1:3"), QStringLiteral("1:4"), QStringLiteral("0:5")};
    widthKey = QStringLiteral("Blend Width");
    ratioKey = QStringLiteral("Intelligent Blending");
    widthText = tr(widthKey.toLocal8Bit().constData());
    ratioText = tr(ratioKey.toLocal8Bit().constData());
    // The model may not exist yet at start-up; it is made here, and the port follows it.
    connect(ModelPort::withModel(), &ModelPort::modelImageChanged, this,
            &CommonBlendOptsWidget::imageChangedSlot);
    ensureBuilt();
}

CommonBlendOptsWidget::~CommonBlendOptsWidget() {
    const bool keep = persist && persistOptionsPreference();
    if (widthBox)
        widthBox->persist = keep;
    if (ratioSlider)
        ratioSlider->persist = keep;
}

QString CommonBlendOptsWidget::edgeBlendingTitle(bool untranslated) {
    if (untranslated)
        return QStringLiteral("Edge Blending");
    return QCoreApplication::translate("TqApp", "Edge Blending", "[tq3]");
}

void CommonBlendOptsWidget::ensureBuilt() {
    if (!layout()) {
        auto* box = new QVBoxLayout(this);
        box->setContentsMargins(0, 0, 0, 0);
        buildControls(box);
    }
    BlendingOptions* record = nullptr;
    if (GmRegion* region = ModelPort::instance()->activeRegion())
        record = &region->blendage().options;
    else
        record = imageWideOptions();
    if (persist && persistOptionsPreference()) {
        storeOptions(record);
        showRatioTitle(ratioSlider->value());
    } else
        loadOptions(record);
}

void CommonBlendOptsWidget::buildControls(QBoxLayout*) {
    const bool p = persist && persistOptionsPreference();

    widthRow = new QWidget;
    cleanupHandler.add(widthRow);
    widthRow->setToolTip(tr("Thickness of automatically created blend mask"));
    widthRow->setWhatsThis(
        QStringLiteral("<p><b>%1&mdash;%2</b></p>%3")
            .arg(edgeBlendingTitle(), widthText, QString()) +
        tr("<p>Determines the thickness of <b>Blend</b> automatically created at the edges of "
           "<b>Delete</b> whenever <b>Delete</b> is painted in the image.</p><p><b>Blend</b> "
           "separates the old background colors in your image from the edges of your product or "
           "object so you get a natural fit when placing the product over a new background "
           "later.</p>") +
        tr("<p>Use the drop down menu to select one of the following options:</p><ul><li><b>None"
           "</b>: No blend mask will be applied.</li><li><b>Thin</b>: A thin blend mask will be "
           "applied.</li><li><b>Medium</b>: A medium-thickness blend mask will be applied to "
           "edges that are less sharp.</li><li><b>Thick</b>: A blend mask with a thickness "
           "appropriate to the sharpness of the edge will be applied.</li></ul><p><b><i>"
           "Consider: </i></b>Using Thin blend mask when there is a lot of noise on an edge "
           "(such as with compression artifacts) and using Thick blend mask on clean edges where "
           "you want to bring out all the edge detail (such as an edge going into and out of "
           "focus).</p>"));
    auto* widthLayout = new QHBoxLayout(widthRow);
    widthLayout->setContentsMargins(0, 0, 0, 0);
    widthLayout->addWidget(new QLabel(widthText + QStringLiteral(": "), widthRow));
    widthBox = new PersistentWidget<QComboBox, QString>(QStringLiteral("BlendingOptions"),
                                                        widthKey, tr("Thin"), p);
    const QString stored = widthBox->currentText();
    widthBox->removeItem(0);
    widthBox->addItems(widthLabels);
    const int storedIndex = widthBox->findText(stored, Qt::MatchExactly | Qt::MatchCaseSensitive);
    widthBox->setCurrentIndex(storedIndex >= 0 ? storedIndex : 0);
    widthLayout->addWidget(widthBox);
    connect(widthBox.data(), QOverload<int>::of(&QComboBox::activated), this,
            &CommonBlendOptsWidget::autoBlueWidthChangedSlot);

    ratioRow = new QWidget;
    cleanupHandler.add(ratioRow);
    ratioRow->setToolTip(tr("Ratio of Feather and Smart blending across the edge"));
    ratioRow->setWhatsThis(
        QStringLiteral("<p><b>%1&mdash;%2</b></p>").arg(edgeBlendingTitle(), ratioText) +
        tr("<p>%1 has two methods for blending the edges along the cut-out border:</p><ul><li><b>"
           "Feather</b>: simple, even transition across the edge which ignores the character of "
           "the edge.</li><li><b>Smart</b>: uses the characteristics of color and texture "
           "variations around and across an edge.</li></ul><p>Use the slider in the <b>Edge "
           "Blending</b> palette to set the ratio of <b>Feather</b> to <b>Smart</b> blending. "
           "Moving the slider towards Smart blending ensures that for average color and texture "
           "variations across an edge, Smart blending will be automatically selected. Set the "
           "slider the other way and for average variations Feather blending will be selected."
           "</p><p><b><i>Note</i></b>: <b>Smart</b> blending typically produces higher quality "
           "results. However, if an edge has low contrast or a lot of noise (extreme color and "
           "texture variations), the edge produced may be uneven. In such circumstances, <b>"
           "Feather</b> blending should be used.</p>")
            .arg(productDisplayName()));
    auto* ratioLayout = new QHBoxLayout(ratioRow);
    ratioLayout->setContentsMargins(0, 0, 0, 0);
    ratioTitle = new QLabel(ratioRow);
    ratioLayout->addWidget(ratioTitle);
    ratioLayout->addSpacing(7);
    ratioLayout->addWidget(new QLabel(tr("Feather  "), ratioRow));
    ratioSlider = new PersistentWidget<QSlider, int>(QStringLiteral("BlendingOptions"), ratioKey,
                                                     0, p);
    ratioSlider->setOrientation(Qt::Horizontal);
    ratioSlider->setMinimum(0);
    ratioSlider->setMaximum(ratioLabels.size() - 1);
    ratioSlider->setSingleStep(1);
    ratioLayout->addWidget(ratioSlider);
    ratioLayout->addWidget(new QLabel(tr("  Smart"), ratioRow));
    connect(ratioSlider.data(), &QSlider::valueChanged, this,
            &CommonBlendOptsWidget::blendRatioChangedBySliderSlot);
}

int CommonBlendOptsWidget::nearestWidthIndex(float width) const {
    if (!std::isfinite(width))
        width = 0.75f;
    int best = 0;
    float bestDistance = std::numeric_limits<float>::infinity();
    for (int i = 0; i < widths.size(); ++i) {
        const float distance = std::fabs(widths.at(i) - width);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

int CommonBlendOptsWidget::ratioPosition(float ratio) {
    if (!std::isfinite(ratio))
        ratio = 0.2f;
    // Kept to the slider's range before the conversion, so a damaged ratio cannot overflow it.
    const double position = 8.0 * (1.0 - double(ratio)) + 0.5;
    return int(qBound(0.0, position, double(lastRatioPosition)));
}

void CommonBlendOptsWidget::loadOptions(BlendingOptions* options) {
    if (!options)
        return;
    const int index = nearestWidthIndex(options->autoBlueWidthF_);
    if (widthBox)
        widthBox->setCurrentIndex(index);
    options->autoBlueWidthF_ = widths.at(index);
    const int p = ratioPosition(options->blendRatioF_);
    if (ratioSlider) {
        // The slider's own signal would store the ratio in the image-wide record, whichever
        // record is being shown.
        const QSignalBlocker blocker(ratioSlider.data());
        ratioSlider->setValue(p);
    }
    tracksImage = options->isPatchBlendRatioTrackingImage_;
    if (options == imageWideOptions()) {
        setRatioPosition(p);
    } else {
        showRatioTitle(p);
        options->blendRatioF_ = 1.0f - float(p) / 8.0f;
    }
}

void CommonBlendOptsWidget::storeOptions(BlendingOptions* options) {
    if (!options)
        return;
    const int index = widthBox ? qBound(0, widthBox->currentIndex(), int(widths.size()) - 1) : 0;
    options->autoBlueWidthF_ = widths.at(index);
    const int position = ratioSlider ? ratioSlider->value() : 0;
    options->blendRatioF_ = 1.0f - float(position) / 8.0f;
    options->isPatchBlendRatioTrackingImage_ = tracksImage;
}

void CommonBlendOptsWidget::setRatioPosition(int p) {
    p = qBound(0, p, lastRatioPosition);
    showRatioTitle(p);
    const float r = 1.0f - float(p) / 8.0f;
    if (BlendingOptions* options = imageWideOptions())
        options->blendRatioF_ = r;
    ModelPort::instance()->announceImageBlendRatio(r);
}

void CommonBlendOptsWidget::showRatioTitle(int p) {
    p = qBound(0, p, lastRatioPosition);
    ratioTitle->setText(QStringLiteral("%1:    %2").arg(ratioText, ratioLabels.at(p)));
}

void CommonBlendOptsWidget::setImageWidth(int index) {
    if (index < 0 || index >= widths.size())
        return;
    if (BlendingOptions* options = imageWideOptions())
        options->autoBlueWidthF_ = widths.at(index);
}

void CommonBlendOptsWidget::setAutoBlueWidthToChoice(CommonBlendOptsWidget::BlendWidths w) {
    setImageWidth(int(w));
}

void CommonBlendOptsWidget::autoBlueWidthChangedSlot(int index) {
    setImageWidth(index);
}

void CommonBlendOptsWidget::blendRatioChangedBySliderSlot(int position) {
    setRatioPosition(position);
}

void CommonBlendOptsWidget::setBinaryBlendRatio(bool soften) {
    setRatioPosition(soften ? 0 : lastRatioPosition);
}

void CommonBlendOptsWidget::imageChangedSlot() {
    loadOptions(imageWideOptions());
}
