#include "workspace/BrushingTool.h"

#include "workspace/ModelPort.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include <cmath>

double thePenPressure = 0.0;
bool thePenPressureActive = false;
QPointer<QSlider> theBrushSizeSlider;
QPointer<PersistentWidget<QSpinBox, int>> theBrushSizeBox;

namespace {

int theBrushingToolCount = 0;
QPointer<QWidget> theBrushOptionsPanel;

constexpr int minimumBrushSize = 1;
constexpr int maximumBrushSize = 400;
constexpr int sizeBeforeAnyBrush = 10;

} // namespace

BrushingTool::BrushingTool(const QString& name, const QString& title, const QIcon& icon,
                           const QString& shortcutText, const QString& tip, QActionGroup* group,
                           QWidget* menu, QWidget* container, ToolOptions* optionsArea)
    : GmTool(name, title, icon, shortcutText, tip, group, menu, container, optionsArea) {
    sizeLabel = tr("Brush Size", "[zol, frolix]");
    ++theBrushingToolCount;
}

BrushingTool::~BrushingTool() {
    if (--theBrushingToolCount == 0 && theBrushOptionsPanel)
        delete theBrushOptionsPanel.data();
}

int BrushingTool::brushSize() {
    if (!theBrushSizeBox)
        return sizeBeforeAnyBrush;
    const int boxValue = theBrushSizeBox->value();
    if (!thePenPressureActive)
        return boxValue;
    return std::max(1, int(std::ceil(boxValue * thePenPressure)));
}

void BrushingTool::setBrushSize(int size) {
    if (theBrushSizeBox)
        theBrushSizeBox->setValue(size);
    emit ModelPort::instance()->cursorChanged(nullptr);
}

void BrushingTool::increaseBrushSizeSlot() {
    // From the box, not from `brushSize`: a key pressed during a pen stroke must not store the
    // pressure-scaled size.
    const int size = theBrushSizeBox ? theBrushSizeBox->value() : brushSize();
    setBrushSize(int((size + 1) * 1.03 + 0.5));
}

void BrushingTool::decreaseBrushSizeSlot() {
    const int size = theBrushSizeBox ? theBrushSizeBox->value() : brushSize();
    setBrushSize(int(size * 0.970873786407767 - 0.5));
}

namespace {

// The slider follows the square root of the size, so that small brushes get most of its travel.
void moveSliderToSize(int size) {
    if (!theBrushSizeSlider)
        return;
    const float position = 100.0f * std::sqrt(float(size - 1) * 0.0025062656f);
    const QSignalBlocker blocker(theBrushSizeSlider.data());
    theBrushSizeSlider->setValue(int(position));
}

bool setSizeFromSlider(int position) {
    if (!theBrushSizeBox)
        return false;
    const float fraction = float(position) * 0.01f;
    const int size = 1 + int(399.0f * fraction * fraction);
    const QSignalBlocker blocker(theBrushSizeBox.data());
    theBrushSizeBox->setValue(size);
    return true;
}

} // namespace

void BrushingTool::syncBrushSizeToSlider(int size) {
    moveSliderToSize(size);
}

void BrushingTool::syncBrushSizeFromSlider(int position) {
    if (setSizeFromSlider(position))
        emit brushSizeSliderMoved();
}

QWidget* BrushingTool::brushOptionsPanel() {
    if (theBrushOptionsPanel)
        return theBrushOptionsPanel;
    auto* panel = new QWidget;
    theBrushOptionsPanel = panel;
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);

    auto* sizeWidget = new QWidget(panel);
    sizeWidget->setObjectName(QStringLiteral("BrushSizeWidget"));
    sizeWidget->setToolTip(tr("Alter the size of the brush %1", "[zol]%1 - shortcuts")
                               .arg(QStringLiteral("( [, ] )")));
    sizeWidget->setWhatsThis(tr(
        "<p><b>Brush Size</b> ( [ ] )</p><p>To change a brush size drag the <b>Size</b> slider "
        "or enter a value. Alternatively use the short-cut &lsquo;[&rsquo; and &lsquo;]&rsquo; "
        "keys for quick adjustments.</p><p>The brush cursor is displayed at the center of your "
        "image while you adjust the size slider so that you can see exactly how large your brush "
        "will be.</p><p><b><i>Note:</i></b> When using a <b>Wacom</b> tablet, pen pressure "
        "determines brush size.</p>",
        "[tip]"));
    auto* sizeLayout = new QHBoxLayout(sizeWidget);
    sizeLayout->setObjectName(QStringLiteral("BrushSizeLayout"));
    sizeLayout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(sizeLabel, sizeWidget);
    label->setObjectName(QStringLiteral("BrushSizeLabel"));
    auto* slider = new QSlider(Qt::Horizontal, sizeWidget);
    slider->setObjectName(QStringLiteral("BrushSizeSlider"));
    slider->setRange(0, 100);
    theBrushSizeSlider = slider;
    auto* box = new PersistentWidget<QSpinBox, int>(QStringLiteral("ToolOptions") +
                                                        QStringLiteral("/Common"),
                                                    QStringLiteral("Size"), 0, true);
    box->setParent(sizeWidget);
    box->setRange(minimumBrushSize, maximumBrushSize);
    box->setSuffix(tr("px", "[all]abbrev: pixels"));
    box->hide();
    theBrushSizeBox = box;
    sizeLayout->addWidget(label);
    sizeLayout->addWidget(slider);
    sizeLayout->addWidget(box);

    ModelPort* port = ModelPort::instance();
    connect(slider, &QSlider::sliderPressed, port, &ModelPort::brushSizeSliderMoved);
    connect(slider, &QSlider::sliderReleased, port, [port] {
        if (port->hasSourceImage())
            emit port->rectDirty(QRectF(QPointF(0, 0), QSizeF(port->sourceImage().size())), 0);
    });
    connect(this, &BrushingTool::brushSizeSliderMoved, port, &ModelPort::brushSizeSliderMoved);
    // The panel outlives the tool that built it, so its own links go through the panel.
    connect(box, QOverload<int>::of(&QSpinBox::valueChanged), panel, &moveSliderToSize);
    connect(slider, &QSlider::valueChanged, panel, [port](int position) {
        if (setSizeFromSlider(position))
            emit port->brushSizeSliderMoved();
    });

    moveSliderToSize(box->value());
    panelLayout->addWidget(sizeWidget);
    panelLayout->addStretch(1);
    return panel;
}
