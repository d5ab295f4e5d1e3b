#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSize>

class BackdropController;
class CanvasSettings;
class FrolixItem;
class ItemScene;
class TqSourceImage;

/// The one controller of the composition canvas: applies the canvas settings (size,
/// background colour, backdrop picture), resets and clears the canvas, keeps the items in
/// step with canvas changes and forwards the scene's selection. Built on first use, which must
/// come after the composition view exists; lives until exit.
class ItemController : public QObject {
    Q_OBJECT
public:
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
    /// Seeds the canvas settings dialog with the canvas as it is and shows it (modeless).
    void showCanvasSettings();
    /// White background, no backdrop picture, every live item deleted; the trash stays.
    void clearAll();
    /// Makes a cut-out item showing `image` on the canvas, with a new saved cut-out state that
    /// then owns the image, and selects it. Null, the image still the caller's, when no item
    /// was made: the canvas has no picture item kind yet.
    FrolixItem* createCutoutItem(TqSourceImage* image);

    /// The canvas settings dialog, built when first needed (it needs a window to belong to:
    /// the main window, else the composition view); null while there is neither.
    CanvasSettings* canvasSettings();

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
    QPointer<CanvasSettings> canvasSettings_;
};

/// How far a new or copied item moves off an item standing exactly where it is: (10, 10) at
/// start, 5 % of the shorter canvas side after each canvas change.
extern QPointF itemCascadeOffset;
