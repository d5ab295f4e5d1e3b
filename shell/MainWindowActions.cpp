#include "shell/MainWindowActions.h"

#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixTextItem.h"
#include "composition/scene/ZoomViewOptionsWidget.h"
#include "common/Product.h"
#include "masking/GmModel.h"
#include "shell/DistributorCustomisation.h"
#include "shell/FileHandler.h"
#include "shell/GmAction.h"
#include "shell/GmTogglingAction.h"
#include "shell/GoogleWidget.h"
#include "shell/TqApp.h"
#include "shell/TqMainWindow.h"
#include "shell/WebAddresses.h"
#include "workspace/BrushingTool.h"
#include "workspace/EdgeBlendingTool.h"
#include "workspace/ImageView.h"

#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace {

constexpr int keepBit = 2;
constexpr int deleteBit = 4;
constexpr int blendBit = 8;

// The tool bar is dark: a picture greyed by the style would come out brighter than the usable
// one, so the unusable state has a dim picture of its own.
QIcon iconWithDimDisabledState(const QString& name) {
    QIcon icon(QStringLiteral(":/images/fun/icons48pix/%1.png").arg(name));
    icon.addFile(QStringLiteral(":/images/fun/icons48pix/%1_disabled.png").arg(name), QSize(),
                 QIcon::Disabled);
    return icon;
}

}  // namespace

MainWindowActions::MainWindowActions(TqMainWindow* window) : window_(window) {}

