// The window's actions, menus, tool bars, tools, palette and status bar.
#include "shell/TqMainWindow.h"

#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixPanTool.h"
#include "composition/scene/FrolixTextItem.h"
#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ZoomViewOptionsWidget.h"
#include "shell/FileHandler.h"
#include "masking/GmModel.h"
#include "masking/OstrivalThread.h"
#include "shell/DistributorCustomisation.h"
#include "shell/EngineStatus.h"
#include "common/FakeDock.h"
#include "shell/GmAction.h"
#include "common/GmSubWindow.h"
#include "shell/GmTogglingAction.h"
#include "shell/GoogleWidget.h"
#include "common/Product.h"
#include "shell/ShowOriginalToolButton.h"
#include "shell/TqApp.h"
#include "shell/WebAddresses.h"
#include "workspace/BrushingTool.h"
#include "workspace/EdgeBlendingTool.h"
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
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>

namespace {

// The tool bar is dark: a picture greyed by the style would come out brighter than the usable
// one, so the unusable state has a dim picture of its own.
QIcon iconWithDimDisabledState(const QString& name) {
    QIcon icon(QStringLiteral(":/images/fun/icons48pix/%1.png").arg(name));
    icon.addFile(QStringLiteral(":/images/fun/icons48pix/%1_disabled.png").arg(name), QSize(),
                 QIcon::Disabled);
    return icon;
}

}  // namespace

