#include "workspace/EdgeDetectionOptions.h"

#include "masking/GmRegion.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "common/Product.h"
#include "workspace/BlendOptsWidget.h"
#include "workspace/ModelPort.h"
#include "masking/EDOs.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QToolButton>

namespace {

constexpr int lowestWidth = 1;
constexpr int highestWidth = 32;

// The Defaults button follows the options this analysis applies: now, and again once it is
// done.
void analyseFor(EdgeDetectionOptions* panel, SegmentationStuff* segmentation) {
    segmentation->analyse(panel, [panel] { panel->setEnablednessOfButtons(); });
}

} // namespace

EdgeDetectionOptions::EdgeDetectionOptions(bool persist, bool autoApply)
    : QWidget(nullptr), persist(persist), autoApply(false) {
    sensitivityText = tr("Number of Edges", "[tq3]");
    widthText = tr("Edge Width Threshold", "[tq3]");
    contrastText = tr("Edge Contrast", "[tq3]");
    textureText = tr("Filter-out Texture", "[tq3]");
    buildControls();

    // The model is made here when none exists yet.
    ModelPort* port = ModelPort::withModel();
    if (persist && BlendOptsWidget::persistOptionsPreference()) {
        takeValuesFromControls(port->imageSegmentation());
    } else {
        segmentation = port->imageSegmentation();
        edos = segmentation ? &segmentation->options() : nullptr;
        showValues(edos);
    }
    connect(port, &ModelPort::resolutionChanged, this, &EdgeDetectionOptions::resolutionChangedSlot);
    connect(port, &ModelPort::modelImageChanged, this, &EdgeDetectionOptions::imageChangedSlot);
    connect(port, &ModelPort::sessionBegun, this, &EdgeDetectionOptions::sessionHasBegunSlot);
    connect(port, &ModelPort::activeRegionChanged, this,
            &EdgeDetectionOptions::activeRegionChangedSlot);
    connect(port, &ModelPort::ownSegmentationStatusChanged, this,
            &EdgeDetectionOptions::activeRegionChangedSlot);
    // Only now: building and binding push values, which must not start an edge finding.
    this->autoApply = autoApply;
}

EdgeDetectionOptions::~EdgeDetectionOptions() {
    const bool keep = persist && BlendOptsWidget::persistOptionsPreference();
    for (auto* slider : {&widthSlider, &sensitivitySlider})
        if (*slider)
            (*slider)->persist = keep;
    for (auto* button : {&contrastHigh, &contrastMedium, &contrastLow, &textureCoarse,
                         &textureMedium, &textureFine})
        if (*button)
            (*button)->persist = keep;
}

QString EdgeDetectionOptions::showDeleteEdgesText(bool untranslated) {
    if (untranslated)
        return QStringLiteral("Show Delete Edges");
    return QCoreApplication::translate("TqApp", "Show Delete Edges", "[frolix]");
}

void EdgeDetectionOptions::paintEvent(QPaintEvent*) {
    paintStyledBackground(this);
}

