// The window's tool bars, tools, palette and status bar; its actions and menus are built by
// MainWindowActions at the points these builders give.
#include "shell/TqMainWindow.h"

#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixPanTool.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ZoomViewOptionsWidget.h"
#include "masking/GmModel.h"
#include "masking/OstrivalThread.h"
#include "shell/EngineStatus.h"
#include "common/FakeDock.h"
#include "shell/GmAction.h"
#include "common/GmSubWindow.h"
#include "shell/GmTogglingAction.h"
#include "shell/GoogleWidget.h"
#include "shell/MainWindowActions.h"
#include "shell/ShowOriginalToolButton.h"
#include "workspace/BrushingTool.h"
#include "workspace/ImageView.h"
#include "workspace/ModelPort.h"
#include "workspace/Navigator.h"
#include "workspace/NavigatorWindow.h"
#include "workspace/PanTool.h"
#include "workspace/ToolBarPalette.h"
#include "workspace/ToolOptions.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>

void TqMainWindow::buildActions() {
    actions_.buildActions(zoomWidget_, fileHandler_);
    connectCompositionCommands();

    toolActionGroup_ = GmTool::toolActionGroup();

    // The slots that read tools, panels and the view options skip what is not built yet.
    statusesPresentChangedSlot(0);
    GmModel* model = GmModel::instance();
    connect(model, &GmModel::tellImageChanged, this, &TqMainWindow::imageChangedSlot);
    imageChangedSlot(nullptr);
    connect(model, &GmModel::imageAnalysisHasBegun, this, &TqMainWindow::imageAnalysisHasBegunSlot);
    connect(model, &GmModel::jxUndoStackChanged, this, &TqMainWindow::jxUndoStackChangedSlot);
    if (engineThread_)
        connect(engineThread_, &OstrivalThread::stateChanged, this,
                &TqMainWindow::updateUndoRedoEnabledness);
}

void TqMainWindow::buildStatusBar() {
    statusHolder_ = new QWidget;
    statusLayout_ = new QHBoxLayout(statusHolder_);
    statusLayout_->setSpacing(10);
    statusLayout_->setContentsMargins(0, 0, 0, 0);
    statusLayout_->addWidget(engineStatus_->buildProgressBar());
    statusBar()->addPermanentWidget(statusHolder_);
    viewOptions_ = createViewOptions();
    if (viewOptions_) {
        if (zoomWidget_ && viewOptions_->layout())
            viewOptions_->layout()->addWidget(zoomWidget_);
        statusBar()->addPermanentWidget(viewOptions_);
        setViewOptionsShowVectorEdgesEnabled(false);
    } else if (zoomWidget_) {
        // Until the view options panel exists the zoom controls stand on their own.
        statusBar()->addPermanentWidget(zoomWidget_);
    }
    QSizePolicy policy = statusBar()->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::MinimumExpanding);
    statusBar()->setSizePolicy(policy);
}

void TqMainWindow::buildMenus() { actions_.buildMenus(); }

void TqMainWindow::setStatusBarEnabled(bool enabled) {
    for (QWidget* child : statusBar()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QSizeGrip*>(child))
            child->setEnabled(enabled);
}

