#pragma once

#include "composition/scene/CanvasSettingsInterface.h"
#include "ui_CanvasSettingsDialog.h"

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>

/// The dialog in which the user sets up the composition canvas: size (by megapixels or exact
/// sides), orientation and backdrop (a picture or a plain colour), with a preview, the size in
/// words and at photo-print resolution. Modeless; nothing reaches the canvas before OK, which
/// emits the colour, the size and the picture. Cancel and closing emit nothing.
class CanvasSettings : public CanvasSettingsInterface, public Ui::CanvasSettingsDialog {
    Q_OBJECT
public:
    explicit CanvasSettings(QWidget* parent = nullptr);
    ~CanvasSettings() override;

    QColor backgroundColour() const { return backgroundColour_; }
    QPixmap backdropPixmap() const { return backdropPixmap_; }
    /// The inch sign or "cm".
    QString unitKey() const { return unitKey_; }
    double aspectRatio() const { return aspectRatio_; }
    int aspectProduct() const { return aspectProduct_; }

    /// The product of the sides of a:b after dividing out each trial divisor 2, 3, ... once,
    /// while it is below half of both sides (so the reduction is not always complete). Sets
    /// the step of the slider's sizes.
    static int reducedAspectProduct(int a, int b);
    /// The slider position whose size comes closest below `area` pixels.
    static int sliderPositionForArea(int area);

public slots:
    void setBackgroundColour(const QColor& colour) override;
    void setCanvasSize(const QSize& size) override;
    void setBackdropPixmap(const QPixmap& pixmap) override;
    void accept() override;
    void reject() override;
    void on_setImagePushButton_clicked(bool checked);
    void on_clearImagePushButton_clicked(bool checked);
    void on_setColourPushButton_clicked(bool checked);
    void on_megapixelsSlider_valueChanged(int value);
    void on_rotateLeftButton_clicked(bool checked);
    void on_rotateRightButton_clicked(bool checked);
    void on_widthSpinBox_valueChanged(int value);
    void on_heightSpinBox_valueChanged(int value);
    void set_units_in();
    void set_units_cm();
    /// Makes `units` the unit of the print size and stores it; anything but the inch sign or
    /// "cm" counts as the locale's default.
    void set_units(const QString& units);
    /// The stored unit when it is the inch sign or "cm", else the locale's default: inches
    /// for the United States system, centimetres otherwise.
    QString get_units();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    /// Loads the picture at `fileName` as the backdrop and gives the canvas its size. A file
    /// that cannot be read, or declares more than 100 megapixels, keeps the previous picture
    /// and shows a warning that names the file.
    void loadBackdropPicture(const QString& fileName);
    void setWidth(int width);
    void setHeight(int height);
    void applySize(int width, int height);
    void updateSizeTexts();
    void setSliderFromArea(int area);
    void rotateBy(int degrees);
    int unitArea() const;
    QString defaultUnits() const;

    QString unitKey_;
    double aspectRatio_ = 4.0 / 3.0;
    int aspectProduct_ = 12;
    QPixmap backdropPixmap_;
    QColor backgroundColour_ = Qt::white;
};

/// The canvas settings dialog while it exists, else null.
extern CanvasSettings* theCanvasSettings;