void EdgeDetectionOptions::buildControls() {
    const bool p = persist && BlendOptsWidget::persistOptionsPreference();
    buildWidthRow(p);
    buildSensitivityRow(p);

    const char* const contrastLabels[3] = {QT_TR_NOOP("High"), QT_TR_NOOP("Medium"),
                                           QT_TR_NOOP("Low")};
    const char* const contrastTips[3] = {QT_TR_NOOP("Find only high contrasting edges"),
                                         QT_TR_NOOP("Find normal or greater contrasting edges"),
                                         QT_TR_NOOP("Find low contrasting edges")};
    QPointer<PersistentWidget<QRadioButton, bool>>* contrastButtons[3] = {
        &contrastHigh, &contrastMedium, &contrastLow};
    contrastBox = buildChoiceBox(contrastText,
                                 QStringLiteral("EdgeDetectionOptions") + QStringLiteral("/") +
                                     QStringLiteral("Edge Contrast"),
                                 p, contrastLabels, contrastTips, contrastButtons);
    connect(contrastBox->findChild<QButtonGroup*>(),
            &QButtonGroup::idClicked, this, &EdgeDetectionOptions::contrastChanged);
    connect(this, &EdgeDetectionOptions::setEdgeContrastHigh, contrastHigh.data(),
            &QRadioButton::setChecked);
    connect(this, &EdgeDetectionOptions::setEdgeContrastMedium, contrastMedium.data(),
            &QRadioButton::setChecked);
    connect(this, &EdgeDetectionOptions::setEdgeContrastLow, contrastLow.data(),
            &QRadioButton::setChecked);

    const char* const textureLabels[3] = {QT_TR_NOOP("Coarse"), QT_TR_NOOP("Medium"),
                                          QT_TR_NOOP("Fine")};
    const char* const textureTips[3] = {QT_TR_NOOP("Find only large variations in texture"),
                                        QT_TR_NOOP("Find moderate variations in texture"),
                                        QT_TR_NOOP("Find small variations in texture")};
    QPointer<PersistentWidget<QRadioButton, bool>>* textureButtons[3] = {
        &textureCoarse, &textureMedium, &textureFine};
    textureBox = buildChoiceBox(textureText,
                                QStringLiteral("EdgeDetectionOptions") +
                                    QStringLiteral("/Filtering"),
                                p, textureLabels, textureTips, textureButtons);
    connect(textureBox->findChild<QButtonGroup*>(), &QButtonGroup::idClicked, this,
            &EdgeDetectionOptions::textureFilterChanged);
    connect(this, &EdgeDetectionOptions::setTextureFilterCoarse, textureCoarse.data(),
            &QRadioButton::setChecked);
    connect(this, &EdgeDetectionOptions::setTextureFilterMedium, textureMedium.data(),
            &QRadioButton::setChecked);
    connect(this, &EdgeDetectionOptions::setTextureFilterFine, textureFine.data(),
            &QRadioButton::setChecked);

    updating = true;
    sensitivityChangedSlot(sensitivitySlider->value());
    updating = false;
}

void EdgeDetectionOptions::buildWidthRow(bool p) {
    widthRow = new QWidget;
    cleanupHandler_.add(widthRow);
    widthRow->setToolTip(tr("Find edges of minimum width (pixels)"));
    widthRow->setWhatsThis(
        tr("<p><b>Edge Finding&mdash;%1</b></p><p>Sets the minimum width in pixels of a color or "
           "texture transition that %2 will recognize as an edge.</p><p>If you set a small "
           "threshold, %2 will find many in-focus and sharp edges; if you set a larger threshold, "
           "%2 will find fewer but broader edges such as found with out-of-focus edges.</p>")
            .arg(widthText, productDisplayName()) +
        tr("<p><b><i>Consider:</i></b> Saving your settings from one image to the next for "
           "similar images (e.g., for a photo shoot using the same background and camera "
           "settings) by changing the settings in <b>Workspace Settings</b> in the <b>&lsquo;Edit"
           "&rsquo;</b> menu at the top of the screen.</p>"));
    auto* layout = new QHBoxLayout(widthRow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(widthText + QStringLiteral(":   "), widthRow));
    widthSlider = new PersistentWidget<QSlider, int>(QStringLiteral("EdgeDetectionOptions"),
                                                     QStringLiteral("Edge Width Threshold"), 8, p);
    widthSlider->setOrientation(Qt::Horizontal);
    widthSlider->setRange(lowestWidth, highestWidth);
    layout->addWidget(widthSlider);
    auto* widthBox = new QSpinBox(widthRow);
    widthBox->setObjectName(QStringLiteral("EdgeWidthBox"));
    widthBox->setSuffix(QStringLiteral("px"));
    widthBox->setRange(lowestWidth, highestWidth);
    widthBox->setValue(widthSlider->value());
    layout->addWidget(widthBox);
    connect(widthSlider.data(), &QSlider::valueChanged, widthBox, &QSpinBox::setValue);
    connect(widthBox, QOverload<int>::of(&QSpinBox::valueChanged), widthSlider.data(),
            &QSlider::setValue);
    connect(this, &EdgeDetectionOptions::setWidth, widthSlider.data(), &QSlider::setValue);
    connect(widthSlider.data(), &QSlider::valueChanged, this,
            &EdgeDetectionOptions::widthChangedSlot);
    connect(widthSlider.data(), &QSlider::sliderReleased, this, [this] {
        userChangedValue(widthSlider);
    });
}