void TqMainWindow::buildActions() {
    const bool standalone = !theApp || theApp->runMode() == TqApp::StandAlone;
    const QIcon floppy(QStringLiteral(":fun/icon_floppydisc_orange_48.png"));
    if (standalone) {
        saveAction_ = new GmAction(floppy, tr("&Save", "[all]"), this, QKeySequence(tr("Ctrl+S")));
        saveAction_->setWhatsThis(tr("Export the final image to a file", "[zol,frolix]"));
        saveAction_->setEnabled(false);
        connect(saveAction_, &QAction::triggered, this, &TqMainWindow::fileSaveSlot);
        saveAsAction_ = new GmAction(floppy, tr("Save &As...", "[all]"), this,
                                     QKeySequence(tr("Ctrl+A")));
        saveAsAction_->setWhatsThis(
            tr("Export the final image to a file, specifying the file name", "[zol,frolix]"));
        connect(saveAsAction_, &QAction::triggered, this, &TqMainWindow::fileSaveAsSlot);
    }
    printAction_ = new GmAction(QIcon(QStringLiteral(":images/fun/icons48pix/print.png")),
                                tr("&Print...", "[all]"), this, QKeySequence(tr("Ctrl+P")));
    printAction_->setWhatsThis(tr("Print the generated image", "[all]"));
    connect(printAction_, &QAction::triggered, FrolixObject::instance(), &FrolixObject::printSlot);

    undoAction_ = new GmAction(iconWithDimDisabledState(QStringLiteral("undo")),
                               tr("&Undo", "[all]"), this, QKeySequence(tr("Ctrl+Z")));
    undoAction_->setWhatsThis(tr("<p><b>Undo</b></p><p>Undo any <b>Delete</b>, <b>Blend</b> or "
                                 "<b>Erase</b> strokes. There are an unlimited number of Undo "
                                 "steps.</p>",
                                 "[tip]"));
    undoAction_->setObjectName(QStringLiteral("Undo Action"));
    connect(undoAction_, &QAction::triggered, this, &TqMainWindow::undoSlot);
    redoAction_ = new GmAction(iconWithDimDisabledState(QStringLiteral("redo")),
                               tr("&Redo", "[all]"), this, QKeySequence(tr("Ctrl+Y")));
    redoAction_->setWhatsThis(tr("<p><b>Redo</b></p><p>Redo any <b>Undo</b> steps.</p>", "[tip]"));
    redoAction_->setObjectName(QStringLiteral("Redo Action"));
    connect(redoAction_, &QAction::triggered, this, &TqMainWindow::redoSlot);

    preferencesAction_ = new QAction(tr("Pre&ferences...", "[zol]"), this);
    preferencesAction_->setMenuRole(QAction::PreferencesRole);
    connect(preferencesAction_, &QAction::triggered, this, &TqMainWindow::invokePreferencesSlot);

    zoomInAction_ = new GmAction(QIcon(QStringLiteral(":images/fun/cursors32pix/zoom_in.png")),
                                 tr("Zoom &In", "[all]"), this);
    zoomInAction_->setShortcuts({QKeySequence(tr("Ctrl++", "[all]Zoom-in shortcut")),
                                 QKeySequence(tr("Ctrl+=", "[all]Zoom-in shortcut")),
                                 QKeySequence(tr("+", "[all]Zoom-in shortcut")),
                                 QKeySequence(tr("=", "[all]Zoom-in shortcut"))});
    zoomOutAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/cursors32pix/zoom_out.png")),
                                  tr("Zoom &Out", "[all]"), this);
    zoomOutAction_->setShortcuts({QKeySequence(tr("Ctrl+-", "[all]Zoom-out shortcut")),
                                  QKeySequence(tr("-", "[all]Zoom-out shortcut"))});
    fitScreenAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/navigation16pix/fit_to_screen.png")),
                     tr("&Fit on Screen", "[all]"), this, QKeySequence(tr("Ctrl+0")));
    actualPixelsAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/navigation16pix/actual_size.png")),
                     tr("Actual Pixels (1:1)", "[zol]"), this, QKeySequence(tr("Alt+Ctrl+0")));
    if (zoomWidget_) {
        connect(fitScreenAction_, &QAction::triggered, zoomWidget_,
                &ZoomViewOptionsWidget::fitScreenSlot);
        connect(actualPixelsAction_, &QAction::triggered, zoomWidget_,
                &ZoomViewOptionsWidget::actualPixelsSlot);
    }
    exitAction_ = new GmAction(QIcon(), tr("E&xit ", "[all]") + productDisplayName(), this,
                               QKeySequence(tr("Ctrl+Q")));
    FrolixTextItem::keepLiveWhileEditing(exitAction_);
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);
    if (!standalone) {
        saveAndApplyAction_ = new GmAction(QIcon(), tr("&Save and Apply", "[tq3]"), this,
                                           QKeySequence(tr("Ctrl+S")));
        connect(saveAndApplyAction_, &QAction::triggered, this, &TqMainWindow::saveAndApplySlot);
    }
    revertAction_ = new QAction(tr("Start A&gain", "[zol]"), this);
    connect(revertAction_, &QAction::triggered, this, &TqMainWindow::revertSlot);
    compositionNewAction_ = new GmAction(QIcon(), tr("New Composition...", "[zol]"), this,
                                         QKeySequence(tr("Ctrl+N", "[zol]")));
    if (fileHandler_)
        connect(compositionNewAction_, &QAction::triggered, fileHandler_,
                &FileHandler::compositionNewSlot);

    buildCompositionActions();

    finishAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/apply.png")),
                                 tr("Finish", "[zol]"), this);
    finishAction_->setToolTip(tr("Return to the canvas, adding this finished cut-out", "[zol]"));
    setActionShortcut(finishAction_, QKeySequence(Qt::Key_Return));
    connect(finishAction_, &QAction::triggered, this, &TqMainWindow::createCutoutItemDone);
    cancelAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/cancel.png")),
                                 tr("Cancel", "[zol]"), this);
    cancelAction_->setToolTip(tr("Return to the canvas, discarding this cut-out", "[zol]"));
    setActionShortcut(cancelAction_, QKeySequence(Qt::Key_Escape));
    connect(cancelAction_, &QAction::triggered, this, &TqMainWindow::createCutoutItemCancelled);

    const DistributorCustomisation& distributor = distributorCustomisation();
    if (distributor.tutorials) {
        tutorialsAction_ = new QAction(tr("&Tutorials", "[all]"), this);
        connect(tutorialsAction_, &QAction::triggered, this, &TqMainWindow::tutorialsSlot);
    }
    if (distributor.homePage) {
        homePageAction_ = new QAction(tr("Home Page", "[all]"), this);
        connect(homePageAction_, &QAction::triggered, this, &TqMainWindow::homePageSlot);
    }
    if (distributor.checkForUpdates) {
        checkForUpdatesAction_ = new QAction(tr("&Check for Updates", "[all]"), this);
        if (theApp)
            connect(checkForUpdatesAction_, &QAction::triggered, theApp,
                    &TqApp::checkForUpdateSlot);
    }
    if (distributor.latestNews && !newsPageAddress().isEmpty()) {
        latestNewsAction_ = new QAction(tr("Latest &News"), this);
        latestNewsAction_->setEnabled(theApp && theApp->newsAvailable());
        if (theApp) {
            connect(latestNewsAction_, &QAction::triggered, theApp, &TqApp::checkForNewsSlot);
            connect(theApp, &TqApp::newsAvailability, latestNewsAction_, &QAction::setEnabled);
        }
    }
    aboutAction_ = new QAction(tr("&About %1 ...", "[all]").arg(productDisplayName()), this);
    aboutAction_->setMenuRole(QAction::AboutRole);
    connect(aboutAction_, &QAction::triggered, this, &TqMainWindow::aboutSlot);
    facebookAction_ =
        new GmAction(QIcon(QStringLiteral(":images/facebook_icon.png")),
                     tr("%1 Facebook Group", "[zol]Entry on Community Menu").arg(productDisplayName()),
                     this);
    connect(facebookAction_, &QAction::triggered, this, &TqMainWindow::facebookCommunitySlot);
    flickrAction_ =
        new GmAction(QIcon(QStringLiteral(":images/flickr_icon.png")),
                     tr("%1 Flickr Group", "[zol]Entry on Community Menu").arg(productDisplayName()),
                     this);
    connect(flickrAction_, &QAction::triggered, this, &TqMainWindow::flickrCommunitySlot);

    // Ctrl+Shift+Z goes through Redo, so it does nothing while Redo may not run (nothing to
    // redo, or the composition tab, where Redo has no meaning).
    auto* redoShortcut = new QShortcut(QKeySequence(tr("Ctrl+Shift+Z", "[all]Redo shortcut")),
                                       this, nullptr, nullptr, Qt::WindowShortcut);
    connect(redoShortcut, &QShortcut::activated, this, [this] {
        if (redoAction_ && redoAction_->isEnabled())
            redoAction_->trigger();
    });
    if (standalone) {
        auto* closeShortcut = new QShortcut(QKeySequence::Close, this, nullptr, nullptr,
                                            Qt::WindowShortcut);
        connect(closeShortcut, &QShortcut::activated, this, &QWidget::close);
    }
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
    undoCount = 0;
    redoCount = 0;
    undoAction_->setEnabled(false);
    redoAction_->setEnabled(redoCount != 0);
}

