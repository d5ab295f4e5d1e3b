#include "workspace/GmTool.h"

#include "masking/BrushSizeValue.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/ToolOptions.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QKeySequence>
#include <QPushButton>
#include <QToolBar>

GmTool* theCurrentTool = nullptr;
NoTool* theNoTool = nullptr;

namespace {

QPointer<QActionGroup> theToolActionGroup;
QPointer<ImageView> theToolImageView;
std::function<void()> theDefaultToolChooser;
std::function<GmTool*()> theSpaceReturnToolQuery;

} // namespace

ToolEvents* ToolEvents::instance() {
    // Parented to the application so that it goes before the application does; a later
    // application of the same process (tests make several) gets a new one.
    static QPointer<ToolEvents> events;
    if (!events) {
        events = new ToolEvents;
        events->setParent(QCoreApplication::instance());
        // Whoever changes the brush size (a brush, the slider, the document for a new image),
        // the canvas rebuilds its brush cursor.
        connect(BrushSizeValue::instance(), &BrushSizeValue::brushSizeChanged, events,
                [] { emit events->cursorChanged(nullptr); });
    }
    return events;
}

GmTool::GmTool(const QString& name, const QString& title, const QIcon& icon,
               const QString& shortcutText, const QString& tip, QActionGroup* group, QWidget* menu,
               QWidget* container, ToolOptions* optionsArea)
    : QObject(nullptr), name_(name), title_(title) {
    optionsArea_ = optionsArea ? optionsArea : ToolOptions::shared();
    QActionGroup* actionGroup = group ? group : toolActionGroup();
    action_ = new QAction(icon, title, actionGroup);
    if (!shortcutText.isEmpty()) {
        const QKeySequence shortcut(shortcutText);
        action_->setShortcut(shortcut);
        action_->setToolTip(action_->toolTip() + QStringLiteral(" (") +
                            shortcut.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    }
    action_->setCheckable(true);
    setWhatsThisText(tip);
    if (menu)
        menu->addAction(action_);
    if (qobject_cast<QToolBar*>(container) || qobject_cast<QPushButton*>(container))
        container->addAction(action_);

    connect(action_, &QAction::triggered, this, &GmTool::selectToolSlot);
    ModelPort* port = ModelPort::instance();
    connect(port, &ModelPort::tellImageChanged, this, &GmTool::setEnabledSlot);
    connect(port, &ModelPort::usabilityMayHaveChanged, this, &GmTool::setEnabledSlot);
    if (ImageView* view = imageView())
        connect(view, &ImageView::viewTabChanged, this, &GmTool::setEnabledSlot);
    // A constructor runs the base rule; a subclass's own rule applies from the first signal.
    action_->setEnabled(GmTool::isUsable());
}

GmTool::~GmTool() {
    if (this == theNoTool) {
        // Whatever is current loses its fallback with it.
        theCurrentTool = nullptr;
        theNoTool = nullptr;
    } else if (theCurrentTool == this) {
        // Nothing here may call back into this tool: its subclass part is gone already. The
        // hand-over therefore starts as if no tool were current.
        theCurrentTool = nullptr;
        if (theNoTool && theNoTool->isUsable())
            theNoTool->selectToolSlot();
        else
            selectDefaultTool();
    }
    if (ownsOptionsWidget_ && optionsWidget_)
        delete optionsWidget_.data();
    // The action belongs to the group, which outlives most tools; it must not outlive its tool.
    delete action_;
}

void GmTool::setOptionsWidget(QWidget* widget, bool ownsIt) {
    optionsWidget_ = widget;
    ownsOptionsWidget_ = ownsIt;
}

bool GmTool::isUsable() const {
    return ModelPort::instance()->hasSourceImage();
}

QActionGroup* GmTool::toolActionGroup() {
    if (!theToolActionGroup) {
        // Parented to the view's window when there is one, so that it goes with the window.
        QObject* parent = theToolImageView ? static_cast<QObject*>(theToolImageView->window())
                                           : ModelPort::instance();
        theToolActionGroup = new QActionGroup(parent);
        theToolActionGroup->setExclusive(true);
    }
    return theToolActionGroup;
}

bool GmTool::isAvailableInCurrentTab() const {
    const int tab = theToolImageView ? theToolImageView->currentViewTab() : ImageView::MaskingTab;
    return (viewTabs() & tab) != 0;
}

void GmTool::setWhatsThisText(const QString& text) {
    if (!action_)
        return;
    if (text.isEmpty())
        action_->setWhatsThis(QString());
    else
        action_->setWhatsThis(QStringLiteral("<p><b>%1</b></p>").arg(title_) + text);
}

void GmTool::setImageView(ImageView* view) {
    theToolImageView = view;
}

ImageView* GmTool::imageView() {
    return theToolImageView;
}

void GmTool::setDefaultToolChooser(std::function<void()> chooser) {
    theDefaultToolChooser = std::move(chooser);
}

void GmTool::setSpaceReturnToolQuery(std::function<GmTool*()> query) {
    theSpaceReturnToolQuery = std::move(query);
}

void GmTool::selectDefaultTool() {
    if (theDefaultToolChooser) {
        theDefaultToolChooser();
        return;
    }
    if (theNoTool && theCurrentTool != theNoTool)
        theNoTool->selectToolSlot();
}

void GmTool::setEnabledSlot() {
    action_->setEnabled(isUsable());
}

bool GmTool::installSlot() {
    if (!isUsable()) {
        selectDefaultTool();
        return false;
    }
    // What made the tool usable (an edge finding just begun) may not have reached the action
    // yet, and a disabled action still emits when triggered from code.
    setEnabledSlot();
    if (theCurrentTool != this)
        action_->trigger();
    return true;
}

void GmTool::selectToolSlot() {
    GmTool* previous = theCurrentTool;
    if (previous)
        previous->deactivated(this);
    theCurrentTool = this;
    // Triggering programmatically keeps the group's check mark on the current tool.
    if (!action_->isChecked())
        action_->setChecked(true);
    emit ToolEvents::instance()->toolChanged(this);
    if (optionsArea_)
        optionsArea_->showTool(this);
    activated(previous);
    const bool spaceHeld = theSpaceReturnToolQuery && theSpaceReturnToolQuery() != nullptr;
    if (!spaceHeld && theToolImageView)
        theToolImageView->ensureViewTab(viewTabs(), static_cast<ImageView::ViewTab>(preferredViewTab()));
}

void GmTool::endInteraction() {
    // Escape first lets go of the active region, then of the active forced edge, and only then
    // of the tool.
    if (ModelPort::instance()->releaseActiveTarget())
        return;
    if (theNoTool)
        theNoTool->installSlot();
}

NoTool::NoTool(ToolOptions* optionsArea)
    : GmTool(QStringLiteral("No Tool"), tr("No Tool"), QIcon(), QString(), QString(), nullptr,
             nullptr, nullptr, optionsArea) {
    auto* label = new QLabel(QString());
    setOptionsWidget(label, true);
    theNoTool = this;
}

NoTool::~NoTool() = default;
