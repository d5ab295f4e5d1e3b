#pragma once

#include <QColor>
#include <QPushButton>

#include <memory>

/// A push button showing a colour swatch; a click lets the user pick another colour in the
/// standard colour dialog (no alpha channel is offered). GUI thread only.
class ColourButton : public QPushButton {
    Q_OBJECT
public:
    /// The parent is not used: the button is parented when it is placed in a layout.
    explicit ColourButton(QWidget* parent = nullptr);
    ~ColourButton() override;

    /// The stored colour; invalid until one is set.
    QColor colour() const;
    /// Stores the colour and repaints without emitting anything: for readers that show an
    /// item's colour and must not write it back.
    void showColour(const QColor& colour);

public slots:
    /// Stores the colour, repaints and emits `colorChanged`, also when the colour is unchanged.
    void setColor(QColor colour);
    /// Opens the colour dialog on the current colour; a cancelled dialog changes nothing and
    /// emits nothing.
    void setColour();

signals:
    void colorChanged(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<QColor> colour_;
};