void TqMainWindow::buildCompositionActions() {
    previewAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/preview_image.png")),
                     tr("Preview...", "[zol]"), this, QKeySequence(tr("Ctrl+Shift+P")));
    addImageAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/cutout.png")),
                                   tr("Add &Image...", "[zol]"), this,
                                   QKeySequence(tr("Ctrl+I")));
    addTextAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/text_tool.png")),
                                  tr("Add Text", "[zol]"), this,
                                  QKeySequence(tr("Ctrl+Shift+T")));
    addSpeechBubbleAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/speech_bubble.png")),
                     tr("Add Speech Bubble", "[zol]"), this, QKeySequence(tr("Ctrl+Shift+S")));
    canvasSettingsAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/canvas_size.png")),
                     tr("Set Up Canvas", "[zol]"), this,
                     QKeySequence(tr("S", "[zol]Shortcut for Canvas Settings")));
    connectCompositionCommands();
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

void TqMainWindow::buildMenus() {
    auto addAll = [](QMenu* menu, std::initializer_list<QAction*> actions) {
        for (QAction* action : actions)
            if (action)
                menu->addAction(action);
    };
    fileMenu_ = menuBar()->addMenu(tr("&File", "[all]"));
    addAll(fileMenu_, {compositionNewAction_, addImageAction_, saveAction_, saveAsAction_,
                       previewAction_});
    fileMenu_->addSeparator();
    addAll(fileMenu_, {saveAndApplyAction_, revertAction_});
    fileMenu_->addSeparator();
    addAll(fileMenu_, {printAction_, preferencesAction_, exitAction_});

    viewMenu_ = menuBar()->addMenu(tr("&View", "[all]"));
    addAll(viewMenu_, {zoomInAction_, zoomOutAction_, actualPixelsAction_, fitScreenAction_});

    communityMenu_ = menuBar()->addMenu(tr("&Community", "[zol]"));
    addAll(communityMenu_, {facebookAction_, flickrAction_});

    helpMenu_ = menuBar()->addMenu(tr("&Help", "[all]"));
    addAll(helpMenu_, {tutorialsAction_, homePageAction_, latestNewsAction_});
    if (checkForUpdatesAction_) {
        helpMenu_->addSeparator();
        helpMenu_->addAction(checkForUpdatesAction_);
    }
    helpMenu_->addSeparator();
    helpMenu_->addAction(aboutAction_);

    addMenuActionsToWindow(fileMenu_);
    addMenuActionsToWindow(viewMenu_);
    addMenuActionsToWindow(helpMenu_);
}

