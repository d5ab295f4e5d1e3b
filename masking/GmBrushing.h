#pragma once

#include "masking/Brushing.h"

#include <QObject>

/// A brush stroke that the masking model lists for the whole time it exists, so that the
/// canvas paints every stroke in progress.
class GmBrushing : public QObject {
    Q_OBJECT
public:
    explicit GmBrushing(const QColor& colour, QObject* parent = nullptr);
    ~GmBrushing() override;

    Brushing& brushing() { return brushing_; }
    const Brushing& brushing() const { return brushing_; }

private:
    Brushing brushing_;
};
