#pragma once

#include "workspace/PersistentWidget.h"

#include <QObjectCleanupHandler>
#include <QPointer>
#include <QWidget>

class EDOs;
class GmRegion;
class QGroupBox;
class QLabel;
class QToolButton;
class SegmentationStuff;
class TqSourceImage;

/// The "Edge Finding" options of the whole image: the number of edges and the minimum edge
/// width (shown by the edge-finding tool), and the contrast and texture choices (hidden radio
/// buttons that keep their stored state). It starts the whole-image edge finding when a
/// session begins and, with `autoApply`, after every change of the number or width of edges.
class EdgeDetectionOptions : public QWidget {
    Q_OBJECT
public:
    explicit EdgeDetectionOptions(bool persist, bool autoApply = false);
    /// Whether the persistent controls write their values back follows the preference now.
    ~EdgeDetectionOptions() override;

    /// The Defaults button, made on the first call.
    QToolButton* defaultsButton();
    /// Pushes the options' values into the controls; starts nothing.
    void showValues(EDOs* options);
    /// Binds the holder and copies the controls into its options; applies nothing.
    void takeValuesFromControls(SegmentationStuff* holder);

    /// "Show Delete Edges", translated unless `untranslated`.
    static QString showDeleteEdgesText(bool untranslated = false);

    QPointer<SegmentationStuff> segmentation;
    QPointer<EDOs> edos;
    QPointer<PersistentWidget<QSlider, int>> widthSlider;
    QPointer<PersistentWidget<QSlider, int>> sensitivitySlider;
    QPointer<PersistentWidget<QRadioButton, bool>> contrastHigh;
    QPointer<PersistentWidget<QRadioButton, bool>> contrastMedium;
    QPointer<PersistentWidget<QRadioButton, bool>> contrastLow;
    QPointer<PersistentWidget<QRadioButton, bool>> textureCoarse;
    QPointer<PersistentWidget<QRadioButton, bool>> textureMedium;
    QPointer<PersistentWidget<QRadioButton, bool>> textureFine;
    bool persist;
    QWidget* sensitivityRow = nullptr;
    QLabel* sensitivityLabel = nullptr;
    QWidget* widthRow = nullptr;
    QGroupBox* contrastBox = nullptr;
    QGroupBox* textureBox = nullptr;
    /// Set while values are pushed into the controls: their change signals start nothing and
    /// leave the full-resolution width alone.
    bool updating = false;
    bool autoApply;
    QString sensitivityText;
    QString widthText;
    QString contrastText;
    QString textureText;

signals:
    void setSensitivity(int value);
    void setWidth(int value);
    void setEdgeContrastHigh(bool on);
    void setEdgeContrastMedium(bool on);
    void setEdgeContrastLow(bool on);
    void setTextureFilterFine(bool on);
    void setTextureFilterMedium(bool on);
    void setTextureFilterCoarse(bool on);

public slots:
    void setEnablednessOfButtons();
    /// Keeps the applied values and starts a new whole-image edge finding; with no image
    /// open, nothing is started.
    void applyValuesSlot();
    void resolutionChangedSlot(int oldRes, int newRes);
    void imageChangedSlot(const TqSourceImage* image);
    void sessionHasBegunSlot();
    void setDefaultsSlot();
    void contrastChanged(int id);
    void textureFilterChanged(int id);
    void widthChangedSlot(int w);
    void sensitivityChangedSlot(int v);
    void activeRegionChangedSlot(GmRegion* region);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void buildWidthRow(bool p);
    void buildSensitivityRow(bool p);
    QGroupBox* buildChoiceBox(const QString& title, const QString& group, bool p,
                              const char* const labels[3], const char* const tips[3],
                              QPointer<PersistentWidget<QRadioButton, bool>>* buttons[3]);
    /// A user change of the number or width of edges: applied at once, except while a slider
    /// is being dragged, which applies once on its release.
    void userChangedValue(QSlider* slider);
    bool hasImage() const;

    QPointer<QToolButton> defaultsButton_;
    QObjectCleanupHandler cleanupHandler_;
};
