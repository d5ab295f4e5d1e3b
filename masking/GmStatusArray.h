#pragma once

#include "classification/JxInterface.h"

#include <QColor>
#include <QImage>
#include <QObject>

class GmRegion;

/// The application's view of the engine's status buffer of the open session: an indexed
/// QImage laid over the engine's bytes (no copy), a colour table that turns statuses into the
/// translucent overlay, the set of statuses present, a snapshot of the last rescan and, after
/// a restore, saved statuses waiting to go back into the engine. The engine changes the bytes
/// on the engine command thread; this object reads them only on the GUI thread, between
/// commands.
class GmStatusArray : public QObject {
    Q_OBJECT
public:
    explicit GmStatusArray(QObject* parent = nullptr);
    ~GmStatusArray() override;

    /// Lays the status image over the engine image (null: detaches), colours it and submits
    /// its first fill (every class pixel becomes keep) and the clearing of the undo history.
    void setStatusImage(JxImage* engineImage);
    /// Submits the saved statuses to the engine, once.
    void restoreSavedStatuses();
    /// ORs the statuses together (stopping once all four classes are seen), announces a new
    /// set, takes the snapshot and emits `statusChanged`.
    void rescan();
    /// Flags (0x40) the pixels of `region` whose patch preview is still current: the statuses
    /// saved into its mask still lie under it and its blending settings are those of the
    /// preview. The engine then leaves those pixels as previewed. Call only between commands.
    void markCurrentPreviews(GmRegion* region);

    JxImage* engineImage() const { return engineImage_; }
    const QImage& statusImage() const { return statusImage_; }
    const QImage& snapshot() const { return snapshot_; }
    const QImage& highlightMask() const { return highlightMask_; }
    JxPixelStatus statusesPresent() const { return statusesPresent_; }
    QColor highlightColour() const { return highlightColour_; }

    const QImage& savedStatuses() const { return savedStatuses_; }
    /// Statuses read from a saved model, restored after the next first fill.
    void setSavedStatuses(const QImage& statuses) { savedStatuses_ = statuses; }

    /// The overlay form of `colour`: hue and value kept, saturation times sqrt(g) and alpha g,
    /// where g = (1 - floor) x opacity + floor.
    static QRgb overlayColour(const QColor& colour, double floor, double opacity);
    /// The overlay opacity: no view offers a control for it, so always one half.
    static double overlayOpacity();

signals:
    void statusChanged();
    void statusesPresentChanged(JxPixelStatus statusesPresent);

public slots:
    void highlightColourChanged(QColor colour);
    void setColours();

private:
    QVector<QRgb> colourTable() const;
    QColor displayColour(int index, Qt::GlobalColor fallback) const;

    JxImage* engineImage_ = nullptr;
    QImage statusImage_;
    QImage snapshot_;
    QImage savedStatuses_;
    JxPixelStatus statusesPresent_ = 0;
    QImage highlightMask_;
    QColor highlightColour_;
};