void TqMainWindow::buildPanels() {
    navigatorWindow_ = new NavigatorWindow(this, nullptr, QString());
    navigatorWindow_->setObjectName(QStringLiteral("navigatorWindow_"));
    ModelPort* port = ModelPort::instance();
    Navigator* navigator = navigatorWindow_->navigator();
    connect(port, &ModelPort::tellImageChanged, navigator, &Navigator::updateImage);
    connect(navigator, &Navigator::rectChanged, imageView_, &ImageView::moveImageViewportToSlot);
    connect(navigator, &Navigator::rectCenterChanged, imageView_,
            &ImageView::centreViewportOnSlot);
    connect(imageView_, &ImageView::sayViewportRectChanged, navigatorWindow_,
            &NavigatorWindow::setRectSlot);
    connect(navigatorWindow_, &NavigatorWindow::requestZoomTo, imageView_,
            &ImageView::zoomToSlot);

    const QString optionsTitle = tr("Options", "[all]");
    optionsToolBar_ = addToolBar(optionsTitle);
    optionsToolBar_->setObjectName(QStringLiteral("ToolBar-") + optionsTitle);
    optionsToolBar_->setMovable(false);
    auto* optionsWidget = new QWidget;
    optionsWidget->setObjectName(QStringLiteral("OptionsWidget"));
    optionsWidget->setMinimumHeight(42);
    auto* optionsLayout = new QHBoxLayout(optionsWidget);
    optionsLayout->setObjectName(QStringLiteral("OptionsLayout"));
    optionsLayout->setAlignment(Qt::AlignHCenter);
    optionsLayout->setContentsMargins(7, 2, 7, 2);
    undoRedoToolBar_ = new QToolBar;
    undoRedoToolBar_->setObjectName(QStringLiteral("ToolBar-UndoRedo"));
    undoRedoToolBar_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    undoRedoToolBar_->setIconSize(QSize(16, 16));
    undoRedoToolBar_->addAction(actions_.undoAction());
    undoRedoToolBar_->addAction(actions_.redoAction());
    optionsLayout->addWidget(undoRedoToolBar_, 1);
    undoRedoToolBar_->hide();
    toolOptions_ = ToolOptions::shared();
    optionsLayout->addWidget(toolOptions_, 2);
    googleWidget_ = new GoogleWidget;
    optionsLayout->addWidget(googleWidget_, 0);
    optionsToolBar_->addWidget(optionsWidget);

    actions_.buildSearchFocusAction(googleWidget_);

    propertyPanelWindow_ = createPropertyPanel();
    if (propertyPanelWindow_)
        propertyPanelWindow_->setObjectName(QStringLiteral("propertyPanelWindow_"));

    navigatorWindow_->subWindowData()->dock = dock_;
    if (propertyPanelWindow_) {
        propertyPanelWindow_->subWindowData()->dock = dock_;
        subWindows_.append(propertyPanelWindow_);
    }
    // Backspace in a panel deletes the active patch, as it does in the window.
    for (GmSubWindow* panel : {static_cast<GmSubWindow*>(navigatorWindow_), propertyPanelWindow_})
        if (panel)
            connect(panel, &GmSubWindow::deleteKeyPressed, this,
                    [] { GmModel::instance()->deleteActiveRegionSlot(); });
}

void TqMainWindow::buildTools() {
    noTool_ = new NoTool(toolOptions_);
    if (!noTool_->isUsable())
        selectDefaultTool();
    else if (theCurrentTool != noTool_)
        noTool_->action()->trigger();

    deleteLocalTool_ = createMaskingBrush("DeleteLocalTool");
    deleteExactTool_ = createMaskingBrush("DeleteExactTool");
    complexExactTool_ = createMaskingBrush("ComplexExactTool");
    eraseExactTool_ = createMaskingBrush("EraseExactTool");
    panTool_ = new PanTool(toolActionGroup_, nullptr, nullptr, toolOptions_);
    frolixPanTool_ = new FrolixPanTool(toolActionGroup_, nullptr, toolOptions_, frolixWidget_);
    edgeFindingTool_ = createEdgeFindingTool();
    edgeBlendingTool_ = createEdgeBlendingTool();
    // The edge tools' options are pages of the tool options panel, shown when their tool is
    // current; taking them into the tool bar would pull them out of that panel.

    FrolixObject::instance()->reset();
    frolixPanTool_->action()->setEnabled(frolixPanTool_->isUsable());

    buildToolPalette();

    connect(static_cast<PanTool*>(panTool_), &PanTool::tellPan, imageView_,
            &ImageView::panImageViewportSlot);

    if (auto* brush = qobject_cast<BrushingTool*>(deleteExactTool_))
        actions_.buildBrushSizeActions(brush);
}

