#include "shell/TqMainWindow.h"

#include "composition/scene/FrolixWidget.h"
#include "composition/scene/ZoomViewOptionsWidget.h"
#include "shell/AcceptImageDrop.h"
#include "shell/CutoutPlacement.h"
#include "shell/EngineStatus.h"
#include "shell/FileHandler.h"
#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/OstrivalThread.h"
#include "common/FakeDock.h"
#include "shell/GasPipe.h"
#include "shell/GmAction.h"
#include "common/GmSubWindow.h"
#include "shell/ProblemReports.h"
#include "common/Product.h"
#include "shell/TqApp.h"
#include "workspace/GmTool.h"
#include "workspace/GmZoomWidget.h"
#include "workspace/ModelPort.h"

#include <QApplication>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QWindow>
#include <QToolBar>

#include <cmath>

TqMainWindow* theMainWindow = nullptr;

namespace {

bool startedByHost() { return theApp && theApp->runMode() != TqApp::StandAlone; }

}  // namespace

TqMainWindow::TqMainWindow(const QStringList& filesToOpen, QWidget* parent)
    : QMainWindow(parent) {
    // Set first: the views, tools and dialogs built below take the window as their parent, and
    // files the system asks us to open meanwhile come here.
    theMainWindow = this;
    try {
        setWindowTitle(QStringLiteral("<p>") + productDisplayName() + QStringLiteral("</p>"));
        setAttribute(Qt::WA_DeleteOnClose);
        setIconSize(QSize(48, 48));

        GmModel* model = GmModel::instance();
        model->setHostOwnsImage(startedByHost());
        // While the model waits for the engine to drain before its session opens, nothing
        // here may be touched.
        connect(model, &GmModel::busyChanged, this, [this](bool busy) { setEnabled(!busy); });
        ModelPort* port = ModelPort::instance();
        port->attach(model);

        imageView_ = new ImageView(this);
        imageView_->setObjectName(QStringLiteral("imageView_"));
        // The tools switch tabs through the view; they must know it before anything installs.
        GmTool::setImageView(imageView_);
        GmTool::setDefaultToolChooser([this] { selectDefaultTool(); });
        GmTool::setSpaceReturnToolQuery([this] { return toolBeforePan_; });
        connect(imageView_, &ImageView::viewTabChanged, this,
                &TqMainWindow::updateActionEnablednessSlot);
        connect(imageView_, &ImageView::zoomChanged, this, &TqMainWindow::setWindowTitleSlot);

        auto* central = new QWidget(this);
        auto* centralLayout = new QHBoxLayout(central);
        centralLayout->setContentsMargins(0, 0, 0, 0);
        centralLayout->addWidget(imageView_, 1);
        dock_ = new FakeDock(central);
        centralLayout->addWidget(dock_, 0);
        setCentralWidget(central);

        frolixWidget_ = new FrolixWidget;
        frolixWidget_->setObjectName(QStringLiteral("frolixWidget_"));
        imageView_->addViewTab(
            frolixWidget_, QCoreApplication::translate("TqMainWindow", "2. Compose Picture", "[frolix]"),
            QCoreApplication::translate(
                "TqMainWindow",
                "<p><b>Compose Picture</b> (2)</p><p>Set the canvas size the eventual size of the "
                "picture; re-size and rotate your object; and add a new background.</p>",
                "[frolix, tip]"),
            QString(), ImageView::CompositionTab);

        ToolEvents* tools = ToolEvents::instance();
        connect(tools, &ToolEvents::toolChanged, frolixWidget_, &FrolixWidget::toolChangedSlot);
        connect(tools, &ToolEvents::cursorChanged, frolixWidget_, &FrolixWidget::cursorChangedSlot);
        connect(tools, &ToolEvents::toolChanged, this, &TqMainWindow::toolChangedSlot);

        imageView_->ensureViewTab(ImageView::CompositionTab, ImageView::CompositionTab);

        fileHandler_ = new FileHandler(this);
        engineThread_ = new OstrivalThread;
        engineStatus_ = new EngineStatus(this, engineThread_);
        placement_ = new CutoutPlacement(this);
        // After the placement: the composition's requests may need it at once.
        connectComposition();

        zoomWidget_ = new ZoomViewOptionsWidget;

        startLabel_ = makeGroupLabel(tr("1. Start", "[zol]"));
        createLabel_ = makeGroupLabel(tr("2. Create", "[zol]"));
        finishCompositionLabel_ = makeGroupLabel(tr("3. Finish", "[zol]"));
        cutoutLabel_ = makeGroupLabel(tr("Cut-Out", "[zol]"));
        backgroundLabel_ = makeGroupLabel(tr("Background", "[zol]"));
        touchUpLabel_ = makeGroupLabel(tr("Touch-Up", "[zol]"));
        finishCutoutLabel_ = makeGroupLabel(tr("Finish", "[zol]"));

        buildActions();
        buildStatusBar();
        buildMenus();
        buildPanels();
        buildTools();

        if (zoomWidget_) {
            connect(actions_.zoomInAction(), &QAction::triggered, zoomWidget_,
                    &ZoomViewOptionsWidget::zoomIn);
            connect(actions_.zoomOutAction(), &QAction::triggered, zoomWidget_,
                    &ZoomViewOptionsWidget::zoomOut);
        }
        if (GmStatusArray* statuses = model->statusArray())
            connect(statuses, &GmStatusArray::statusesPresentChanged, this,
                    [this](JxPixelStatus present) { statusesPresentChangedSlot(present); });

        const int tab = currentViewTab();
        for (GmSubWindow* window : subWindows_) {
            connect(imageView_, &ImageView::viewTabChanged, window,
                    [window](ImageView::ViewTab shown) { window->viewTabChangedSlot(shown); });
            window->toggleAction()->setEnabled((window->viewTabs() & tab) != 0);
            window->updateVisibility();
        }
        connect(imageView_, &ImageView::viewTabChanged, this, &TqMainWindow::viewTabChangedSlot);
        connect(imageView_, &ImageView::viewTabChanged, frolixWidget_,
                &FrolixWidget::viewTabChangedSlot);
        if (navigatorWindow_ && zoomWidget_) {
            zoomWidget_->connectViews(navigatorWindow_, imageView_, frolixWidget_);
            // The composition tab was shown before the controls listened: without this they
            // would drive no view until the first tab change.
            zoomWidget_->viewTabChanged(ImageView::ViewTab(currentViewTab()));
        }

        // Drops on either view go to the image intake; the window itself takes none of its own.
        GmZoomWidget::setDropHandler([](QDropEvent* event) {
            acceptImageDrop(event, QPointF());
            return event->isAccepted();
        });
        FrolixWidget::setDropHandler([](QDropEvent* event, const QPointF& scenePos) {
            acceptImageDrop(event, scenePos);
            return event->isAccepted();
        });

        applyDefaultLayout();

        if (theGasPipe)
            readTheGasPipe();

        if (startedByHost()) {
            // Without the host's images (no control file read, nothing mapped) nothing opens.
            // Pictures that are not taken over stay with the application object, which
            // deletes them at exit.
            QPointer<TqSourceImage> source = theApp->sourceImage();
            QPointer<TqSourceImage> output = theApp->outputImage();
            if (source && fileHandler_ && fileHandler_->openSourceImage(source, output)) {
                // Taken over: the application object must not delete them at exit.
                for (TqSourceImage* image : {source.data(), output.data()})
                    if (image && image->parent() == theApp)
                        image->setParent(nullptr);
            }
        } else {
            for (const QString& fileName : filesToOpen)
                loadFile(fileName);
        }

        checkProblemReports(this);
        if (theApp)
            theApp->runStartUpChecks();
        setAcceptDrops(true);
    } catch (...) {
        GmTool::setImageView(nullptr);
        GmTool::setDefaultToolChooser({});
        GmTool::setSpaceReturnToolQuery({});
        theMainWindow = nullptr;   // no destructor runs for a window that was never built
        throw;
    }
}

