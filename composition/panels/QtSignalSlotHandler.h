#pragma once

#include <QObject>

/// The Qt side of the panel templates, which cannot carry a meta-object of their own: the two
/// slots forward the item scene's selection changes and the widget's changes to virtual
/// operations that the templates override.
class QtSignalSlotHandler : public QObject {
    Q_OBJECT
public:
    QtSignalSlotHandler() = default;

public slots:
    void selectionChangedSlot();
    void widgetValueChangedSlot();

protected:
    /// Writes the widget's value into the selected items.
    virtual void applyWidgetValue() {}
    /// Shows the first selected item's value in the widget.
    virtual void showSelectedValue() {}
};
