#pragma once

#include "masking/EdgeDetectionRecord.h"
#include "masking/GmValue.h"

#include <QList>
#include <QObject>
#include <QVariant>

/// The edge-detection options of one analysis target: how many edges to find, the minimum
/// edge width, the texture filter and the edge contrast. Saved as a map in the masking
/// session, so the map's layout is a stored format.
class EDOs : public QObject {
public:
    static constexpr int defaultSensitivity = 50;
    static constexpr int defaultWidth = 3;
    static constexpr int defaultTexture = 1;
    static constexpr int defaultContrast = 1;

    EDOs();
    /// Reads the map of `toVariant`. A missing or short list takes the option's default for
    /// what is missing, and every value is kept to its range (sensitivity 1..100, width 1..32,
    /// texture and contrast 0..2): a damaged or older session file never aborts the read nor
    /// sends the engine a value it cannot use.
    explicit EDOs(const QVariant& map);
    ~EDOs() override = default;

    EDOs(const EDOs&) = delete;
    EDOs& operator=(const EDOs&) = delete;

    QVariant toVariant() const;

    void applyAll();
    void saveAll();
    void restoreAll();
    void revertAll();
    void resetAll();
    bool anyModified() const;
    bool anyOffDefault() const;
    /// All four parts of each value, and the width in image coordinates.
    void copyValues(const EDOs& other);
    /// Sets the shown values only.
    void setFromEngineRecord(const EdgeDetectionRecord& record);
    /// Sets the defaults only.
    void setDefaultsFromEngineRecord(const EdgeDetectionRecord& record);
    /// The applied values as the engine takes them.
    EdgeDetectionRecord appliedRecord() const;

    const QList<GmValueB*>& values() const { return values_; }

    GmValue<int> sensitivity_;
    GmValue<int> width_;
    GmValue<int> texture_;
    GmValue<int> contrast_;
    int widthInImageCoords_ = -1;

private:
    void forEachValue(void (GmValueB::*operation)());
    bool anyValue(bool (GmValueB::*test)() const) const;

    QList<GmValueB*> values_;
};