TqMainWindow::~TqMainWindow() {
    GmZoomWidget::setDropHandler({});
    FrolixWidget::setDropHandler({});
    delete fileHandler_;
    fileHandler_ = nullptr;
    // A current tool that goes hands over to the No Tool, never back into this half-gone
    // window; the No Tool is deleted last. The tools go while the views they point to exist.
    GmTool::setDefaultToolChooser({});
    GmTool::setSpaceReturnToolQuery({});
    for (GmTool*& tool : {std::ref(deleteLocalTool_), std::ref(deleteExactTool_),
                          std::ref(complexExactTool_), std::ref(eraseExactTool_),
                          std::ref(panTool_), std::ref(frolixPanTool_),
                          std::ref(edgeFindingTool_), std::ref(edgeBlendingTool_),
                          std::ref(noTool_)}) {
        delete tool;
        tool = nullptr;
    }
    GmTool::setImageView(nullptr);
    // Closing handed the engine thread to deleteLater; a window deleted without a close, or
    // after a close that no event loop followed, takes it along here.
    delete engineThread_.data();
    delete closedEngineThread_.data();
    if (theMainWindow == this)
        theMainWindow = nullptr;
}

QLabel* TqMainWindow::makeGroupLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("FunGroupLabel"));
    label->setAlignment(Qt::AlignHCenter);
    label->setTextFormat(Qt::AutoText);
    return label;
}

