#pragma once

#include "classification/IntBox.h"
#include "classification/JxInterface.h"
#include "classification/JxSigned.h"
#include "Colour.h"

#include <blitz/array.h>

class JxEngine;

/// An engine image: the public JxImage record (an image handle is its address) with the
/// engine's bookkeeping. Status images hold one byte per pixel; sub-sessions also keep local
/// status images of this class. Images built with an engine register with it and are deleted
/// by JxFinish when still alive.
class JxInImage : public JxImage, public JxSigned {
public:
    /// No pixels, no engine.
    JxInImage();
    /// A new status image (format 0) of the given size, registered with `engine` when it is
    /// not null. Rows are padded to a multiple of 4 bytes and start 4-byte aligned; the pixels
    /// are not initialised. Throws std::invalid_argument for a size below 1 and
    /// std::length_error when a row does not fit the int32 stride.
    JxInImage(JxEngine* engine, int width, int height);
    /// Shares the other image's pixels without owning them; registers with the same engine.
    JxInImage(const JxInImage& other);
    /// Views a byte array's pixels without owning them; no engine.
    explicit JxInImage(const blitz::Array<unsigned char, 2>& statuses);
    ~JxInImage() override;

    JxInImage& operator=(const JxInImage&) = delete;

    /// Makes this image a private copy of the statuses of `source` (format 0) inside `box`,
    /// with every status whose byte in `mask` is 0 cleared. `mask` covers exactly `box` and is
    /// indexed from its lower corner; the box lies inside `source`. Any buffer this image
    /// owned is freed first.
    void copyMasked(const JxImage& source, const classification::IntBox& box,
                    const blitz::Array<unsigned char, 2>& mask);

    bool ownsBuffer() const { return ownsBuffer_; }
    JxEngine* engine() const { return engine_; }
    int alignment() const { return alignment_; }

    /// The engine image behind a handle the caller has checked.
    static JxInImage* fromHandle(JxImage* handle) { return static_cast<JxInImage*>(handle); }

    /// Bytes per pixel of a JxImageFormat: 1, 4, 8, 8; 0 for an unknown format.
    static int bytesPerPixel(int format);

    /// True when a caller's buffer can be read as rows of `pixelSize`-byte pixels: width and
    /// height above 0, data set and aligned for the channel type, stride a whole number of
    /// pixels and at least width pixels. Computed without overflow.
    static bool isValidBuffer(const JxImage& image, int pixelSize);

    /// Array views over an image's pixels, indexed from (0, 0), rows x columns = height x
    /// width. They share the pixels and never own them.
    static blitz::Array<unsigned char, 2> byteView(const JxImage& image);
    static blitz::Array<Corvel::utility::Colour<unsigned char>, 2> colourView(const JxImage& image);
    static blitz::Array<Corvel::utility::Colour<unsigned short>, 2> colour16View(
        const JxImage& image);

private:
    void releaseBuffer();

    bool ownsBuffer_ = false;
    JxEngine* engine_ = nullptr;
    unsigned char* buffer_ = nullptr;   // the allocation behind `data`
    int alignment_ = 0;
};
