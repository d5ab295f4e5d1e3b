#pragma once

#include "masking/NamedImage.h"
#include "masking/TqSourceImage.h"
#include "workspace/ImageView.h"

#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>

class FakeDock;
class FileHandler;
class FrolixWidget;
class GmAction;
class GmSubWindow;
class GmTogglingAction;
class GmTool;
class GoogleWidget;
class NavigatorWindow;
class OstrivalThread;
class QActionGroup;
class QCloseEvent;
class QHBoxLayout;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;
class SavedCutoutState;
class ShowOriginalToolButton;
class ToolBarPalette;
class ToolOptions;
class ZoomViewOptionsWidget;

/// The one top-level window. It builds every long-lived part of the user interface (the tabbed
/// image view with the masking workspace, the composition view, the navigator, the tools, the
/// palette, the panels, actions, menus and status bar), wires them together, opens what the
/// command line hands over and deletes itself when closed, which ends the run.
///
/// Parts other developers are still building (the masking brushes, the edge tools, the view
/// options, the property panel, the composition commands) are reached through the `create...`
/// and `connectCompositionCommand` hooks of TqMainWindowHooks.cpp; until they exist the window
/// goes without them, and the actions that would need them stay disabled.
class TqMainWindow : public QMainWindow {
    Q_OBJECT
public:
    /// Builds and shows the window maximized, then opens `filesToOpen` in order (standalone
    /// runs; a host run opens the host's images instead).
    explicit TqMainWindow(const QStringList& filesToOpen = QStringList(),
                          QWidget* parent = nullptr);
    ~TqMainWindow() override;

    /// Maximized on the screen showing the window, the managed panels docked and shown.
    void applyDefaultLayout();
    /// Writes the window state under "UI/"; nothing reads it back.
    void saveUiState();

    /// The files asked for by the system or the command line so far, oldest first.
    const QStringList& requestedFiles() const { return requestedFiles_; }

    ImageView* imageView() const { return imageView_; }
    FrolixWidget* frolixWidget() const { return frolixWidget_; }
    NavigatorWindow* navigatorWindow() const { return navigatorWindow_; }
    FileHandler* fileHandler() const { return fileHandler_; }
    ToolBarPalette* toolPalette() const { return toolPalette_; }
    ToolOptions* toolOptions() const { return toolOptions_; }
    GoogleWidget* searchBox() const { return googleWidget_; }
    QProgressBar* progressBar() const { return progressBar_; }
    GmTool* noTool() const { return noTool_; }
    /// The tool a Space-held hand stands in for, or null.
    GmTool* spaceReturnTool() const { return toolBeforePan_; }

    /// The current tab's value; 2 while the image view shows none.
    int currentViewTab() const;

    // --- Asked by the file handler, the composition and the tools ---
    /// Enables the actions for `image` (none allowed), the shown tab and whether a
    /// composition is open.
    void updateActionEnabledness(const TqSourceImage* image);
    /// True when the cut-out may be closed. Nothing is saved yet: true at once.
    Q_INVOKABLE bool maybeSaveCutout(const QString& title);
    /// Forgets the cut-out being edited, closes the masking image and shows the composition.
    Q_INVOKABLE void closeCutout();
    Q_INVOKABLE void showCutoutTab();
    /// Installs a usable tool for the shown tab.
    Q_INVOKABLE void selectDefaultTool();

public slots:
    /// Opens an image file through the file handler.
    void loadFile(const QString& fileName);
    /// The best image of a drop or download. For now it is only logged.
    void receivedImageSlot(NamedImage image);
    /// Text dropped at `position` (composition coordinates). For now it is only logged.
    void receivedTextSlot(QString text, QPointF position);

    void updateActionEnablednessSlot();
    void setWindowTitleSlot();
    void imageChangedSlot(const TqSourceImage* image);
    void imageAnalysisHasBegunSlot();
    void statusesPresentChangedSlot(int statuses);
    void viewTabChangedSlot(ImageView::ViewTab tab);
    void toolChangedSlot(const GmTool* tool);
    void undoSlot();
    void redoSlot();
    void revertSlot();
    void jxUndoStackChangedSlot(uint32_t undos, uint32_t redos);
    void updateUndoRedoEnabledness();

    // Built with saving, closing and cut-out hand-off; for now they do nothing.
    void fileSaveSlot();
    void fileSaveAsSlot();
    void saveAndApplySlot();
    void createCutoutItemDone();
    void createCutoutItemCancelled();
    void invokePreferencesSlot();

    void aboutSlot();
    void tutorialsSlot();
    void homePageSlot();
    void facebookCommunitySlot();
    void flickrCommunitySlot();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    /// The second pass of a tab change; applies the tab shown when it runs.
    void deferredTabPassSlot();

private:
    // Builders, in the order the constructor calls them.
    void buildActions();
    void buildStatusBar();
    void buildMenus();
    void buildPanels();
    void buildTools();
    void buildToolPalette();
    void buildCompositionActions();
    void addMenuActionsToWindow(QMenu* menu);
    void setStatusBarEnabled(bool enabled);
    QLabel* makeGroupLabel(const QString& text);
    void applyViewTab(int tab);

    // Hooks for parts still being built elsewhere: each returns null or false until its class
    // exists (TqMainWindowHooks.cpp).
    GmTool* createMaskingBrush(const char* name);
    GmTool* createEdgeFindingTool();
    GmTool* createEdgeBlendingTool();
    QWidget* createViewOptions();
    GmSubWindow* createPropertyPanel();
    bool connectCompositionCommand(QAction* action, const char* commandName);
    void setViewOptionsShowVectorEdgesEnabled(bool enabled);
    void setViewOptionsShowVectorEdges(bool on);
    void emitAutoBlueWidth(int choice);