void TqMainWindow::buildToolPalette() {
    toolPalette_ = new ToolBarPalette;
    toolPalette_->setObjectName(QStringLiteral("frolixBar"));
    addToolBar(Qt::LeftToolBarArea, toolPalette_);
    connect(imageView_, &ImageView::viewTabChanged, toolPalette_,
            [this](ImageView::ViewTab tab) { toolPalette_->viewChanged(tab); });
    toolPalette_->viewChanged(currentViewTab());
    // No fixed height: on a short screen the palette is shorter than its entries and shows
    // the last ones behind its overflow button, instead of making the window taller than the
    // screen and pushing Finish and Cancel off it.
    toolPalette_->setMovable(false);
    toolPalette_->setIconSize(QSize(32, 32));

    actions_.buildPaletteActions(edgeBlendingTool_);
    GmModel* model = GmModel::instance();

    showOriginalHolder_ = new QWidget;
    auto* holderLayout = new QHBoxLayout(showOriginalHolder_);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    showOriginalButton_ = new ShowOriginalToolButton(showOriginalHolder_);
    showOriginalButton_->setText(tr("Show Original", "[zol]"));
    showOriginalButton_->setIcon(QIcon(QStringLiteral(":/images/fun/icons48pix/original_image.png")));
    showOriginalButton_->setIconSize(QSize(32, 32));
    showOriginalButton_->setShortcut(QKeySequence(tr("O")));
    showOriginalButton_->setToolTip(
        tr("Show the original image (%1)", "[zol]%1 is the shortcut key")
            .arg(showOriginalButton_->shortcut().toString(QKeySequence::NativeText)));
    holderLayout->addWidget(showOriginalButton_);
    connect(showOriginalButton_, &QAbstractButton::pressed, model, &GmModel::showOriginal);
    connect(showOriginalButton_, &QAbstractButton::released, model, &GmModel::showOriginal);

    const int cutout = ImageView::MaskingTab;
    const int composition = ImageView::CompositionTab;
    toolPalette_->addPaletteWidget(cutoutLabel_, cutout, QString(), false);
    for (GmTool* tool : {deleteLocalTool_, deleteExactTool_, eraseExactTool_})
        if (tool)
            toolPalette_->addTool(tool, QString());
    toolPalette_->addPaletteWidget(touchUpLabel_, cutout, QString(), true);
    if (complexExactTool_)
        toolPalette_->addTool(complexExactTool_, QString());
    toolPalette_->addPaletteAction(actions_.edgeSmoothingAction(), cutout, QString());
    toolPalette_->addPaletteWidget(backgroundLabel_, cutout, QString(), true);
    toolPalette_->addPaletteWidget(showOriginalHolder_, cutout, QString(), false);
    toolPalette_->addPaletteAction(actions_.translucencyAction(), cutout, QString());
    toolPalette_->addPaletteAction(actions_.colourAction(), cutout, QString());
    toolPalette_->addPaletteWidget(finishCutoutLabel_, cutout, QString(), true);
    toolPalette_->addPaletteAction(actions_.finishAction(), cutout, QString());
    toolPalette_->addPaletteAction(actions_.cancelAction(), cutout, QString());
    toolPalette_->addPaletteWidget(startLabel_, composition, QString(), false);
    toolPalette_->addPaletteAction(actions_.canvasSettingsAction(), composition, QString());
    toolPalette_->addPaletteWidget(createLabel_, composition, QString(), true);
    toolPalette_->addPaletteAction(actions_.addImageAction(), composition, QString());
    toolPalette_->addPaletteAction(actions_.addTextAction(), composition, QString());
    toolPalette_->addPaletteAction(actions_.addSpeechBubbleAction(), composition, QString());
    toolPalette_->addPaletteWidget(finishCompositionLabel_, composition, QString(), true);
    toolPalette_->addPaletteAction(actions_.previewAction(), composition, QString());
    if (actions_.saveAction())
        toolPalette_->addPaletteAction(actions_.saveAsAction(), composition, QString());
    toolPalette_->addPaletteAction(actions_.printAction(), composition, QString());
    if (actions_.saveAsAction())
        connect(actions_.saveAsAction(), &QAction::triggered, toolPalette_, &ToolBarPalette::updateView);
}
