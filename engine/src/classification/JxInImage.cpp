#include "classification/JxInImage.h"

#include "classification/JxEngine.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <stdexcept>

using Corvel::utility::Colour;

namespace {

constexpr int rowAlignment = 4;

void clearFields(JxImage& image) {
    image.width = 0;
    image.height = 0;
    image.stride = 0;
    image.format = JxFormatStatus;
    image.data = nullptr;
}

template <typename T>
blitz::Array<T, 2> viewOf(const JxImage& image) {
    if (image.stride % static_cast<int>(sizeof(T)) != 0)
        throw std::invalid_argument("image rows are not a whole number of pixels");
    return blitz::Array<T, 2>(reinterpret_cast<T*>(image.data),
                              blitz::shape(image.height, image.width),
                              blitz::shape(image.stride / static_cast<int>(sizeof(T)), 1),
                              blitz::neverDeleteData);
}

}  // namespace

JxInImage::JxInImage() : JxImage() { clearFields(*this); }

JxInImage::JxInImage(JxEngine* engine, int width, int height) : JxImage() {
    clearFields(*this);
    if (width < 1 || height < 1)
        throw std::invalid_argument("an engine image needs at least one pixel");
    const std::size_t rowBytes =
        (static_cast<std::size_t>(width) + rowAlignment - 1) / rowAlignment * rowAlignment;
    if (rowBytes > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("engine image too wide");
    buffer_ = new unsigned char[rowBytes * static_cast<std::size_t>(height) + rowAlignment - 1];
    ownsBuffer_ = true;
    alignment_ = rowAlignment;
    const auto address = reinterpret_cast<std::uintptr_t>(buffer_);
    data = buffer_ + (rowAlignment - address % rowAlignment) % rowAlignment;
    this->width = width;
    this->height = height;
    stride = static_cast<std::int32_t>(rowBytes);
    format = JxFormatStatus;
    engine_ = engine;
    if (engine_) {
        try {
            engine_->addImage(this, this);
        } catch (...) {   // the destructor does not run for a constructor that throws
            delete[] buffer_;
            throw;
        }
    }
}

JxInImage::JxInImage(const JxInImage& other)
    : JxImage(other), JxSigned(other), engine_(other.engine_), buffer_(other.buffer_),
      alignment_(other.alignment_) {
    if (engine_)
        engine_->addImage(this, this);
}

JxInImage::JxInImage(const blitz::Array<unsigned char, 2>& statuses) : JxImage() {
    clearFields(*this);
    width = statuses.columns();
    height = statuses.rows();
    stride = static_cast<std::int32_t>(statuses.stride(0));
    data = const_cast<unsigned char*>(statuses.data());
}

JxInImage::~JxInImage() {
    releaseBuffer();
    if (engine_)
        engine_->removeImage(this);
}

void JxInImage::releaseBuffer() {
    if (ownsBuffer_)
        delete[] buffer_;
    ownsBuffer_ = false;
    buffer_ = nullptr;
}

void JxInImage::copyMasked(const JxImage& source, const classification::IntBox& box,
                           const blitz::Array<unsigned char, 2>& mask) {
    using classification::IntBox;
    if (source.format != JxFormatStatus)
        throw std::invalid_argument("masked copies are of status images");
    if (isBoxEmpty(box) || !IntBox(0, 0, source.height - 1, source.width - 1).contains(box))
        throw std::out_of_range("mask box outside the status image");
    if (!boxEquals(IntBox::domainOf(mask), box))
        throw std::invalid_argument("mask does not cover its box");

    releaseBuffer();
    clearFields(*this);
    const int rowStride = std::max(static_cast<int>(mask.stride(0)), box.columns());
    buffer_ = new unsigned char[static_cast<std::size_t>(rowStride) * box.rows()];
    ownsBuffer_ = true;
    alignment_ = 0;
    data = buffer_;
    width = box.columns();
    height = box.rows();
    stride = rowStride;
    format = source.format;

    const blitz::Array<unsigned char, 2> statuses = byteView(source);
    for (int row = 0; row < height; ++row) {
        const int sourceRow = box.lower[0] + row;
        unsigned char* out = data + static_cast<std::size_t>(row) * stride;
        for (int column = 0; column < width; ++column) {
            const int sourceColumn = box.lower[1] + column;
            out[column] = mask(sourceRow, sourceColumn) ? statuses(sourceRow, sourceColumn) : 0;
        }
    }
}

int JxInImage::bytesPerPixel(int format) {
    switch (format) {
    case JxFormatStatus:
        return 1;
    case JxFormatRgba8:
        return 4;
    case JxFormatRgba16:
    case JxFormatRgba16Max32768:
        return 8;
    default:
        return 0;
    }
}

bool JxInImage::isValidBuffer(const JxImage& image, int pixelSize) {
    if (image.width < 1 || image.height < 1 || !image.data || pixelSize < 1)
        return false;
    const int channelSize = pixelSize >= 8 ? 2 : 1;
    if (reinterpret_cast<std::uintptr_t>(image.data) % channelSize != 0)
        return false;
    return image.stride % pixelSize == 0 &&
           static_cast<long long>(image.stride) >=
               static_cast<long long>(image.width) * pixelSize;
}

blitz::Array<unsigned char, 2> JxInImage::byteView(const JxImage& image) {
    return viewOf<unsigned char>(image);
}

blitz::Array<Colour<unsigned char>, 2> JxInImage::colourView(const JxImage& image) {
    return viewOf<Colour<unsigned char>>(image);
}

blitz::Array<Colour<unsigned short>, 2> JxInImage::colour16View(const JxImage& image) {
    return viewOf<Colour<unsigned short>>(image);
}