void MainWindowActions::buildActions(ZoomViewOptionsWidget* zoomWidget, FileHandler* fileHandler) {
    const bool standalone = !theApp || theApp->runMode() == TqApp::StandAlone;
    const QIcon floppy(QStringLiteral(":fun/icon_floppydisc_orange_48.png"));
    if (standalone) {
        saveAction_ =
            new GmAction(floppy, tr("&Save", "[all]"), window_, QKeySequence(tr("Ctrl+S")));
        saveAction_->setWhatsThis(tr("Export the final image to a file", "[zol,frolix]"));
        saveAction_->setEnabled(false);
        QObject::connect(saveAction_, &QAction::triggered, window_, &TqMainWindow::fileSaveSlot);
        saveAsAction_ =
            new GmAction(floppy, tr("Save &As...", "[all]"), window_, QKeySequence(tr("Ctrl+A")));
        saveAsAction_->setWhatsThis(
            tr("Export the final image to a file, specifying the file name", "[zol,frolix]"));
        QObject::connect(saveAsAction_, &QAction::triggered, window_,
                         &TqMainWindow::fileSaveAsSlot);
    }
    printAction_ = new GmAction(QIcon(QStringLiteral(":images/fun/icons48pix/print.png")),
                                tr("&Print...", "[all]"), window_, QKeySequence(tr("Ctrl+P")));
    printAction_->setWhatsThis(tr("Print the generated image", "[all]"));
    QObject::connect(printAction_, &QAction::triggered, FrolixObject::instance(),
                     &FrolixObject::printSlot);

    undoAction_ = new GmAction(iconWithDimDisabledState(QStringLiteral("undo")),
                               tr("&Undo", "[all]"), window_, QKeySequence(tr("Ctrl+Z")));
    undoAction_->setWhatsThis(
        tr("<p><b>Undo</b></p><p>Undo any <b>Delete</b>, <b>Blend</b> or "
           "<b>Erase</b> strokes. There are an unlimited number of Undo "
           "steps.</p>",
           "[tip]"));
    undoAction_->setObjectName(QStringLiteral("Undo Action"));
    QObject::connect(undoAction_, &QAction::triggered, window_, &TqMainWindow::undoSlot);
    redoAction_ = new GmAction(iconWithDimDisabledState(QStringLiteral("redo")),
                               tr("&Redo", "[all]"), window_, QKeySequence(tr("Ctrl+Y")));
    redoAction_->setWhatsThis(tr("<p><b>Redo</b></p><p>Redo any <b>Undo</b> steps.</p>", "[tip]"));
    redoAction_->setObjectName(QStringLiteral("Redo Action"));
    QObject::connect(redoAction_, &QAction::triggered, window_, &TqMainWindow::redoSlot);

    preferencesAction_ = new QAction(tr("Pre&ferences...", "[zol]"), window_);
    preferencesAction_->setMenuRole(QAction::PreferencesRole);
    QObject::connect(preferencesAction_, &QAction::triggered, window_,
                     &TqMainWindow::invokePreferencesSlot);

    zoomInAction_ = new GmAction(QIcon(QStringLiteral(":images/fun/cursors32pix/zoom_in.png")),
                                 tr("Zoom &In", "[all]"), window_);
    zoomInAction_->setShortcuts({QKeySequence(tr("Ctrl++", "[all]Zoom-in shortcut")),
                                 QKeySequence(tr("Ctrl+=", "[all]Zoom-in shortcut")),
                                 QKeySequence(tr("+", "[all]Zoom-in shortcut")),
                                 QKeySequence(tr("=", "[all]Zoom-in shortcut"))});
    zoomOutAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/cursors32pix/zoom_out.png")),
                                  tr("Zoom &Out", "[all]"), window_);
    zoomOutAction_->setShortcuts({QKeySequence(tr("Ctrl+-", "[all]Zoom-out shortcut")),
                                  QKeySequence(tr("-", "[all]Zoom-out shortcut"))});
    fitScreenAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/navigation16pix/fit_to_screen.png")),
                     tr("&Fit on Screen", "[all]"), window_, QKeySequence(tr("Ctrl+0")));
    actualPixelsAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/navigation16pix/actual_size.png")),
                     tr("Actual Pixels (1:1)", "[zol]"), window_, QKeySequence(tr("Alt+Ctrl+0")));
    if (zoomWidget) {
        QObject::connect(fitScreenAction_, &QAction::triggered, zoomWidget,
                         &ZoomViewOptionsWidget::fitScreenSlot);
        QObject::connect(actualPixelsAction_, &QAction::triggered, zoomWidget,
                         &ZoomViewOptionsWidget::actualPixelsSlot);
    }
    exitAction_ = new GmAction(QIcon(), tr("E&xit ", "[all]") + productDisplayName(), window_,
                               QKeySequence(tr("Ctrl+Q")));
    FrolixTextItem::keepLiveWhileEditing(exitAction_);
    QObject::connect(exitAction_, &QAction::triggered, window_, &QWidget::close);
    if (!standalone) {
        saveAndApplyAction_ = new GmAction(QIcon(), tr("&Save and Apply", "[tq3]"), window_,
                                           QKeySequence(tr("Ctrl+S")));
        QObject::connect(saveAndApplyAction_, &QAction::triggered, window_,
                         &TqMainWindow::saveAndApplySlot);
    }
    revertAction_ = new QAction(tr("Start A&gain", "[zol]"), window_);
    QObject::connect(revertAction_, &QAction::triggered, window_, &TqMainWindow::revertSlot);
    compositionNewAction_ = new GmAction(QIcon(), tr("New Composition...", "[zol]"), window_,
                                         QKeySequence(tr("Ctrl+N", "[zol]")));
    if (fileHandler)
        QObject::connect(compositionNewAction_, &QAction::triggered, fileHandler,
                         &FileHandler::compositionNewSlot);

    buildCompositionActions();

    finishAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/apply.png")),
                                 tr("Finish", "[zol]"), window_);
    finishAction_->setToolTip(tr("Return to the canvas, adding this finished cut-out", "[zol]"));
    setActionShortcut(finishAction_, QKeySequence(Qt::Key_Return));
    QObject::connect(finishAction_, &QAction::triggered, window_,
                     &TqMainWindow::createCutoutItemDone);
    cancelAction_ = new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/cancel.png")),
                                 tr("Cancel", "[zol]"), window_);
    cancelAction_->setToolTip(tr("Return to the canvas, discarding this cut-out", "[zol]"));
    setActionShortcut(cancelAction_, QKeySequence(Qt::Key_Escape));
    QObject::connect(cancelAction_, &QAction::triggered, window_,
                     &TqMainWindow::createCutoutItemCancelled);

    const DistributorCustomisation& distributor = distributorCustomisation();
    if (distributor.tutorials) {
        tutorialsAction_ = new QAction(tr("&Tutorials", "[all]"), window_);
        QObject::connect(tutorialsAction_, &QAction::triggered, window_,
                         &TqMainWindow::tutorialsSlot);
    }
    if (distributor.homePage) {
        homePageAction_ = new QAction(tr("Home Page", "[all]"), window_);
        QObject::connect(homePageAction_, &QAction::triggered, window_,
                         &TqMainWindow::homePageSlot);
    }
    if (distributor.checkForUpdates) {
        checkForUpdatesAction_ = new QAction(tr("&Check for Updates", "[all]"), window_);
        if (theApp)
            QObject::connect(checkForUpdatesAction_, &QAction::triggered, theApp,
                             &TqApp::checkForUpdateSlot);
    }
    if (distributor.latestNews && !newsPageAddress().isEmpty()) {
        latestNewsAction_ = new QAction(tr("Latest &News"), window_);
        latestNewsAction_->setEnabled(theApp && theApp->newsAvailable());
        if (theApp) {
            QObject::connect(latestNewsAction_, &QAction::triggered, theApp,
                             &TqApp::checkForNewsSlot);
            QObject::connect(theApp, &TqApp::newsAvailability, latestNewsAction_,
                             &QAction::setEnabled);
        }
    }
    aboutAction_ = new QAction(tr("&About %1 ...", "[all]").arg(productDisplayName()), window_);
    aboutAction_->setMenuRole(QAction::AboutRole);
    QObject::connect(aboutAction_, &QAction::triggered, window_, &TqMainWindow::aboutSlot);
    facebookAction_ = new GmAction(
        QIcon(QStringLiteral(":images/facebook_icon.png")),
        tr("%1 Facebook Group", "[zol]Entry on Community Menu").arg(productDisplayName()), window_);
    QObject::connect(facebookAction_, &QAction::triggered, window_,
                     &TqMainWindow::facebookCommunitySlot);
    flickrAction_ = new GmAction(
        QIcon(QStringLiteral(":images/flickr_icon.png")),
        tr("%1 Flickr Group", "[zol]Entry on Community Menu").arg(productDisplayName()), window_);
    QObject::connect(flickrAction_, &QAction::triggered, window_,
                     &TqMainWindow::flickrCommunitySlot);

    // Ctrl+Shift+Z goes through Redo, so it does nothing while Redo may not run (nothing to
    // redo, or the composition tab, where Redo has no meaning).
    auto* redoShortcut = new QShortcut(QKeySequence(tr("Ctrl+Shift+Z", "[all]Redo shortcut")),
                                       window_, nullptr, nullptr, Qt::WindowShortcut);
    QObject::connect(redoShortcut, &QShortcut::activated, redoAction_, [redo = redoAction_] {
        if (redo->isEnabled())
            redo->trigger();
    });
    if (standalone) {
        auto* closeShortcut = new QShortcut(QKeySequence::Close, window_, nullptr, nullptr,
                                            Qt::WindowShortcut);
        QObject::connect(closeShortcut, &QShortcut::activated, window_, &QWidget::close);
    }
    // No steps yet.
    undoAction_->setEnabled(false);
    redoAction_->setEnabled(false);
}

