#pragma once

#include <QCoreApplication>
#include <QSet>

#include <cstdint>

class BrushingTool;
class FileHandler;
class GmAction;
class GmTogglingAction;
class GmTool;
class GoogleWidget;
class QAction;
class QMenu;
class TqMainWindow;
class ZoomViewOptionsWidget;

/// The main window's actions and menus, and which of them may run. The actions are children of
/// the window (found there by their texts and object names) and trigger its slots; this object
/// builds them in the window's construction order, holds them and enables them from what the
/// window tells it: the shown tab, an open composition, the masking statuses, the undo stack and
/// the engine's work.
class MainWindowActions {
    // The texts keep the window's translation context.
    Q_DECLARE_TR_FUNCTIONS(TqMainWindow)
public:
    /// The view tab bits of the masking work; the composition is every other tab.
    static constexpr int maskingTabs = 1 | 2 | 4;

    explicit MainWindowActions(TqMainWindow* window);

    // Builders, called by the window in the order it builds itself.
    /// The file, edit, view, composition, cut-out, help and community actions. The zoom widget
    /// and the file handler receive their actions' triggers when they exist.
    void buildActions(ZoomViewOptionsWidget* zoomWidget, FileHandler* fileHandler);
    /// The File, View, Community and Help menus on the window's menu bar; the window takes the
    /// actions of the File, View and Help menus for their shortcuts.
    void buildMenus();
    /// Ctrl+K: the keyboard goes to the search box.
    void buildSearchFocusAction(GoogleWidget* searchBox);
    /// The cut-out palette's Edge Smoothing, Translucency and Color. Without an edge blending
    /// tool Edge Smoothing has nothing to drive and stays disabled.
    void buildPaletteActions(GmTool* edgeBlendingTool);
    /// The shortcuts that grow and shrink `brush`.
    void buildBrushSizeActions(BrushingTool* brush);

    // Enabledness.
    /// The actions that depend on the shown tab and on whether a composition is open.
    void updateEnabledness(int tab, bool compositionOpen);
    /// The masking statuses present (a bit set of pixel statuses) decide Start Again and Save
    /// and Apply.
    void statusesPresentChanged(int statuses, int tab);
    /// Start Again and Preview for a tab just shown.
    void viewTabShown(int tab);
    /// Start Again runs once until the statuses allow it again.
    void revertStarted();
    /// The engine's count of undo and redo steps; a count the engine could not make is skipped.
    void setUndoStack(std::uint32_t undos, std::uint32_t redos);
    /// Undo waits for the engine to be idle; Redo only needs a step to redo.
    void updateUndoRedoEnabledness(bool engineIdle);

    GmAction* undoAction() const { return undoAction_; }
    GmAction* redoAction() const { return redoAction_; }
    GmAction* zoomInAction() const { return zoomInAction_; }
    GmAction* zoomOutAction() const { return zoomOutAction_; }
    GmAction* saveAction() const { return saveAction_; }
    GmAction* saveAsAction() const { return saveAsAction_; }
    GmAction* printAction() const { return printAction_; }
    GmAction* previewAction() const { return previewAction_; }
    GmAction* addImageAction() const { return addImageAction_; }
    GmAction* addTextAction() const { return addTextAction_; }
    GmAction* addSpeechBubbleAction() const { return addSpeechBubbleAction_; }
    GmAction* canvasSettingsAction() const { return canvasSettingsAction_; }
    GmAction* finishAction() const { return finishAction_; }
    GmAction* cancelAction() const { return cancelAction_; }
    GmTogglingAction* edgeSmoothingAction() const { return edgeSmoothingAction_; }
    GmAction* translucencyAction() const { return translucencyAction_; }
    GmAction* colourAction() const { return colourAction_; }

private:
    void buildCompositionActions();
    void addMenuActionsToWindow(QMenu* menu);
    /// Sets an action's enabled state, keeping actions without their command disabled.
    void enableAction(QAction* action, bool enabled);

    TqMainWindow* window_;

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

    bool maskPossible_ = false;
    std::uint32_t undoCount_ = 0;
    std::uint32_t redoCount_ = 0;
    /// Actions whose command or receiver does not exist yet: they stay disabled.
    QSet<QAction*> unconnectedActions_;
};
