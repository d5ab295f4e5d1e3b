#pragma once

// The flat interface of the segmentation engine. The application reaches the engine only
// through these entries: plain records, opaque handles and integer result codes. No exception
// ever leaves an entry.
//
// Handles: an engine handle (JxEngine*), session handles (JxSession*, the public record at the
// start of every session and sub-session) and image handles (JxImage*, the public record of an
// engine image). Every handle is checked against the engine's table of live objects before it
// is used, so a stale or foreign handle gets its result code and is never read.
//
// Threads: every entry except JxScaleImage runs on the application's single engine command
// thread, one call at a time. JxScaleImage touches no engine state and may run on any thread.

#include <cstdint>

class JxEngine;

/// Result codes of every entry.
enum JxResultCode : int {
    JxOk = 0,
    /// Refused, or nothing to do (an argument the entry cannot use, an unknown name, ...).
    JxRefused = 1,
    /// The progress callback asked to stop; the command's partial changes were undone.
    JxCancelled = 2,
    /// Memory ran out inside a command; its partial changes were undone; the engine stays usable.
    JxOutOfMemory = 3,
    /// Any other exception; the engine is now failed.
    JxUnexpectedException = 4,
    /// The engine is failed; nothing was done.
    JxEngineFailed = 5,
    /// The session handle is null, stale or not a session.
    JxBadSession = 6,
    /// The engine handle (or the session's engine) is null, finished or not an engine.
    JxBadEngine = 7,
    /// Memory ran out during Undo or Redo, or while an analysis put its variables back; the
    /// engine is now failed.
    JxOutOfMemoryFatal = 8,
    /// The image handle is null, stale, not an engine image, or an image of another engine
    /// than the session's.
    JxBadImage = 9,
    /// No segmentation: neither the session nor its parent has been analysed.
    JxNotAnalysed = 10,

    JxOutOfMemoryInUndo = JxOutOfMemoryFatal,
    JxNoSegmentation = JxNotAnalysed,
};

/// Pixel formats of a JxImage. The fourth channel of the four-channel formats is alpha.
enum JxImageFormat : int {
    JxFormatStatus = 0,      // one status byte per pixel
    JxFormatRgba8 = 1,       // four 8-bit channels, maximum 255 (4 bytes)
    JxFormatRgba16 = 2,      // four 16-bit channels, maximum 65535 (8 bytes)
    JxFormatRgba16Max32768 = 3,   // four 16-bit channels, maximum 32768 (8 bytes)
};

/// The per-pixel status byte shared by the engine, the status image and the tools: class values
/// in the low four bits, flags above. 0 marks a pixel that no command changes.
using JxPixelStatus = std::uint8_t;
constexpr JxPixelStatus JxStatusNone = 0;
constexpr JxPixelStatus JxStatusUnassigned = 1;
constexpr JxPixelStatus JxStatusKeep = 2;
constexpr JxPixelStatus JxStatusDelete = 4;
constexpr JxPixelStatus JxStatusBlend = 8;
constexpr JxPixelStatus JxStatusClassMask = 0x0F;
constexpr JxPixelStatus JxStatusKeepDeleteBlend = 14;
constexpr JxPixelStatus JxStatusAllClasses = 15;
constexpr JxPixelStatus JxStatusForcedEdge = 0x10;
constexpr JxPixelStatus JxStatusProtected = 0x20;
constexpr JxPixelStatus JxStatusPreviewCurrent = 0x40;

/// Called with the percentage done (0 to 100) and the user data (always 0), on the thread that
/// runs the entry, at most every 0.1 s and always at completion. Returning 2 asks a
/// cancellable command to stop; any other value means go on.
using JxProgressCallback = std::int32_t (*)(std::uint8_t percent, std::int32_t userData);

/// A caller's pixel buffer, and the public record at the start of every engine image.
struct JxImage {
    std::int32_t width;
    std::int32_t height;
    std::int32_t stride;         // bytes from one row to the next
    std::int32_t format;         // JxImageFormat
    unsigned char* data;         // first byte of the first row
};

/// A rectangle (x, y, width, height) in the pixel grid of the top session.
struct JxRect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};

/// A patch of the image: the rectangle, restricted to the non-zero bytes of `mask` when there
/// is one. JxSetStatus uses the same record with one status byte per pixel in `mask`.
struct JxSelection {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    std::int32_t stride;         // bytes per mask row, at least width
    std::int32_t format;         // not read by the engine
    const unsigned char* mask;   // height rows of width bytes, or null
};

/// One entry of a session's published variable table.
struct JxVariable {
    float normalised;            // the value in [0, 1] of the variable's own scale
    const char* name;
    const char* text;            // the value as the engine prints it
};

/// A polyline the session publishes: vector edges of the last analysis, or the outline of a
/// sub-session's mask. The session owns the points.
struct PublishedPolyline {
    float* points;               // `count` pairs (x, y)
    std::int32_t count;
    std::uint32_t reserved;      // always 0
};

