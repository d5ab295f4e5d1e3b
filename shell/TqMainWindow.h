#pragma once

#include "masking/NamedImage.h"
#include "masking/TqSourceImage.h"
#include "shell/MainWindowActions.h"
#include "workspace/ImageView.h"

#include <QList>
#include <QMainWindow>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class CutoutPlacement;
class EngineStatus;
class FakeDock;
class FileHandler;
class FrolixWidget;
class GmSubWindow;
class GmTool;
class GoogleWidget;
class NavigatorWindow;
class OstrivalThread;
class QActionGroup;
class QCloseEvent;
class QContextMenuEvent;
class QKeyEvent;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QToolBar;
class ShowOriginalToolButton;
class ToolBarPalette;
class ToolOptions;
class ZoomViewOptionsWidget;

/// The one top-level window. It builds every long-lived part of the user interface (the tabbed
/// image view with the masking workspace, the composition view, the navigator, the tools, the
/// palette, the panels, actions, menus and status bar), wires them together, opens what the
/// command line hands over and deletes itself when closed, which ends the run.
///
/// The header holds the brushes, edge tools, view options and property panel as base types;
/// TqMainWindowHooks.cpp builds the concrete ones and registers the composition commands.
/// MainWindowActions holds the actions and menus and decides which of them may run; their
/// triggers reach the window's slots. The engine's work reaches the user through EngineStatus;
/// finishing a cut-out (which waits for the engine without blocking) through CutoutPlacement;
/// the save questions and the two-pass close through TqMainWindowSaving.cpp; the keys the
/// window takes before the current tool through TqMainWindowKeys.cpp.
class TqMainWindow : public QMainWindow {
    Q_OBJECT
    // Read by tools that drive the program from outside (test drivers, accessibility).
    Q_PROPERTY(bool engineIdle READ isEngineIdle)
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

    /// The last files (at most `requestedFilesKept`) asked for by the system, the command
    /// line or an open, oldest first.
    const QStringList& requestedFiles() const { return requestedFiles_; }
    /// A window left open for days opens file after file: the record keeps only the last ones.
    static constexpr int requestedFilesKept = 32;

    ImageView* imageView() const { return imageView_; }
    FrolixWidget* frolixWidget() const { return frolixWidget_; }
    NavigatorWindow* navigatorWindow() const { return navigatorWindow_; }
    FileHandler* fileHandler() const { return fileHandler_; }
    ToolBarPalette* toolPalette() const { return toolPalette_; }
    ToolOptions* toolOptions() const { return toolOptions_; }
    GoogleWidget* searchBox() const { return googleWidget_; }
    QProgressBar* progressBar() const;
    /// The progress bar, the status messages and the error box of the engine's work.
    EngineStatus* engineStatus() const { return engineStatus_; }
    GmTool* noTool() const { return noTool_; }
    /// The tool a Space-held hand stands in for, or null.
    GmTool* spaceReturnTool() const { return toolBeforePan_; }

    /// The current tab's value; 2 while the image view shows none.
    int currentViewTab() const;

    // --- Asked by the file handler, the cut-out placement and the tools ---
    /// Enables the actions for `image` (none allowed), the shown tab and whether a
    /// composition is open.
    void updateActionEnabledness(const TqSourceImage* image);
    /// Asks whether the cut-out being edited may be dropped (untouched, discarded, or saved into
    /// the composition), then runs `goOn` when the caller may go on: at once, or once the
    /// cut-out is placed. Nothing runs on Cancel or when the placement is dropped.
    void maybeSaveCutout(const QString& title, std::function<void()> goOn);
    /// True when the work may be thrown away: nothing new, saved, or discarded.
    bool maybeSave(const QString& title);
    /// Whether a Finish waits for the engine before it places the cut-out.
    bool isPlacementPending() const;
    /// A tab change's deferred second pass has yet to run.
    bool isTabPassPending() const { return tabPassPending; }
    /// The engine command thread; null once a close has handed it over for deletion.
    OstrivalThread* engineThread() const;
    /// Nothing queued or running on the engine, no session waiting to open, no placement
    /// waiting for the engine.
    bool isEngineIdle() const;
    /// Forgets the cut-out being edited, closes the masking image and shows the composition.
    void closeCutout();
    void showCutoutTab();
    /// Installs a usable tool for the shown tab.
    void selectDefaultTool();

public slots:
    /// Opens an image file through the file handler.
    void loadFile(const QString& fileName);
    /// The best image of a drop or download: opened through the file handler once the cut-out
    /// being edited may be dropped.
    void receivedImageSlot(NamedImage image);
    /// Text dropped at `position` (composition coordinates) becomes a text field there.
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

