#pragma once

#include <QByteArray>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>

class FakeDock;
class GmSubWindow;
class GmSubWindowLayout;
class QAction;
class QKeyEvent;
class QSizeGrip;
class TitleWidget;

/// The placement state of one sub-window. The main window reads it and sets the dock and the
/// default floating position and size; everything else belongs to the sub-window.
struct GmSubWindowData {
    GmSubWindow* owner = nullptr;
    QWidget* homeParent = nullptr;        // a floating sub-window is re-parented to it
    FakeDock* dock = nullptr;             // null: the sub-window cannot dock
    GmSubWindowLayout* layout = nullptr;
    TitleWidget* titleBar = nullptr;      // shown only while docked
    QWidget* content = nullptr;           // cleared when that child goes
    bool suppressed = false;              // while set the sub-window stays hidden
    bool wantedShown = false;             // what the user asked for
    QSizeGrip* sizeGrip = nullptr;        // only while floating and resizable
    bool resizable = false;
    QAction* toggleAction = nullptr;
    QPoint defaultFloatingPosition;
    QSize defaultFloatingSize{-1, -1};
    QByteArray floatingGeometry;          // saveGeometry() of the last floating placement
};

/// The frame of every dockable panel: a title bar with a close button, docked in the main
/// window's `FakeDock` column, or floating as a tool window without that title bar. A
/// checkable toggle action switches it on and off; it is shown only while the user wants it,
/// the current view tab is in `viewTabs` and nothing suppresses it. Subclasses build the
/// content and hand it in with `setWidget`. GUI thread only.
class GmSubWindow : public QWidget {
    Q_OBJECT
public:
    /// Object name "DockWidget: " + `name`. With an `actionHolder` (a menu) the toggle action
    /// is added to it, carrying `shortcut` when that is not empty; with a shortcut the
    /// sub-window and its action get the tool tip "title (shortcut)".
    GmSubWindow(const QString& name, const QString& title, QWidget* actionHolder,
                const QString& shortcut, QWidget* parent);
    ~GmSubWindow() override;

    GmSubWindow(const GmSubWindow&) = delete;
    GmSubWindow& operator=(const GmSubWindow&) = delete;

    /// Whether the panel belongs to one document only; nothing asks yet.
    virtual bool isDocumentPanel() const = 0;
    /// Docks it into its dock (when it has one) or floats it as a tool window. Without
    /// `keepGeometry`, floating restores the last floating geometry and docking first keeps
    /// the current floating geometry.
    virtual void setFloating(bool floating, bool keepGeometry);
    /// The bits of the view tabs in which it may be shown (one bit a tab, as the masking
    /// views number them); every tab here.
    virtual int viewTabs() const;
    /// Whether the panel may float; nothing asks yet.
    virtual bool canFloat() const;

    /// Puts `content` under the title bar (stretch 1). The previous content is hidden and
    /// deleted, so one sub-window never shows two.
    void setWidget(QWidget* content);
    QWidget* widget() const;

    /// Makes the shown state follow the user's wish, the suppression and the toggle action's
    /// enabled state (which follows the view tab).
    void updateVisibility();
    /// The last floating geometry, or the default floating size and position when none was
    /// kept; shows the window when the user wants it.
    void restoreFloatingGeometry();
    /// Byte 0 the wanted-shown flag, then the floating geometry (taken now when floating).
    QByteArray saveState();
    /// A resizable sub-window floats with a size grip and takes all spare height in the dock.
    void setResizable(bool resizable);
    bool isResizable() const;

    QAction* toggleAction() const;
    GmSubWindowData* subWindowData() const;

public slots:
    void closeViewSlot();
    void toggleViewSlot(bool b);
    /// Enables the toggle action exactly when `viewTab` is one of `viewTabs`, then
    /// `updateVisibility`. Takes the tab's bit.
    void viewTabChangedSlot(int viewTab);

signals:
    void visibilityChanged();
    void escapeKeyPressed(QKeyEvent* e);
    /// Backspace, which deletes the masking view's active patch; the panel takes the key, so
    /// it never reaches the window behind.
    void deleteKeyPressed();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void placeSizeGrip();
    void keepFloatingGeometry();

    std::unique_ptr<GmSubWindowData> d_;
};
