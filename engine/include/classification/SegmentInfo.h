#pragma once

namespace classification {

/// The settings an analysis runs with, copied from the session's engine variables before each
/// analysis. A default record (all -1 but the last three) matches no real settings, so a stage
/// whose cached record is the default always recomputes.
struct SegmentInfo {
    int colourBits = -1;
    float reserved1 = -1.0f;
    float reserved2 = -1.0f;
    float featureTol = -1.0f;
    float imageTol = -1.0f;
    float focus = -1.0f;
    float reserved3 = -1.0f;
    int interpolation = -1;      // 0 "range", 1 "range fast", 2 "median", 3 "median fast"
    int resolution = -1;
    int overlap = -1;
    int settingsStamp = -1;
    int inFocusEdgeWidth = -1;
    int blendMode = 0;           // 0 "octaves", 1 "membrane", 2 "bp"
    int fgSampling = 1;          // 0 "global", 1 "both"
    int bgSampling = 1;

    /// The record a classification object starts with, before any variable is copied in.
    static SegmentInfo initial() {
        SegmentInfo info;
        info.colourBits = 5;
        info.featureTol = 1.1f;
        info.imageTol = 2.0f;
        info.focus = 0.0f;
        info.interpolation = 0;
        info.resolution = 8;
        info.overlap = 1;
        info.inFocusEdgeWidth = 2;
        return info;
    }

    friend bool operator==(const SegmentInfo& a, const SegmentInfo& b) {
        return a.colourBits == b.colourBits && a.reserved1 == b.reserved1 &&
               a.reserved2 == b.reserved2 && a.featureTol == b.featureTol &&
               a.imageTol == b.imageTol && a.focus == b.focus && a.reserved3 == b.reserved3 &&
               a.interpolation == b.interpolation && a.resolution == b.resolution &&
               a.overlap == b.overlap && a.settingsStamp == b.settingsStamp &&
               a.inFocusEdgeWidth == b.inFocusEdgeWidth && a.blendMode == b.blendMode &&
               a.fgSampling == b.fgSampling && a.bgSampling == b.bgSampling;
    }
    friend bool operator!=(const SegmentInfo& a, const SegmentInfo& b) { return !(a == b); }
};

}  // namespace classification
