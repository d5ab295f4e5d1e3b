#pragma once

#include "composition/panels/ItemPropertyChooser.h"
#include "composition/panels/PanelWidgetTraits.h"
#include "composition/panels/QtSignalSlotHandler.h"
#include "composition/scene/FrolixItem.h"
#include "composition/scene/ItemController.h"
#include "composition/scene/ItemScene.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QString>

/// Binds one property of the items of type `Item` to one widget: a change of the widget is
/// written into every selected item of that type; a selection change of the item scene shows
/// the first selected item's value in the widget, with the widget's signals blocked, so that a
/// read never writes. When the first selected item is not an `Item`, the widget keeps what it
/// showed. The chooser has no Qt parent (its group box deletes it) and does not own the widget.
/// GUI thread only.
template <typename Value, typename Item, typename Widget>
class PanelWidget : public ItemPropertyChooser<Value>, public QtSignalSlotHandler {
public:
    /// `widget` null: the widget type's default widget is made.
    explicit PanelWidget(const QString& toolTip, Widget* widget = nullptr) {
        setUp(toolTip, widget);
    }

    /// As above, then the widget gets the next row of `grid`: beside a label with `label`
    /// ("label:") or the 16 x 16 picture at `iconPath`, or across both columns without either.
    PanelWidget(QGridLayout* grid, const QString& toolTip, const QString& label,
                const QString& iconPath, Widget* widget = nullptr) {
        setUp(toolTip, widget);
        placeInGrid(grid, toolTip, label, iconPath);
    }

    Widget* widget() const { return widget_; }

    virtual Value currentValue() { return widgetValue(); }
    virtual void setCurrentValue(const Value& value) { setWidgetValue(value); }
    virtual Value widgetValue() { return PanelWidgetTraits::widgetValue(widget_); }
    /// Sets the widget without any of its signals reaching anybody.
    virtual void setWidgetValue(const Value& value) {
        PanelWidgetTraits::setWidgetValue(widget_, value);
    }
    virtual void applyToItem(Item* item) = 0;
    virtual void readFromItem(Item* item) = 0;

protected:
    void applyWidgetValue() override {
        // A copy: writing may repaint and reorder, never while the list is walked.
        const QList<FrolixItem*> items = FrolixItem::selectedItems();
        for (FrolixItem* item : items) {
            if (Item* typed = dynamic_cast<Item*>(item)) {
                applyToItem(typed);
                item->graphicsItem()->update();
            }
        }
    }

    void showSelectedValue() override {
        if (Item* typed = dynamic_cast<Item*>(FrolixItem::firstSelectedItem()))
            readFromItem(typed);
    }

private:
    void setUp(const QString& toolTip, Widget* widget) {
        widget_ = widget ? widget : PanelWidgetTraits::makeWidget(static_cast<Widget*>(nullptr));
        if (!widget_)
            return;   // a button group is the chooser's own to build; nothing to bind
        setToolTipOf(widget_, toolTip);
        connectSignals();
    }

    void connectSignals() {
        PanelWidgetTraits::connectChange(widget_, static_cast<QtSignalSlotHandler*>(this),
                                         &QtSignalSlotHandler::widgetValueChangedSlot);
        ItemController::instance();
        if (theItemScene)
            QObject::connect(theItemScene, &QGraphicsScene::selectionChanged, this,
                             &QtSignalSlotHandler::selectionChangedSlot);
    }

    void placeInGrid(QGridLayout* grid, const QString& toolTip, const QString& label,
                     const QString& iconPath) {
        if (!grid || !widget_)
            return;
        auto* caption = new QLabel;
        if (!label.isEmpty())
            caption->setText(QStringLiteral("%1:").arg(label));
        if (!iconPath.isEmpty()) {
            caption->setPixmap(QPixmap(iconPath));
            caption->setFixedSize(16, 16);
            caption->setScaledContents(true);
            caption->setToolTip(toolTip);
        }
        const int row = grid->rowCount();
        if (!caption->text().isEmpty() || !caption->pixmap(Qt::ReturnByValue).isNull()) {
            grid->addWidget(caption, row, 0);
            grid->addWidget(widget_, row, 1, 1, 1);
        } else {
            delete caption;
            grid->addWidget(widget_, row, 0, 1, 2);
        }
    }

    static void setToolTipOf(QWidget* widget, const QString& toolTip) {
        widget->setToolTip(toolTip);
    }
    /// A button group is no widget; its buttons carry no tool tip.
    static void setToolTipOf(QButtonGroup*, const QString&) {}

    Widget* widget_ = nullptr;
};