void MainWindowActions::buildCompositionActions() {
    previewAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/preview_image.png")),
                     tr("Preview...", "[zol]"), window_, QKeySequence(tr("Ctrl+Shift+P")));
    addImageAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/cutout.png")),
                     tr("Add &Image...", "[zol]"), window_, QKeySequence(tr("Ctrl+I")));
    addTextAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/text_tool.png")),
                     tr("Add Text", "[zol]"), window_, QKeySequence(tr("Ctrl+Shift+T")));
    addSpeechBubbleAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/speech_bubble.png")),
                     tr("Add Speech Bubble", "[zol]"), window_, QKeySequence(tr("Ctrl+Shift+S")));
    canvasSettingsAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/canvas_size.png")),
                     tr("Set Up Canvas", "[zol]"), window_,
                     QKeySequence(tr("S", "[zol]Shortcut for Canvas Settings")));
}

void MainWindowActions::buildMenus() {
    auto addAll = [](QMenu* menu, std::initializer_list<QAction*> actions) {
        for (QAction* action : actions)
            if (action)
                menu->addAction(action);
    };
    QMenu* fileMenu = window_->menuBar()->addMenu(tr("&File", "[all]"));
    addAll(fileMenu,
           {compositionNewAction_, addImageAction_, saveAction_, saveAsAction_, previewAction_});
    fileMenu->addSeparator();
    addAll(fileMenu, {saveAndApplyAction_, revertAction_});
    fileMenu->addSeparator();
    addAll(fileMenu, {printAction_, preferencesAction_, exitAction_});

    QMenu* viewMenu = window_->menuBar()->addMenu(tr("&View", "[all]"));
    addAll(viewMenu, {zoomInAction_, zoomOutAction_, actualPixelsAction_, fitScreenAction_});

    QMenu* communityMenu = window_->menuBar()->addMenu(tr("&Community", "[zol]"));
    addAll(communityMenu, {facebookAction_, flickrAction_});

    QMenu* helpMenu = window_->menuBar()->addMenu(tr("&Help", "[all]"));
    addAll(helpMenu, {tutorialsAction_, homePageAction_, latestNewsAction_});
    if (checkForUpdatesAction_) {
        helpMenu->addSeparator();
        helpMenu->addAction(checkForUpdatesAction_);
    }
    helpMenu->addSeparator();
    helpMenu->addAction(aboutAction_);

    addMenuActionsToWindow(fileMenu);
    addMenuActionsToWindow(viewMenu);
    addMenuActionsToWindow(helpMenu);
}

