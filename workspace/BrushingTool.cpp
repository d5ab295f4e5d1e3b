#include "workspace/BrushingTool.h"

#include "masking/Brushing.h"
#include "masking/GmBrushing.h"
#include "masking/BrushSizeValue.h"
#include "workspace/ModelPort.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>
#include <memory>

double thePenPressure = 0.0;
bool thePenPressureActive = false;
QPointer<QSlider> theBrushSizeSlider;

namespace {

int theBrushingToolCount = 0;
QPointer<QWidget> theBrushOptionsPanel;

} // namespace

BrushingTool::BrushingTool(const QString& name, const QString& title, const QIcon& icon,
                           const QString& shortcutText, const QString& tip, QActionGroup* group,
                           QWidget* menu, QWidget* container, ToolOptions* optionsArea)
    : GmTool(name, title, icon, shortcutText, tip, group, menu, container, optionsArea) {
    sizeLabel = tr("Brush Size", "[zol, frolix]");
    ++theBrushingToolCount;
}

BrushingTool::~BrushingTool() {
    delete stroke;
    if (--theBrushingToolCount == 0 && theBrushOptionsPanel)
        delete theBrushOptionsPanel.data();
}

void BrushingTool::mousePressEvent(QMouseEvent* event, const QPointF& imagePoint) {
    if (event->button() != Qt::LeftButton)
        return;
    beginStroke(imagePoint);
    if (stroke)
        stroke->brushing().startStroke(imagePoint);
}

void BrushingTool::mouseDoubleClickEvent(QMouseEvent* event, const QPointF& imagePoint) {
    mousePressEvent(event, imagePoint);
}

void BrushingTool::mouseMoveEvent(QMouseEvent* event, const QPointF& imagePoint) {
    if (!(event->buttons() & Qt::LeftButton) || !stroke)
        return;
    if (event->modifiers() & Qt::ShiftModifier)
        stroke->brushing().stretchLineTo(imagePoint);
    else
        stroke->brushing().strokeTo(imagePoint);
}

void BrushingTool::mouseReleaseEvent(QMouseEvent* event, const QPointF& imagePoint) {
    if (event->button() != Qt::LeftButton || !stroke)
        return;
    stroke->brushing().strokeTo(imagePoint);
    endStroke();
    thePenPressureActive = false;
}

void BrushingTool::endInteraction() {
    if (!stroke) {
        GmTool::endInteraction();
        return;
    }
    stroke->brushing().clear();
    endStroke();
}

void BrushingTool::deactivated(GmTool*) {
    delete stroke;
    stroke = nullptr;
}

int BrushingTool::brushSize() {
    const int size = BrushSizeValue::instance()->brushSize();
    if (!thePenPressureActive)
        return size;
    return std::max(1, int(std::ceil(size * thePenPressure)));
}

void BrushingTool::setBrushSize(int size) {
    BrushSizeValue::instance()->setBrushSize(size);
}

void BrushingTool::increaseBrushSizeSlot() {
    // From the stored size, not from `brushSize`: a key pressed during a pen stroke must not
    // store the pressure-scaled size.
    setBrushSize(int((BrushSizeValue::instance()->brushSize() + 1) * 1.03 + 0.5));
}

void BrushingTool::decreaseBrushSizeSlot() {
    setBrushSize(int(BrushSizeValue::instance()->brushSize() * 0.970873786407767 - 0.5));
}

namespace {

// The slider follows the square root of the size, so that small brushes get most of its travel.
int sliderPositionForSize(int size) {
    return int(100.0f * std::sqrt(float(size - 1) * 0.0025062656f));
}

int sizeForSliderPosition(int position) {
    const float fraction = float(position) * 0.01f;
    return 1 + int(399.0f * fraction * fraction);
}

} // namespace

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
    sizeLayout->addWidget(label);
    sizeLayout->addWidget(slider);

    // The slider shows the document's size and sets it. A size the slider set leaves the
    // slider where the user put it, as the mapping back need not give the same position.
    BrushSizeValue* value = BrushSizeValue::instance();
    ToolEvents* tools = ToolEvents::instance();
    connect(slider, &QSlider::sliderPressed, tools, &ToolEvents::brushSizeSliderMoved);
    connect(slider, &QSlider::sliderReleased, ModelPort::instance(), &ModelPort::repaintAll);
    auto settingFromSlider = std::make_shared<bool>(false);
    // The panel outlives the tool that built it, so its own links go through the slider.
    connect(slider, &QSlider::valueChanged, slider, [value, tools, settingFromSlider](int position) {
        *settingFromSlider = true;
        value->setBrushSize(sizeForSliderPosition(position));
        *settingFromSlider = false;
        emit tools->brushSizeSliderMoved();
    });
    auto showSize = [slider, settingFromSlider](int size) {
        if (*settingFromSlider)
            return;
        const QSignalBlocker blocker(slider);
        slider->setValue(sliderPositionForSize(size));
    };
    connect(value, &BrushSizeValue::brushSizeChanged, slider, showSize);

    // The stored size is the size from now on.
    value->loadStoredSize();
    showSize(value->brushSize());
    panelLayout->addWidget(sizeWidget);
    panelLayout->addStretch(1);
    return panel;
}
