#pragma once

#include <QColor>
#include <QVariant>

/// How the edge of a cut-out is blended when the mask is generated: the automatic blend band,
/// feather against smart blending, and the per-patch refinements. A plain value record, so the
/// mask generation can take a copy; the override colours are plain colours, stored in the map
/// layout of a colour setting.
class BlendingOptions {
public:
    BlendingOptions() = default;
    /// Reads the map of `toVariant`. Keys that older sessions lack read as the record's
    /// defaults ("isChoices_" to "isUniformBg_") or as zero (the others). Values a damaged file
    /// could carry are kept usable: the ratio is kept to 0..1, the blend width to 0..1.5, and a
    /// value that is not a finite number takes the record's default.
    explicit BlendingOptions(const QVariant& map);

    QVariant toVariant() const;

    static constexpr float maximumAutoBlueWidth = 1.5f;

    float autoBlueWidthF_ = 0.75f;
    float blendRatioF_ = 0.2f;
    bool isPatchBlendRatioTrackingImage_ = false;
    qint32 feather_ = 5;
    bool isChoices_ = false;
    float choices1F_ = 0.5f;
    float choices2F_ = 0.5f;
    bool isMembrane_ = false;
    float membrane1F_ = 0.5f;
    bool isUniformBg_ = false;
    bool fgChecked_ = false;
    QColor fgOverride_ = Qt::white;
    bool bgChecked_ = false;
    QColor bgOverride_ = Qt::black;
};