void TqMainWindow::addMenuActionsToWindow(QMenu* menu) {
    if (!menu)
        return;
    for (QAction* action : menu->actions())
        addAction(action);
}

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
    undoRedoToolBar_->addAction(undoAction_);
    undoRedoToolBar_->addAction(redoAction_);
    optionsLayout->addWidget(undoRedoToolBar_, 1);
    undoRedoToolBar_->hide();
    toolOptions_ = ToolOptions::shared();
    optionsLayout->addWidget(toolOptions_, 2);
    googleWidget_ = new GoogleWidget;
    optionsLayout->addWidget(googleWidget_, 0);
    optionsToolBar_->addWidget(optionsWidget);

    searchFocusAction_ = new QAction(this);
    searchFocusAction_->setShortcut(
        QKeySequence(tr("Ctrl+K", "[zol]Shortcut for setting keyboard focus to Google search box")));
    connect(searchFocusAction_, &QAction::triggered, googleWidget_, &GoogleWidget::setFocusSlot);
    addAction(searchFocusAction_);

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

    if (auto* brush = qobject_cast<BrushingTool*>(deleteExactTool_)) {
        increaseBrushSizeAction_ = new GmAction(
            QIcon(), tr("Increase Brush Size", "[all]"), this,
            QKeySequence(tr("]", "[all]shortcut for increasing brush size")));
        decreaseBrushSizeAction_ = new GmAction(
            QIcon(), tr("Decrease Brush Size", "[all]"), this,
            QKeySequence(tr("[", "[all]shortcut for increasing brush size")));
        addAction(increaseBrushSizeAction_);
        addAction(decreaseBrushSizeAction_);
        connect(increaseBrushSizeAction_, &QAction::triggered, brush,
                &BrushingTool::increaseBrushSizeSlot);
        connect(decreaseBrushSizeAction_, &QAction::triggered, brush,
                &BrushingTool::decreaseBrushSizeSlot);
    }
}

