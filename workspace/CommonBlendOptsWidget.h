#pragma once

#include "workspace/BlendOptsWidget.h"
#include "workspace/PersistentWidget.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class QLabel;
class TqSourceImage;

/// The "Intelligent Blending" options: the width of the blend band made at the edges of Delete
/// and the ratio of Feather to Smart blending, both editing the image-wide blending record of
/// the masking model. The object is never shown; the edge-blending tool shows its two rows.
class CommonBlendOptsWidget : public BlendOptsWidget {
    Q_OBJECT
public:
    // A fixed underlying type: a value from outside (a signal, a setting) may be out of range
    // and is checked, not undefined.
    enum BlendWidths : int { None = 0, Thin = 1, Medium = 2, Thick = 3 };
    Q_ENUM(BlendWidths)

    explicit CommonBlendOptsWidget(bool persist);
    /// Whether the two persistent controls write their values back follows the preference at
    /// this moment.
    ~CommonBlendOptsWidget() override;

    /// Snaps the record's width to the nearest choice and its ratio to the nearest slider
    /// position, writing both back into that record. Only the image-wide record announces a
    /// new ratio to the model.
    void loadOptions(BlendingOptions* options) override;
    void storeOptions(BlendingOptions* options) override;
    void buildControls(QBoxLayout* layout) override;

    /// The index of the choice nearest to `width` (the lower one on a tie). A width that is
    /// not a finite number counts as the record default 0.75; the result is always a valid
    /// index.
    int nearestWidthIndex(float width) const;
    /// The slider position of a ratio: 8 × (1 − ratio) rounded, kept to 0..8; a ratio that is
    /// not a finite number counts as the record default 0.2.
    static int ratioPosition(float ratio);
    /// Shows the ratio of position `p` (kept to 0..8) in the title, stores it in the image-wide
    /// record and announces it.
    void setRatioPosition(int p);

    /// "Edge Blending", translated unless `untranslated`.
    static QString edgeBlendingTitle(bool untranslated = false);

    QWidget* widthRow = nullptr;
    QPointer<PersistentWidget<QComboBox, QString>> widthBox;
    QStringList widthLabels;
    QList<float> widths;
    QPointer<PersistentWidget<QSlider, int>> ratioSlider;
    QStringList ratioLabels;
    QWidget* ratioRow = nullptr;
    QLabel* ratioTitle = nullptr;
    bool tracksImage = false;
    QString widthKey;
    QString ratioKey;
    QString widthText;
    QString ratioText;

public slots:
    /// Sets the image-wide width only; the box keeps showing the user's choice. Values
    /// outside 0..3 are ignored.
    void setAutoBlueWidthToChoice(CommonBlendOptsWidget::BlendWidths w);
    /// All Feather when `soften`, else all Smart; the slider stays where it is.
    void setBinaryBlendRatio(bool soften);
    void autoBlueWidthChangedSlot(int index);
    void blendRatioChangedBySliderSlot(int position);
    void imageChangedSlot();

private:
    void ensureBuilt();
    void setImageWidth(int index);
    void showRatioTitle(int p);
};
