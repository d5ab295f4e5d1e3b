#pragma once

#include <QGraphicsScene>
#include <QPointF>

class FrolixItem;
class FrolixWidget;
class QAction;

/// The scene of the composition: the backdrop, the crop lines and every composition item.
/// Routes selection changes to the property panel and shows trashed items as previews while
/// the user browses the trash menu.
class ItemScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit ItemScene(QObject* parent = nullptr);
    /// Clears the canvas of items and lets the backdrop go before the scene does.
    ~ItemScene() override;

    /// The trashed item shown as a restore preview, or null.
    FrolixItem* previewedEntry() const { return previewedEntry_; }

public slots:
    /// Hands the selected live items, in list order, to the item controller.
    void selectionChangedSlot();
    /// Shows the trashed item that `action` stands for as a preview (only one at a time);
    /// an entry that stands for no item removes the preview.
    void restoreItemHovered(QAction* action);
    /// Removes the preview.
    void restoreItemHide();
    /// Asks, then empties the trash unless the user cancels.
    void emptyDustbin();

private:
    FrolixItem* previewedEntry_ = nullptr;
};

/// The composition's item scene while it exists, else null.
extern ItemScene* theItemScene;

/// The first view of `scene` when it is a composition view, else null.
FrolixWidget* compositionViewOf(QGraphicsScene* scene);
/// The centre of the visible part of the composition view's scene; (0, 0) without a view.
QPointF visibleSceneCentre();