void TqMainWindow::buildToolPalette() {
    toolPalette_ = new ToolBarPalette;
    toolPalette_->setObjectName(QStringLiteral("frolixBar"));
    addToolBar(Qt::LeftToolBarArea, toolPalette_);
    connect(imageView_, &ImageView::viewTabChanged, toolPalette_,
            [this](ImageView::ViewTab tab) { toolPalette_->viewChanged(tab); });
    toolPalette_->viewChanged(currentViewTab());
    toolPalette_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    toolPalette_->setMovable(false);
    toolPalette_->setIconSize(QSize(32, 32));

    const QString smoothingKey = tr("S", "[zol]shortcut for Edge Smoothing");
    edgeSmoothingAction_ = new GmTogglingAction(
        QIcon(QStringLiteral(":/images/fun/icons48pix/smoothing_on.png")),
        QIcon(QStringLiteral(":/images/fun/icons48pix/smoothing_off.png")),
        tr("Edge Smoothing"), this, QKeySequence(smoothingKey),
        tr("<b>Edge Smoothing</b>&mdash; Edges are currently smoothed &hellip; click for sharper "
           "edges (%1)",
           "[zol]%1 is the shortcut key for this operation")
            .arg(smoothingKey),
        tr("<b>Edge Smoothing</b>&mdash; Edges are currently sharper &hellip; click for smoother "
           "edges (%1)",
           "[zol]%1 is the shortcut key for this operation")
            .arg(smoothingKey));
    // Without this the action never toggles: no icon, tip or blend ratio would ever change.
    edgeSmoothingAction_->setCheckable(true);
    if (edgeBlendingTool_) {
        if (auto* blending = qobject_cast<EdgeBlendingTool*>(edgeBlendingTool_))
            connect(edgeSmoothingAction_, &QAction::toggled, blending,
                    &EdgeBlendingTool::setBinaryBlendRatioSignal);
    } else {
        unconnectedActions_.insert(edgeSmoothingAction_);
        edgeSmoothingAction_->setEnabled(false);
    }
    GmModel* model = GmModel::instance();
    translucencyAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/toggle_display.png")),
                     tr("Translucency", "[zol]"), this);
    translucencyAction_->setToolTip(
        tr("Use a translucent background to see through to the original image", "[zol]"));
    setActionShortcut(translucencyAction_, QKeySequence(Qt::Key_B));
    connect(translucencyAction_, &QAction::triggered, model, &GmModel::hintOpacityChanged);
    colourAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/display_colour.png")),
                                 tr("Color", "[zol]"), this);
    colourAction_->setToolTip(
        tr("See how your cut-out will look against a different background color", "[zol]"));
    setActionShortcut(colourAction_, QKeySequence(tr("C")));
    connect(colourAction_, &QAction::triggered, model, &GmModel::changeBackgroundColour);

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
    toolPalette_->addPaletteAction(edgeSmoothingAction_, cutout, QString());
    toolPalette_->addPaletteWidget(backgroundLabel_, cutout, QString(), true);
    toolPalette_->addPaletteWidget(showOriginalHolder_, cutout, QString(), false);
    toolPalette_->addPaletteAction(translucencyAction_, cutout, QString());
    toolPalette_->addPaletteAction(colourAction_, cutout, QString());
    toolPalette_->addPaletteWidget(finishCutoutLabel_, cutout, QString(), true);
    toolPalette_->addPaletteAction(finishAction_, cutout, QString());
    toolPalette_->addPaletteAction(cancelAction_, cutout, QString());
    toolPalette_->addPaletteWidget(startLabel_, composition, QString(), false);
    toolPalette_->addPaletteAction(canvasSettingsAction_, composition, QString());
    toolPalette_->addPaletteWidget(createLabel_, composition, QString(), true);
    toolPalette_->addPaletteAction(addImageAction_, composition, QString());
    toolPalette_->addPaletteAction(addTextAction_, composition, QString());
    toolPalette_->addPaletteAction(addSpeechBubbleAction_, composition, QString());
    toolPalette_->addPaletteWidget(finishCompositionLabel_, composition, QString(), true);
    toolPalette_->addPaletteAction(previewAction_, composition, QString());
    if (saveAction_)
        toolPalette_->addPaletteAction(saveAsAction_, composition, QString());
    toolPalette_->addPaletteAction(printAction_, composition, QString());
    if (saveAsAction_)
        connect(saveAsAction_, &QAction::triggered, toolPalette_, &ToolBarPalette::updateView);
}
