// The flat-interface entries on engines and engine images.

#include "classification/JxEngine.h"
#include "classification/JxEntryFrame.h"
#include "classification/JxInImage.h"
#include "classification/JxInterface.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace {

/// Status 1 (unmarked) where the pixel's alpha equals `opaque`, else 0 (no status).
template <typename Channel>
void statusesFromAlpha(JxInImage& statuses, const JxImage& source, Channel opaque) {
    constexpr std::size_t pixelSize = 4 * sizeof(Channel);
    for (int row = 0; row < source.height; ++row) {
        const unsigned char* in = source.data + static_cast<std::size_t>(row) * source.stride;
        unsigned char* out = statuses.data + static_cast<std::size_t>(row) * statuses.stride;
        for (int column = 0; column < source.width; ++column) {
            Channel alpha;
            std::memcpy(&alpha, in + column * pixelSize + 3 * sizeof(Channel), sizeof alpha);
            out[column] = alpha == opaque ? JxStatusUnassigned : JxStatusNone;
        }
    }
}

void fillStatuses(JxInImage& statuses, const JxImage& source) {
    switch (source.format) {
    case JxFormatRgba8:
        statusesFromAlpha<std::uint8_t>(statuses, source, 255);
        break;
    case JxFormatRgba16:
        statusesFromAlpha<std::uint16_t>(statuses, source, 65535);
        break;
    case JxFormatRgba16Max32768:
        statusesFromAlpha<std::uint16_t>(statuses, source, 32768);
        break;
    default:   // no alpha to read: every pixel is unmarked
        for (int row = 0; row < statuses.height; ++row)
            std::memset(statuses.data + static_cast<std::size_t>(row) * statuses.stride,
                        JxStatusUnassigned, static_cast<std::size_t>(statuses.width));
        break;
    }
}

}  // namespace

JxEngine* JxInit() noexcept {
    JxNewHandlerGuard guard;
    try {
        return new JxEngine;
    } catch (...) {
        return nullptr;
    }
}

int JxFinish(JxEngine* engine) noexcept {
    JxNewHandlerGuard guard;
    if (int code = JxEntryFrame::engineCode(engine))
        return code;   // a failed engine stays alive: its sessions may be half-way through work
    delete engine;     // deletes its sessions, newest first, then its images
    return JxOk;
}

JxImage* JxNewImage(JxEngine* engine, JxImage source) noexcept {
    // Formats without alpha are not read, so only their size needs to make sense.
    const int pixelSize = JxInImage::bytesPerPixel(source.format);
    if (!JxInImage::isValidBuffer(source, pixelSize > 0 ? pixelSize : 1))
        return nullptr;
    return JxEntryFrame::makeOnEngine<JxImage>(
        engine, {"New Image", JxFailurePolicy::imageBuild},
        [&](JxEngine& owner, JxInProgress&) -> JxImage* {
            auto image = std::make_unique<JxInImage>(&owner, source.width, source.height);
            fillStatuses(*image, source);
            return image.release();
        });
}

int JxCheckImage(const JxImage* image) noexcept {
    JxNewHandlerGuard guard;
    return JxEntryFrame::imageCode(image);
}