void MainWindowActions::addMenuActionsToWindow(QMenu* menu) {
    if (!menu)
        return;
    for (QAction* action : menu->actions())
        window_->addAction(action);
}

void MainWindowActions::buildSearchFocusAction(GoogleWidget* searchBox) {
    auto* searchFocusAction = new QAction(window_);
    searchFocusAction->setShortcut(QKeySequence(
        tr("Ctrl+K", "[zol]Shortcut for setting keyboard focus to Google search box")));
    QObject::connect(searchFocusAction, &QAction::triggered, searchBox,
                     &GoogleWidget::setFocusSlot);
    window_->addAction(searchFocusAction);
}

void MainWindowActions::buildPaletteActions(GmTool* edgeBlendingTool) {
    const QString smoothingKey = tr("S", "[zol]shortcut for Edge Smoothing");
    edgeSmoothingAction_ = new GmTogglingAction(
        QIcon(QStringLiteral(":/images/fun/icons48pix/smoothing_on.png")),
        QIcon(QStringLiteral(":/images/fun/icons48pix/smoothing_off.png")), tr("Edge Smoothing"),
        window_, QKeySequence(smoothingKey),
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
    if (edgeBlendingTool) {
        if (auto* blending = qobject_cast<EdgeBlendingTool*>(edgeBlendingTool))
            QObject::connect(edgeSmoothingAction_, &QAction::toggled, blending,
                             &EdgeBlendingTool::setBinaryBlendRatioSignal);
    } else {
        unconnectedActions_.insert(edgeSmoothingAction_);
        edgeSmoothingAction_->setEnabled(false);
    }
    GmModel* model = GmModel::instance();
    translucencyAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/toggle_display.png")),
                     tr("Translucency", "[zol]"), window_);
    translucencyAction_->setToolTip(
        tr("Use a translucent background to see through to the original image", "[zol]"));
    setActionShortcut(translucencyAction_, QKeySequence(Qt::Key_B));
    QObject::connect(translucencyAction_, &QAction::triggered, model, &GmModel::hintOpacityChanged);
    colourAction_ =
        new GmAction(QIcon(QStringLiteral(":/images/fun/icons48pix/display_colour.png")),
                     tr("Color", "[zol]"), window_);
    colourAction_->setToolTip(
        tr("See how your cut-out will look against a different background color", "[zol]"));
    setActionShortcut(colourAction_, QKeySequence(tr("C")));
    QObject::connect(colourAction_, &QAction::triggered, model, &GmModel::changeBackgroundColour);
}

