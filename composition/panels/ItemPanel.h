#pragma once

#include <QWidget>

class OpacityChooser;
class QVBoxLayout;

/// The base of every page of the property panel. Pages are made without parent; the stacked
/// widget of the panel adopts them.
class ItemPanel : public QWidget {
public:
    /// The parent is not used.
    explicit ItemPanel(QWidget* parent = nullptr);

    OpacityChooser* opacityChooser() const { return opacity_; }

protected:
    /// The item buttons in a row, the "Transparency" group, the page's own groups, a stretch.
    void buildLayout();
    /// Adds the page's own groups below the "Transparency" group.
    virtual void addPanelWidgets(QVBoxLayout* layout) {}

private:
    OpacityChooser* opacity_ = nullptr;
};
