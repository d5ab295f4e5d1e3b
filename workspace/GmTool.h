#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <functional>

class ArrowTarget;
class GmTool;
class GmRegion;
class ImageView;
#include <QAction>
class QActionGroup;
class QKeyEvent;
class QMouseEvent;
class QWidget;
class ToolOptions;

/// What the tools tell the views: which tool is current, the cursor they want and the brush
/// size slider being moved. The canvases and the main window listen here; the document never
/// hears of it. One per application (`instance`), made on first use.
class ToolEvents : public QObject {
    Q_OBJECT
public:
    static ToolEvents* instance();

signals:
    void toolChanged(const GmTool* tool);
    /// A null cursor asks the canvas to rebuild its brush cursor; every change of the brush
    /// size sends one.
    void cursorChanged(const QCursor* cursor);
    /// The brush size slider is pressed or moved; the canvas shows the brush meanwhile.
    void brushSizeSliderMoved();

private:
    ToolEvents() = default;
};

/// The base of every tool of both views. A tool owns one checkable action in a shared, exclusive
/// action group; triggering it makes the tool the current one (`theCurrentTool`). The canvas sends
/// mouse input to the current tool as image points and asks it for its cursor and colours.
///
/// The main window tells the tools where its image view is (`setImageView`), how it picks a
/// default tool (`setDefaultToolChooser`) and which tool it returns to after a Space-held hand
/// (`setSpaceReturnToolQuery`); each of them is optional, and without them the tools fall back to
/// the masking tab, the `NoTool` and no return tool.
class GmTool : public QObject {
    Q_OBJECT
public:
    /// `group` null means the shared group; `optionsArea` null means the shared options panel.
    /// `menu` receives the action; a `container` that is a tool bar or push button does too.
    GmTool(const QString& name, const QString& title, const QIcon& icon,
           const QString& shortcutText, const QString& tip, QActionGroup* group, QWidget* menu,
           QWidget* container, ToolOptions* optionsArea);
    /// Hands over to the `NoTool` (or the main window's choice) when current, without calling
    /// back into this tool. Shared options widgets are left to their owners.
    ~GmTool() override;

    virtual QCursor cursor() const { return QCursor(Qt::ArrowCursor); }
    virtual void mousePressEvent(QMouseEvent* event, const QPointF& imagePoint) {}
    virtual void mouseMoveEvent(QMouseEvent* event, const QPointF& imagePoint) {}
    virtual void mouseReleaseEvent(QMouseEvent* event, const QPointF& imagePoint) {}
    virtual void mouseDoubleClickEvent(QMouseEvent* event, const QPointF& imagePoint) {}
    /// What Escape does: see the source.
    virtual void endInteraction();
    virtual void keyEvent(QKeyEvent* event) {}
    /// Mask of the view tabs the tool works in.
    virtual int viewTabs() const { return 2; }
    /// The tab to switch to when the tool is chosen while a tab outside its mask is shown.
    virtual int preferredViewTab() const { return 2; }
    virtual bool isBrush() const { return false; }
    virtual QColor cursorColour() const { return Qt::black; }
    virtual QColor strokeColour() const { return Qt::black; }
    /// Whether the tool can act now; drives the action's enabled state and every installation.
    virtual bool isUsable() const;
    /// The style in which the canvas outlines a region or forced edge while this tool is current.
    virtual int regionOutlineStyle(const ArrowTarget* target) const { return 3; }
    /// The tool this one stands in for for a while (the Space-held hand), or null.
    virtual GmTool* standInFor() const { return nullptr; }
    /// Called on the new current tool with the previous one (itself when re-triggered).
    virtual void activated(GmTool* previous) {}
    /// Called on the old current tool with the next one.
    virtual void deactivated(GmTool* next) {}

    static QActionGroup* toolActionGroup();
    /// Whether `viewTabs` holds the image view's current tab (2 without a view).
    bool isAvailableInCurrentTab() const;
    /// "<p><b>title</b></p>" followed by `text`; empty text gives an empty What's This.
    void setWhatsThisText(const QString& text);

    QString name() const { return name_; }
    QString title() const { return title_; }
    QAction* action() const { return action_; }
    ToolOptions* optionsArea() const { return optionsArea_; }
    QWidget* optionsWidget() const { return optionsWidget_; }

    static void setImageView(ImageView* view);
    static ImageView* imageView();
    static void setDefaultToolChooser(std::function<void()> chooser);
    static void setSpaceReturnToolQuery(std::function<GmTool*()> query);
    /// Installs a usable tool for the shown tab through the main window, else the `NoTool`.
    static void selectDefaultTool();

signals:
    void userCreatedRegion(GmRegion* region);

public slots:
    void setEnabledSlot();
    /// Makes the tool current when usable and returns true; else lets the main window choose.
    bool installSlot();
    void selectToolSlot();

protected:
    /// Set by a subclass constructor. A widget shared between tools belongs to whoever made it;
    /// an own widget is deleted with the tool (see `ownsOptionsWidget`).
    void setOptionsWidget(QWidget* widget, bool ownsIt);

private:
    QString name_;
    QString title_;
    QPointer<QAction> action_;
    ToolOptions* optionsArea_ = nullptr;
    QPointer<QWidget> optionsWidget_;
    bool ownsOptionsWidget_ = false;
};

/// The fallback tool: works in every tab, always usable, does nothing.
class NoTool : public GmTool {
    Q_OBJECT
public:
    explicit NoTool(ToolOptions* optionsArea = nullptr);
    ~NoTool() override;

    int viewTabs() const override { return 127; }
    bool isUsable() const override { return true; }
};

/// The current tool, or null when none is current.
extern GmTool* theCurrentTool;
/// The fallback tool while it exists.
extern NoTool* theNoTool;