/// The public record at the start of every session; a session handle is its address. The
/// engine writes it, the application reads it.
struct JxSession {
    std::int32_t x;              // the session's rectangle in the pixel grid of the top session
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    std::int32_t changedX;       // bounding rectangle of the statuses the last command changed;
    std::int32_t changedY;       // all four 0 when it changed nothing
    std::int32_t changedWidth;
    std::int32_t changedHeight;
    float edgeTolerance;         // 1 - normalised "imageTol"
    std::uint32_t edgeWidth;     // effective "inFocusEdgeWidth"
    std::uint32_t edgeFlags;     // low byte "edgeContrast", second byte "textureFilter"
    JxVariable* variables;       // the published variable table
    std::int32_t variableCount;
    std::int32_t analysed;       // 1 once Analyse Image has completed on this session
    PublishedPolyline* polylines;
    std::int32_t polylineCount;
};

/// A forced edge of a mask generation: a polyline in image coordinates and its width.
struct JxForcedEdge {
    const float* points;         // `count` pairs (x, y)
    std::uint32_t count;
    float width;
};

/// One region of the image for a mask generation, with its blending settings.
struct JxMaskRegion {
    std::int32_t x;              // top-left pixel of the region image in image coordinates
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
    std::int32_t bytesPerLine;
    std::int32_t format;         // not read by the engine
    const unsigned char* pixels; // one byte per pixel, or null
    std::uint8_t requested;      // non-zero: the generation was requested for this region
    std::int32_t foregroundOverride;
    std::int32_t backgroundOverride;
    std::uint8_t foregroundColour[3];   // blue, green, red
    std::uint8_t backgroundColour[3];
    float blendRatio;            // the region's ratio in mode 0, else 0
    std::uint8_t mode;           // 0 automatic, 1 choices, 3 membrane
    float firstValue;
    float secondValue;           // above 0.5: uniform background
};

// ---------------------------------------------------------------------------------------------
// Engine and images

/// A new engine for one opened image. Null when memory runs out.
JxEngine* JxInit() noexcept;

/// Deletes every session of the engine (sub-sessions before their parents), every image
/// registered with it, and the engine. JxBadEngine for a null, finished or foreign handle;
/// JxEngineFailed for a failed engine, which is then left alive (its memory is not reclaimed);
/// else JxOk. Every handle of the engine is stale afterwards.
int JxFinish(JxEngine* engine) noexcept;

/// A new status image of the source's size, registered with the engine (freed by JxFinish).
/// Statuses come from the source's alpha: format 1 alpha 255, format 2 alpha 65535, format 3
/// alpha 32768 give 1 (unmarked), any other alpha 0 (no status); any other format gives 1
/// everywhere. Null when the engine is not usable (nothing is marked failed), when the source
/// is not a valid buffer (width and height above 0, data set, stride a whole number of pixels
/// and at least width times the pixel size), or when memory runs out.
JxImage* JxNewImage(JxEngine* engine, JxImage source) noexcept;

/// JxOk when `image` names a live engine image, JxBadImage otherwise. Frees nothing: engine
/// images live until JxFinish.
int JxCheckImage(const JxImage* image) noexcept;

/// Median down-scaling of four-channel 8-bit images by 2, 4 or 8: every destination pixel is
/// the per-channel median of a block of the source. Needs no engine, does not touch the
/// process's new-handler, and may run on any thread. JxOk when every destination pixel was
/// written; JxRefused unless both formats are 1, both buffers are valid (width and height
/// above 0, data set, stride at least 4 x width) and the destination is exactly the source
/// reduced by the factor (rounded up per axis), or an equal-sized copy; factors other than 1,
/// 2, 4 and 8 are refused. JxUnexpectedException when the source is smaller than the factor or
/// anything throws. Never writes outside `destination`, and writes nothing when it refuses.
int JxScaleImage(JxImage destination, JxImage source) noexcept;

// ---------------------------------------------------------------------------------------------
// Sessions. A session handle is checked first for itself (JxBadSession), then for its engine
// (JxBadEngine), then for a failed engine (JxEngineFailed). Where an entry also takes an image
// handle, a bad image handle gives JxBadImage whatever the session, and so does an image of
// another engine once the session has passed its checks.

/// A top session over a four-channel 8-bit working image (format 1), which must outlive it.
/// Null unless the engine is usable and the image valid, or when construction is cancelled
/// (the engine stays usable) or fails (the engine is then failed).
JxSession* JxBeginSession(JxEngine* engine, JxImage image, JxProgressCallback progress) noexcept;

/// A sub-session over a patch of `parent`. Null unless the selection lies inside the parent
/// (0 <= x, 0 <= y, x + width <= parent width, y + height <= parent height, width and height
/// above 0, mask stride >= width when there is a mask); `forAnalysis` non-zero gives it its own
/// variables and analysis. The mask bytes must outlive the sub-session.
JxSession* JxBeginSubSession(JxSession* parent, const JxSelection* selection, int forAnalysis,
                             JxProgressCallback progress) noexcept;

