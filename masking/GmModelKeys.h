#pragma once

#include <QString>

/// Keys of the masking model's saved map and of its arrow targets' maps. A stored session is
/// read back through exactly these spellings, so they never change.
namespace GmKeys {
inline const QString segImg = QStringLiteral("segImg_");
inline const QString blendImg = QStringLiteral("blendImg_");
inline const QString statusArray = QStringLiteral("statusArray_");
inline const QString imageSmeg = QStringLiteral("imageSmeg_");
inline const QString imageBlendage = QStringLiteral("imageBlendage_");
inline const QString resolution = QStringLiteral("resolution_");
inline const QString arrowTargetList = QStringLiteral("arrowTargetList");

inline const QString type = QStringLiteral("type");
inline const QString regionBase = QStringLiteral("GmRegion");
inline const QString smeg = QStringLiteral("smeg_");
inline const QString blendage = QStringLiteral("blendage_");
inline const QString isProtected = QStringLiteral("isProtected_");
inline const QString rectangle = QStringLiteral("rectangle_");
inline const QString poly = QStringLiteral("poly_");
inline const QString brushing = QStringLiteral("brushing_");
inline const QString width = QStringLiteral("width_");
inline const QString bitmap = QStringLiteral("Bitmap");

/// The "type" of each arrow target's map.
enum TargetType : int { RectRegionType = 0, PolyRegionType = 1, BrushRegionType = 2,
                        ForcedEdgeType = 3 };
}  // namespace GmKeys
