#pragma once

#include <QGroupBox>

#include <memory>

class ItemOpacityChooser;

/// The "Transparency" group of every item page.
class OpacityChooser : public QGroupBox {
    Q_OBJECT
public:
    explicit OpacityChooser(QWidget* parent);
    ~OpacityChooser() override;

    ItemOpacityChooser* opacityChooser() const { return opacity_.get(); }

private:
    std::unique_ptr<ItemOpacityChooser> opacity_;
};