/// Deletes the session. Its sub-sessions stay alive, detached from it. 6, 7, 5 or JxOk.
int JxEndSession(JxSession* session, JxProgressCallback progress) noexcept;

/// Sets "imageTol" to 1 - tolerance, "inFocusEdgeWidth" to the edge width, "edgeContrast" and
/// "textureFilter" to the low and second byte of the flags; accepts sub-sessions. JxOk, a
/// session code, or JxUnexpectedException.
int JxSetEdgeDetectionOptions(JxSession* session, float tolerance, std::uint32_t edgeWidth,
                              std::int32_t flags) noexcept;

/// Analyses the session's image. JxOk, JxCancelled, JxOutOfMemory, JxUnexpectedException,
/// JxOutOfMemoryFatal, JxNotAnalysed (a sub-session not begun for analysis) or a session code.
int JxAnalyseImage(JxSession* session, JxProgressCallback progress) noexcept;

/// Select: gives `newStatus` to the pixels of the selection whose status matches `fromStatus`,
/// by `mode` (0 to 3); `classLevel` is truncated to an integer, 0 for none.
int JxSelect(JxSession* session, JxImage* statusImage, const JxSelection* selection,
             std::uint8_t newStatus, std::uint8_t fromStatus, int mode, float classLevel,
             JxProgressCallback progress) noexcept;

/// Removes speckles of the selection up to `strength`.
int JxDespeckleSelection(JxSession* session, JxImage* statusImage, std::uint8_t strength,
                         JxProgressCallback progress) noexcept;

/// Auto fill with `fillStatus` (0, 2 or 4) over `rectangle`, or the whole session when null.
int JxAutoFill(JxSession* session, JxImage* statusImage, const JxRect* rectangle,
               std::uint8_t fillStatus, float blendScale, JxProgressCallback progress) noexcept;

/// Auto complex with the given blend scale.
int JxAutoComplex(JxSession* session, JxImage* statusImage, float blendScale,
                  JxProgressCallback progress) noexcept;

/// Writes the statuses carried by `statuses` (one byte per pixel in its mask, which must be
/// set) into the status image. JxRefused for a null mask or a stride below the width.
int JxSetStatus(JxSession* session, JxImage* statusImage, const JxSelection* statuses,
                JxProgressCallback progress) noexcept;

/// Copies the parent's statuses into the sub-session (sub-sessions only).
int JxPullParentStatus(JxSession* subSession, JxImage* statusImage) noexcept;

/// Copies the sub-session's statuses into its parent (sub-sessions only).
int JxPushStatusToParent(JxSession* subSession, JxImage* statusImage) noexcept;

// ---------------------------------------------------------------------------------------------
// Undo

/// Opens an undo group in the session's history. JxOk, a session code, or
/// JxUnexpectedException.
int JxBeginUndoGroup(JxSession* session) noexcept;

/// Undo / Redo one group. JxOk, JxUnexpectedException, JxOutOfMemoryFatal or a session code.
int JxUndo(JxSession* session, JxProgressCallback progress) noexcept;
int JxRedo(JxSession* session, JxProgressCallback progress) noexcept;

/// Writes the number of undo (redo) groups; `count` is written only on JxOk.
int JxNumAvailableUndos(JxSession* session, std::uint32_t* count) noexcept;
int JxNumAvailableRedos(JxSession* session, std::uint32_t* count) noexcept;

/// Destroys every undo and redo step of the session's history.
int JxClearUndoRedo(JxSession* session) noexcept;

// ---------------------------------------------------------------------------------------------
// Mask generation

/// Generates the mask into `output` (same format and size as `source`) from the status image,
/// the forced edges and the regions, over `rectangle` (status-image coordinates) or the whole
/// image. The output scale (1, 2, 4 or 8) comes from the ratio of output and status image.
/// The status image is checked before the session. `output` is changed only on JxOk.
int JxGenerateMask(JxSession* session, const JxRect* rectangle, JxImage output, JxImage source,
                   JxImage* statusImage, const JxForcedEdge* forcedEdges,
                   std::int32_t forcedEdgeCount, float autoBlendWidth, float blendRatio,
                   const JxMaskRegion* regions, std::int32_t regionCount,
                   JxProgressCallback progress) noexcept;

// ---------------------------------------------------------------------------------------------
// Variables

/// Sets the named variable to the normalised `value`. JxOk; JxRefused for an unknown name or
/// a sub-session; JxUnexpectedException; or a session code.
int JxSetVariable(JxSession* session, const char* name, float value) noexcept;

/// Copies the named entry of the session's variable table into `variable`. JxOk; JxRefused
/// for an unknown name; JxUnexpectedException; or a session code.
int JxGetVariable(JxVariable* variable, JxSession* session, const char* name) noexcept;