void MainWindowActions::buildBrushSizeActions(BrushingTool* brush) {
    auto* increaseBrushSizeAction =
        new GmAction(QIcon(), tr("Increase Brush Size", "[all]"), window_,
                     QKeySequence(tr("]", "[all]shortcut for increasing brush size")));
    auto* decreaseBrushSizeAction =
        new GmAction(QIcon(), tr("Decrease Brush Size", "[all]"), window_,
                     QKeySequence(tr("[", "[all]shortcut for increasing brush size")));
    window_->addAction(increaseBrushSizeAction);
    window_->addAction(decreaseBrushSizeAction);
    QObject::connect(increaseBrushSizeAction, &QAction::triggered, brush,
                     &BrushingTool::increaseBrushSizeSlot);
    QObject::connect(decreaseBrushSizeAction, &QAction::triggered, brush,
                     &BrushingTool::decreaseBrushSizeSlot);
}

void MainWindowActions::enableAction(QAction* action, bool enabled) {
    if (action)
        action->setEnabled(enabled && !unconnectedActions_.contains(action));
}

void MainWindowActions::updateEnabledness(int tab, bool compositionOpen) {
    enableAction(addImageAction_, tab != ImageView::MaskingTab);
    for (QAction* action :
         {static_cast<QAction*>(saveAction_), static_cast<QAction*>(saveAsAction_),
          static_cast<QAction*>(printAction_)})
        enableAction(action, compositionOpen);
    for (QAction* action : {zoomInAction_, zoomOutAction_, fitScreenAction_, actualPixelsAction_})
        enableAction(action, true);
    for (QAction* action : {canvasSettingsAction_, addTextAction_, addSpeechBubbleAction_})
        enableAction(action, true);
    // Preview belongs to the composition: the masking side keeps it off whatever else changed.
    enableAction(previewAction_, (tab & maskingTabs) == 0);
}

void MainWindowActions::statusesPresentChanged(int statuses, int tab) {
    maskPossible_ = (statuses & (deleteBit | blendBit)) != 0;
    enableAction(revertAction_, maskPossible_ && (tab & maskingTabs) != 0);
    enableAction(saveAndApplyAction_, (statuses & (keepBit | deleteBit)) != 0);
}

void MainWindowActions::viewTabShown(int tab) {
    const bool masking = (tab & maskingTabs) != 0;
    enableAction(revertAction_, masking && maskPossible_);
    enableAction(previewAction_, !masking);
}

void MainWindowActions::revertStarted() { enableAction(revertAction_, false); }

void MainWindowActions::setUndoStack(std::uint32_t undos, std::uint32_t redos) {
    constexpr std::uint32_t unknown = 4294967295u;   // the engine could not count
    if (redos != unknown)
        redoCount_ = redos;
    if (undos != unknown)
        undoCount_ = undos;
}

void MainWindowActions::updateUndoRedoEnabledness(bool engineIdle) {
    enableAction(undoAction_, undoCount_ != 0 && engineIdle);
    enableAction(redoAction_, redoCount_ != 0);
}