    bool fileSaveSlot();
    bool fileSaveAsSlot();
    void saveAndApplySlot();
    void createCutoutItemDone();
    void createCutoutItemCancelled();
    void invokePreferencesSlot();
    /// Asks for an image file when `fileName` is empty, then opens it through the file
    /// handler.
    void loadImage(const QString& fileName);
    void loadImage();
    void stopPanningSlot();

    void aboutSlot();
    void tutorialsSlot();
    void homePageSlot();
    void facebookCommunitySlot();
    void flickrCommunitySlot();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

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
    void setStatusBarEnabled(bool enabled);
    QLabel* makeGroupLabel(const QString& text);
    /// `keepChosenTool`: a usable brush picked since the first pass of this tab change stays.
    void applyViewTab(int tab, bool keepChosenTool = false);

    /// Whether the cut-out tab is shown (or no tab at all).
    bool onCutoutTab() const;
    // Saving and closing (TqMainWindowSaving.cpp).
    /// Host runs: no question at close, and a current mask for the host.
    void prepareApply();
    void finishClose(QCloseEvent* event);
    /// The first close pass once the cut-out question is settled.
    void closeAfterCutout(QCloseEvent* event);

    // Builders of the concrete parts (TqMainWindowHooks.cpp).
    GmTool* createMaskingBrush(const char* name);
    GmTool* createEdgeFindingTool();
    GmTool* createEdgeBlendingTool();
    QWidget* createViewOptions();
    GmSubWindow* createPropertyPanel();
    void connectCompositionCommands();
    void connectComposition();
    void setViewOptionsShowVectorEdgesEnabled(bool enabled);
    void setViewOptionsShowVectorEdges(bool on);
    void emitAutoBlueWidth(int choice);

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
    ImageView* imageView_ = nullptr;
    FileHandler* fileHandler_ = nullptr;
    QPointer<OstrivalThread> engineThread_;
    // The engine thread a finished close handed to deleteLater: when no event loop runs after
    // the close, the window's destructor deletes it instead.
    QPointer<OstrivalThread> closedEngineThread_;
    NavigatorWindow* navigatorWindow_ = nullptr;
    GmSubWindow* propertyPanelWindow_ = nullptr;
    QList<GmSubWindow*> subWindows_;
    FakeDock* dock_ = nullptr;
    QToolBar* optionsToolBar_ = nullptr;
    ToolOptions* toolOptions_ = nullptr;
    QWidget* viewOptions_ = nullptr;
    GoogleWidget* googleWidget_ = nullptr;
    QToolBar* undoRedoToolBar_ = nullptr;
    ToolBarPalette* toolPalette_ = nullptr;
    ShowOriginalToolButton* showOriginalButton_ = nullptr;
    QWidget* showOriginalHolder_ = nullptr;

    /// The actions and menus, and which of them may run.
    MainWindowActions actions_{this};

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

    bool tabPassPending = false;
    // The tool current right after the first pass of a tab change.
    QPointer<GmTool> toolAfterTabPass_;

    EngineStatus* engineStatus_ = nullptr;
    CutoutPlacement* placement_ = nullptr;
    bool closeWaiting = false;
    bool closeCursorSet_ = false;
    QStringList requestedFiles_;
};

/// The main window while it exists, else null.
extern TqMainWindow* theMainWindow;