OstrivalThread* TqMainWindow::engineThread() const { return engineThread_; }

QProgressBar* TqMainWindow::progressBar() const {
    return engineStatus_ ? engineStatus_->progressBar() : nullptr;
}

bool TqMainWindow::isEngineIdle() const {
    const GmModel* model = GmModel::existing();
    return (!engineThread_ || engineThread_->isIdle()) &&
           !(model && model->isWaitingToOpenSession()) && !isPlacementPending();
}

int TqMainWindow::currentViewTab() const {
    return imageView_ ? int(imageView_->currentViewTab()) : int(ImageView::MaskingTab);
}

void TqMainWindow::applyDefaultLayout() {
    QScreen* screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        const int width = available.right() - available.left() + 1;
        const int height = available.bottom() - available.top() + 1;
        const int dx = int(std::floor(0.1 * width + 0.5));
        const int dy = int(std::floor(0.1 * height + 0.5));
        setGeometry(available.adjusted(dx, dy, -dx, -dy));
    }
    if (dock_)
        for (GmSubWindow* window : subWindows_)
            window->setFloating(false, true);
    if (propertyPanelWindow_) {
        propertyPanelWindow_->subWindowData()->wantedShown = true;
        propertyPanelWindow_->updateVisibility();
    }
    screenMode = 0;
    if (dock_)
        dock_->childVisibilityChanged();
    menuBar()->show();
    showMaximized();
}

void TqMainWindow::saveUiState() {
    QSettings settings;
    settings.setValue(persistVersionKey, layoutVersion);
    settings.setValue(geometryKey, saveGeometry());
    settings.setValue(screenModeKey, screenMode);
    if (optionsToolBar_ && optionsToolBar_->isHidden())
        optionsToolBar_->show();
    settings.setValue(childStateKey, saveState(layoutVersion));
    for (GmSubWindow* window : subWindows_)
        settings.setValue(subWindowsKey + window->objectName(), window->saveState());
    if (screenMode == 0) {
        maximized = isMaximized();
        normalGeometry_ = normalGeometry();
    }
    settings.setValue(maximizedKey, maximized ? 1u : 0u);
    settings.setValue(normalGeometryKey, normalGeometry_);
    if (frolixWidget_)
        settings.setValue(frolixSettingsKey, frolixWidget_->stateForSettings());
}

void TqMainWindow::loadFile(const QString& fileName) {
    if (fileName.isEmpty()) {
        loadImage();   // the Add Image command: ask for the file
        return;
    }
    requestedFiles_.append(fileName);
    while (requestedFiles_.size() > requestedFilesKept)
        requestedFiles_.removeFirst();
    // The file handler's own open asks about the cut-out and cannot wait for its placement.
    maybeSaveCutout(tr("Closing cut-out", "[all]"), [this, fileName] {
        if (fileHandler_ && !startedByHost())
            fileHandler_->loadImage(fileName);
    });
}