void EdgeDetectionOptions::buildSensitivityRow(bool p) {
    sensitivityRow = new QWidget;
    cleanupHandler_.add(sensitivityRow);
    sensitivityRow->setToolTip(tr("How finely the image is to be divided"));
    sensitivityRow->setWhatsThis(
        QStringLiteral("<p><b>Edge Finding&mdash;") + sensitivityText +
        QStringLiteral("</b></p>") +
        tr("<p>Sets how many <b>Delete Edges</b> %1 finds in an image. The higher the setting, "
           "the more objects %1 will identify.</p>")
            .arg(productDisplayName()));
    auto* layout = new QHBoxLayout(sensitivityRow);
    layout->setContentsMargins(0, 0, 0, 0);
    sensitivityLabel = new QLabel(sensitivityRow);
    sensitivityLabel->setMinimumWidth(120);
    layout->addWidget(sensitivityLabel);
    layout->addWidget(new QLabel(tr("Fewer  "), sensitivityRow));
    sensitivitySlider = new PersistentWidget<QSlider, int>(
        QStringLiteral("EdgeDetectionOptions"), QStringLiteral("Number of Edges"), 10, p);
    sensitivitySlider->setOrientation(Qt::Horizontal);
    sensitivitySlider->setRange(1, 100);
    layout->addWidget(sensitivitySlider);
    layout->addWidget(new QLabel(tr("  More"), sensitivityRow));
    connect(sensitivitySlider.data(), &QSlider::valueChanged, this,
            &EdgeDetectionOptions::sensitivityChangedSlot);
    connect(this, &EdgeDetectionOptions::setSensitivity, sensitivitySlider.data(),
            &QSlider::setValue);
    connect(sensitivitySlider.data(), &QSlider::sliderReleased, this, [this] {
        userChangedValue(sensitivitySlider);
    });
}

QGroupBox* EdgeDetectionOptions::buildChoiceBox(
    const QString& title, const QString& group, bool p, const char* const labels[3],
    const char* const tips[3], QPointer<PersistentWidget<QRadioButton, bool>>* buttons[3]) {
    auto* box = new QGroupBox(title, this);
    box->setFlat(true);
    auto* layout = new QHBoxLayout(box);
    auto* buttonGroup = new QButtonGroup(box);
    buttonGroup->setExclusive(true);
    const bool defaults[3] = {false, true, false};
    for (int i = 0; i < 3; ++i) {
        auto* button = new PersistentWidget<QRadioButton, bool>(
            group, QString::fromLatin1(labels[i]), defaults[i], p);
        button->setText(tr(labels[i]));
        button->setToolTip(tr(tips[i]));
        layout->addWidget(button);
        buttonGroup->addButton(button, 2 - i);
        *buttons[i] = button;
    }
    box->hide();
    return box;
}

QToolButton* EdgeDetectionOptions::defaultsButton() {
    if (!defaultsButton_) {
        defaultsButton_ = new QToolButton;
        cleanupHandler_.add(defaultsButton_);
        defaultsButton_->setText(tr("Defaults"));
        defaultsButton_->setSizePolicy(QSizePolicy::MinimumExpanding,
                                       QSizePolicy::MinimumExpanding);
        defaultsButton_->setToolTip(tr("Restore defaults for this image"));
        defaultsButton_->setWhatsThis(
            tr("<p><b>Edge Finding&mdash;Defaults</b></p><p>Restore the <b>Edge Finding</b> "
               "settings to their original values.</p>"));
        connect(defaultsButton_.data(), &QToolButton::clicked, this,
                &EdgeDetectionOptions::setDefaultsSlot);
        setEnablednessOfButtons();
    }
    return defaultsButton_;
}

void EdgeDetectionOptions::showValues(EDOs* options) {
    if (!options)
        return;
    updating = true;
    emit setSensitivity(options->sensitivity_.value);
    emit setWidth(options->width_.value);
    switch (options->contrast_.value) {
    case 0: emit setEdgeContrastLow(true); break;
    case 1: emit setEdgeContrastMedium(true); break;
    case 2: emit setEdgeContrastHigh(true); break;
    default: break;
    }
    switch (options->texture_.value) {
    case 0: emit setTextureFilterFine(true); break;
    case 1: emit setTextureFilterMedium(true); break;
    case 2: emit setTextureFilterCoarse(true); break;
    default: break;
    }
    setEnablednessOfButtons();
    updating = false;
}

