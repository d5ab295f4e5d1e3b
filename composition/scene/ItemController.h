#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>

class BackdropController;
class CanvasSettingsInterface;
class FrolixItem;
class ItemScene;
class SavedCutoutState;
class TqSourceImage;
class QWidget;

/// The one controller of the composition canvas: applies the canvas settings (size,
/// background colour, backdrop picture), resets and clears the canvas, keeps the items in
/// step with canvas changes and forwards the scene's selection. Built on first use, which must
/// come after the composition view exists; lives until exit.
class ItemController : public QObject {
    Q_OBJECT
public:
    /// Builds the canvas settings dialog over `parent`.
    using CanvasSettingsMaker = std::function<CanvasSettingsInterface*(QWidget* parent)>;
    /// Whoever builds the window says how the canvas settings dialog is made; without a maker
    /// there is no dialog. Kept until replaced, whether the controller exists yet or not.
    static void setCanvasSettingsMaker(CanvasSettingsMaker maker);

    static ItemController* instance();
    /// Whether the controller has been built (asking does not build it).
    static bool exists();
    ~ItemController() override;

    /// Gives a new composition scene (`theItemScene`) its backdrop, when the controller
    /// already exists; the controller's construction does this for the first scene.
    static void attachScene();
    /// Called by a composition scene that is going: its items are cleared and the backdrop
    /// released while the scene still exists.
    static void releaseScene(ItemScene* scene);

    /// Shows the selected items' properties, once a property panel is there.
    void updatePropertyPanel(const QList<FrolixItem*>& items);
    /// The panel that shows the selection and what shows the items on it; a null or destroyed
    /// panel is forgotten along with what showed the items on it.
    void setPropertyPanel(QWidget* panel,
                          std::function<void(const QList<FrolixItem*>&)> showItems);
    QWidget* propertyPanel() const;
    /// Seeds the canvas settings dialog with the canvas as it is and shows it (modeless).
    void showCanvasSettings();
    /// White background, no backdrop picture, every live item deleted; the trash stays.
    void clearAll();
    /// Places an opened picture on the canvas as a cut-out item that owns a new saved state
    /// holding `image` (taken over only when an item is made). Null, with nothing made or
    /// taken, for no image or one without pixels.
    FrolixItem* createCutoutItem(TqSourceImage* image);
    /// Places a finished cut-out whose state is already saved; the item owns `state`. Null,
    /// with nothing made or taken, for a null pixmap.
    FrolixItem* addCutoutItem(const QPixmap& pixmap, SavedCutoutState* state);
    /// A text field with `text` (the default text when empty) centred on `position` (in the
    /// visible part of the view when exactly (0, 0)), selected alone and ready for typing.
    FrolixItem* createTextField(const QString& text, const QPointF& position);

    /// The canvas settings dialog, built by the maker when first needed over the composition
    /// view's window; null while there is no maker or no composition view.
    CanvasSettingsInterface* canvasSettings();

public slots:
    /// Makes `pixmap` the backdrop over a canvas of `size` and shows it in the dialog.
    void setBackdropPixmapSlot(const QPixmap& pixmap, const QSize& size);
    /// The default canvas of 400 x 300.
    void resetCanvasSettings();
    void setCanvasSize(const QSize& size);
    /// Every live item follows the canvas; the cascade offset becomes 5 % of the shorter side.
    void canvasChangedSlot(const QRect& newRect, const QRect& oldRect);

private:
    ItemController();

    QPointer<BackdropController> backdrop_;
    QPointer<CanvasSettingsInterface> canvasSettings_;
    QPointer<QWidget> propertyPanel_;
    std::function<void(const QList<FrolixItem*>&)> showItems_;
};

/// How far a new or copied item moves off an item standing exactly where it is: (10, 10) at
/// start, 5 % of the shorter canvas side after each canvas change.
extern QPointF itemCascadeOffset;
