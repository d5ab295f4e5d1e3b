#pragma once

#include <QGroupBox>

#include <memory>

class BubbleColourChooser;
class BubbleOpacityChooser;
class BubbleTypeChooser;

/// The "Bubble" group of the bubble page: fill opacity, fill colour and bubble type.
class BubbleChooser : public QGroupBox {
    Q_OBJECT
public:
    BubbleChooser();
    ~BubbleChooser() override;

    BubbleOpacityChooser* opacityChooser() const { return opacity_.get(); }
    BubbleColourChooser* colourChooser() const { return colour_.get(); }
    BubbleTypeChooser* typeChooser() const { return type_.get(); }

private:
    std::unique_ptr<BubbleOpacityChooser> opacity_;
    std::unique_ptr<BubbleColourChooser> colour_;
    std::unique_ptr<BubbleTypeChooser> type_;
};
