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
#include <QSpinBox>

#include <cmath>

double thePenPressure = 0.0;
bool thePenPressureActive = false;
QPointer<QSlider> theBrushSizeSlider;
QPointer<PersistentWidget<QSpinBox, int>> theBrushSizeBox;

namespace {

int theBrushingToolCount = 0;
QPointer<QWidget> theBrushOptionsPanel;

constexpr int minimumBrushSize = BrushSizeValue::minimum;
constexpr int maximumBrushSize = BrushSizeValue::maximum;

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
    // The size itself lives in the document's holder, which also sets it for every new image;
    // the box shows and edits it.
    const int size = BrushSizeValue::brushSize();
    if (!thePenPressureActive)
        return size;
    return std::max(1, int(std::ceil(size * thePenPressure)));
}

void BrushingTool::setBrushSize(int size) {
    BrushSizeValue::setBrushSize(size);
    if (theBrushSizeBox)
        theBrushSizeBox->setValue(BrushSizeValue::brushSize());
    ModelPort::instance()->announceCursorChanged(nullptr);
}

void BrushingTool::increaseBrushSizeSlot() {
    // From the stored size, not from `brushSize`: a key pressed during a pen stroke must not
    // store the pressure-scaled size.
    setBrushSize(int((BrushSizeValue::brushSize() + 1) * 1.03 + 0.5));
}

void BrushingTool::decreaseBrushSizeSlot() {
    setBrushSize(int(BrushSizeValue::brushSize() * 0.970873786407767 - 0.5));
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
    BrushSizeValue::setBrushSize(size);
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
    connect(slider, &QSlider::sliderPressed, port, &ModelPort::announceBrushSizeSliderMoved);
    connect(slider, &QSlider::sliderReleased, port, &ModelPort::repaintAll);
    connect(this, &BrushingTool::brushSizeSliderMoved, port,
            &ModelPort::announceBrushSizeSliderMoved);
    // The panel outlives the tool that built it, so its own links go through the panel.
    connect(box, QOverload<int>::of(&QSpinBox::valueChanged), panel, [](int size) {
        BrushSizeValue::setBrushSize(size);
        moveSliderToSize(size);
    });
    connect(slider, &QSlider::valueChanged, panel, [port](int position) {
        if (setSizeFromSlider(position))
            port->announceBrushSizeSliderMoved();
    });
    // The document sets the size for each new image and announces it with a null cursor.
    connect(port, &ModelPort::cursorChanged, box, [box](const QCursor* cursor) {
        if (!cursor && box->value() != BrushSizeValue::brushSize())
            box->setValue(BrushSizeValue::brushSize());
    });

    // The stored size (the box keeps it to 1..400) is the size from now on.
    BrushSizeValue::setBrushSize(box->value());
    moveSliderToSize(box->value());
    panelLayout->addWidget(sizeWidget);
    panelLayout->addStretch(1);
    return panel;
}