    /// Sets an action's enabled state, keeping actions without their command disabled.
    void enableAction(QAction* action, bool enabled);

    int promptOnClose = 1;
    const int layoutVersion = 2;
    const QString persistVersionKey = QStringLiteral("PersistVersion");
    const QString geometryKey = QStringLiteral("UI/Geometry");
    const QString screenModeKey = QStringLiteral("UI/ScreenMode");
    const QString maximizedKey = QStringLiteral("UI/Maximized");
    const QString normalGeometryKey = QStringLiteral("UI/NormalGeometry");
    const QString childStateKey = QStringLiteral("UI/ChildState");
    const QString subWindowsKey = QStringLiteral("UI/SubWindows/");
    const QString frolixSettingsKey = QStringLiteral("UI/FrolixFrolix/");
    int screenMode = 0;
    bool maximized = true;
    QRect normalGeometry_;   // "UI/NormalGeometry"

    QHBoxLayout* statusLayout_ = nullptr;
    QWidget* statusHolder_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    ImageView* imageView_ = nullptr;
    FileHandler* fileHandler_ = nullptr;
    QPointer<OstrivalThread> engineThread_;
    NavigatorWindow* navigatorWindow_ = nullptr;
    GmSubWindow* propertyPanelWindow_ = nullptr;
    QList<GmSubWindow*> subWindows_;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* communityMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    FakeDock* dock_ = nullptr;
    QToolBar* optionsToolBar_ = nullptr;
    ToolOptions* toolOptions_ = nullptr;
    QWidget* viewOptions_ = nullptr;
    GoogleWidget* googleWidget_ = nullptr;
    QToolBar* undoRedoToolBar_ = nullptr;
    ToolBarPalette* toolPalette_ = nullptr;
    ShowOriginalToolButton* showOriginalButton_ = nullptr;
    QWidget* showOriginalHolder_ = nullptr;
    QAction* edgeBlendingOptionsAction_ = nullptr;
    QAction* edgeFindingOptionsAction_ = nullptr;

    GmAction* saveAction_ = nullptr;
    GmAction* saveAsAction_ = nullptr;
    GmAction* printAction_ = nullptr;
    GmAction* undoAction_ = nullptr;
    GmAction* redoAction_ = nullptr;
    QAction* preferencesAction_ = nullptr;
    GmAction* zoomInAction_ = nullptr;
    GmAction* zoomOutAction_ = nullptr;
    GmAction* fitScreenAction_ = nullptr;
    GmAction* actualPixelsAction_ = nullptr;
    GmAction* exitAction_ = nullptr;
    GmAction* saveAndApplyAction_ = nullptr;
    QAction* revertAction_ = nullptr;
    GmAction* compositionNewAction_ = nullptr;
    GmAction* previewAction_ = nullptr;
    GmAction* addImageAction_ = nullptr;
    GmAction* addTextAction_ = nullptr;
    GmAction* addSpeechBubbleAction_ = nullptr;
    GmAction* canvasSettingsAction_ = nullptr;
    GmAction* finishAction_ = nullptr;
    GmAction* cancelAction_ = nullptr;
    QAction* tutorialsAction_ = nullptr;
    QAction* homePageAction_ = nullptr;
    QAction* checkForUpdatesAction_ = nullptr;
    QAction* latestNewsAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    GmAction* facebookAction_ = nullptr;
    GmAction* flickrAction_ = nullptr;
    GmTogglingAction* edgeSmoothingAction_ = nullptr;
    GmAction* translucencyAction_ = nullptr;
    GmAction* colourAction_ = nullptr;
    GmAction* increaseBrushSizeAction_ = nullptr;
    GmAction* decreaseBrushSizeAction_ = nullptr;
    QAction* searchFocusAction_ = nullptr;

    GmTool* noTool_ = nullptr;
    GmTool* deleteLocalTool_ = nullptr;
    GmTool* deleteExactTool_ = nullptr;
    GmTool* complexExactTool_ = nullptr;
    GmTool* eraseExactTool_ = nullptr;
    GmTool* panTool_ = nullptr;
    GmTool* frolixPanTool_ = nullptr;
    GmTool* edgeFindingTool_ = nullptr;
    GmTool* edgeBlendingTool_ = nullptr;
    QActionGroup* toolActionGroup_ = nullptr;
    GmTool* toolBeforePan_ = nullptr;

    FrolixWidget* frolixWidget_ = nullptr;
    ZoomViewOptionsWidget* zoomWidget_ = nullptr;
    QLabel* startLabel_ = nullptr;
    QLabel* createLabel_ = nullptr;
    QLabel* finishCompositionLabel_ = nullptr;
    QLabel* cutoutLabel_ = nullptr;
    QLabel* backgroundLabel_ = nullptr;
    QLabel* touchUpLabel_ = nullptr;
    QLabel* finishCutoutLabel_ = nullptr;

    bool maskPossible = false;
    SavedCutoutState* editedCutoutState = nullptr;
    std::uint32_t undoCount = 0;
    std::uint32_t redoCount = 0;
    bool tabPassPending = false;
    /// Actions whose command or receiver does not exist yet: they stay disabled.
    QSet<QAction*> unconnectedActions_;
    QStringList requestedFiles_;
};

/// The main window while it exists, else null.
extern TqMainWindow* theMainWindow;