void EdgeDetectionOptions::takeValuesFromControls(SegmentationStuff* holder) {
    segmentation = holder;
    edos = holder ? &holder->options() : nullptr;
    if (!edos)
        return;
    edos->sensitivity_.value = sensitivitySlider->value();
    edos->width_.value = widthSlider->value();
    if (contrastHigh->isChecked())
        edos->contrast_.value = 2;
    else if (contrastMedium->isChecked())
        edos->contrast_.value = 1;
    else if (contrastLow->isChecked())
        edos->contrast_.value = 0;
    if (textureFine->isChecked())
        edos->texture_.value = 0;
    else if (textureMedium->isChecked())
        edos->texture_.value = 1;
    else if (textureCoarse->isChecked())
        edos->texture_.value = 2;
}

bool EdgeDetectionOptions::hasImage() const {
    return ModelPort::instance()->modelHasImage();
}

void EdgeDetectionOptions::userChangedValue(QSlider* slider) {
    setEnablednessOfButtons();
    if (!autoApply || updating || !slider || slider->isSliderDown())
        return;
    // A release after a drag back to the applied values changes nothing.
    if (edos && !edos->anyModified())
        return;
    applyValuesSlot();
}

void EdgeDetectionOptions::sensitivityChangedSlot(int v) {
    if (edos)
        edos->sensitivity_.value = v;
    sensitivityLabel->setText(QStringLiteral("%1:    %2 %").arg(sensitivityText).arg(v));
    userChangedValue(sensitivitySlider);
}

void EdgeDetectionOptions::widthChangedSlot(int w) {
    if (edos) {
        edos->width_.value = w;
        // Values pushed in (a resolution change among them) must not replace the user's width
        // at full resolution, or a round trip through another resolution would lose it.
        if (!updating)
            edos->widthInImageCoords_ = w * ModelPort::instance()->modelResolution();
    }
    userChangedValue(widthSlider);
}

void EdgeDetectionOptions::contrastChanged(int id) {
    if (edos)
        edos->contrast_.value = id;
    setEnablednessOfButtons();
}

void EdgeDetectionOptions::textureFilterChanged(int id) {
    if (edos)
        edos->texture_.value = id;
    setEnablednessOfButtons();
}

void EdgeDetectionOptions::setDefaultsSlot() {
    if (edos) {
        edos->resetAll();
        showValues(edos);
    }
    setEnablednessOfButtons();
    if (autoApply)
        applyValuesSlot();
}

void EdgeDetectionOptions::applyValuesSlot() {
    if (edos && segmentation && hasImage()) {
        edos->saveAll();
        analyseFor(this, segmentation);
        showValues(edos);
    }
    setEnablednessOfButtons();
}

void EdgeDetectionOptions::setEnablednessOfButtons() {
    if (defaultsButton_)
        defaultsButton_->setEnabled(edos && edos->anyOffDefault());
}

void EdgeDetectionOptions::resolutionChangedSlot(int oldRes, int newRes) {
    if (!edos || newRes < 1)
        return;
    if (edos->widthInImageCoords_ < 1)
        edos->widthInImageCoords_ = oldRes * edos->width_.applied;
    edos->width_.value = qBound(lowestWidth, edos->widthInImageCoords_ / newRes, highestWidth);
    showValues(edos);
}

void EdgeDetectionOptions::imageChangedSlot(const TqSourceImage* image) {
    if (!image) {
        segmentation = nullptr;
        edos = nullptr;
    }
}

void EdgeDetectionOptions::sessionHasBegunSlot() {
    ModelPort* port = ModelPort::instance();
    if (!port->hasModel())
        return;
    segmentation = port->imageSegmentation();
    edos = &segmentation->options();
    showValues(edos);
    if (hasImage())
        analyseFor(this, segmentation);
}

// The panel edits the image-wide options whichever region is active, or has options of its
// own: it only keeps its Defaults button true to the options it shows.
void EdgeDetectionOptions::activeRegionChangedSlot(GmRegion*) { setEnablednessOfButtons(); }
