// JxScaleImage: median down-scaling of four-channel 8-bit images.

#include "classification/JxInImage.h"
#include "classification/JxInProgress.h"
#include "classification/JxInterface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

constexpr int channels = 4;
constexpr int maxSamples = 52;

/// The columns [first, last] sampled in each row of an f x f block. Leaving out the corners
/// makes the larger blocks round, so a pixel's median does not lean towards the diagonals.
struct RowSpan {
    int first, last;
};
constexpr RowSpan blockOf4[] = {{1, 2}, {0, 3}, {0, 3}, {1, 2}};   // 12 samples
constexpr RowSpan blockOf8[] = {{2, 5}, {1, 6}, {0, 7}, {0, 7},
                                {0, 7}, {0, 7}, {1, 6}, {2, 5}};   // 52 samples

struct Layout {
    const unsigned char* data;
    std::size_t stride;
    const unsigned char* pixel(int row, int column) const {
        return data + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(column) * channels;
    }
};

/// floor((x(n/2) + x(n/2 + 1)) / 2) of the n values, x sorted ascending (1-based): the mean of
/// the two middle values, rounded down. Reorders the values.
int middleMean(int* values, int n) {
    int* upperMiddle = values + n / 2;
    std::nth_element(values, upperMiddle, values + n);
    const int lowerMiddle = *std::max_element(values, upperMiddle);
    return (lowerMiddle + *upperMiddle) / 2;
}

/// The median of the 2 x 2 block at (row, column), per channel: the sum less the extremes.
void medianOf2(const Layout& source, int row, int column, unsigned char* out) {
    const unsigned char* a = source.pixel(row, column);
    const unsigned char* b = a + channels;
    const unsigned char* c = source.pixel(row + 1, column);
    const unsigned char* d = c + channels;
    for (int k = 0; k < channels; ++k) {
        const int lo = std::min(std::min(a[k], b[k]), std::min(c[k], d[k]));
        const int hi = std::max(std::max(a[k], b[k]), std::max(c[k], d[k]));
        out[k] = static_cast<unsigned char>((a[k] + b[k] + c[k] + d[k] - lo - hi) / 2);
    }
}

template <std::size_t Rows>
void medianOfBlock(const RowSpan (&block)[Rows], const Layout& source, int row, int column,
                   unsigned char* out) {
    int samples[channels][maxSamples];
    int n = 0;
    for (std::size_t r = 0; r < Rows; ++r) {
        const unsigned char* in = source.pixel(row + static_cast<int>(r), column);
        for (int c = block[r].first; c <= block[r].last; ++c, ++n)
            for (int k = 0; k < channels; ++k)
                samples[k][n] = in[c * channels + k];
    }
    for (int k = 0; k < channels; ++k)
        out[k] = static_cast<unsigned char>(middleMean(samples[k], n));
}

void medianOf(int factor, const Layout& source, int row, int column, unsigned char* out) {
    switch (factor) {
    case 2:
        medianOf2(source, row, column, out);
        break;
    case 4:
        medianOfBlock(blockOf4, source, row, column, out);
        break;
    default:
        medianOfBlock(blockOf8, source, row, column, out);
        break;
    }
}

/// The reduction factor: the larger ratio of the two axes rounded up, in single precision as
/// the working-resolution code computes it; 3 and 7 become 4 and 8, the factors it has blocks
/// for. 0 for a factor it cannot produce.
int reductionFactor(const JxImage& destination, const JxImage& source) {
    const float rowRatio = static_cast<float>(source.height) / static_cast<float>(destination.height);
    const float columnRatio = static_cast<float>(source.width) / static_cast<float>(destination.width);
    const float factor = std::max(std::ceil(rowRatio), std::ceil(columnRatio));
    if (factor == 1.0f || factor == 2.0f || factor == 4.0f || factor == 8.0f)
        return static_cast<int>(factor);
    if (factor == 3.0f)
        return 4;
    if (factor == 7.0f)
        return 8;
    return 0;
}

int reducedSize(int size, int factor) { return size / factor + (size % factor != 0 ? 1 : 0); }

void copyPixels(const JxImage& destination, const JxImage& source) {
    for (int row = 0; row < source.height; ++row)
        std::memmove(destination.data + static_cast<std::size_t>(row) * destination.stride,
                    source.data + static_cast<std::size_t>(row) * source.stride,
                    static_cast<std::size_t>(source.width) * channels);
}

/// Every destination pixel (r, c) is the median of the block at (f r, f c). When the source
/// does not divide evenly, the last row (column) takes the source's last f rows (columns).
void reduce(const JxImage& destination, const JxImage& source, int factor) {
    const int wholeRows = source.height / factor;
    const int wholeColumns = source.width / factor;
    if (wholeRows == 0 || wholeColumns == 0)
        throw std::runtime_error("Image too small");
    const Layout in{source.data, static_cast<std::size_t>(source.stride)};
    for (int row = 0; row < destination.height; ++row) {
        const int sourceRow = row < wholeRows ? row * factor : source.height - factor;
        unsigned char* out = destination.data + static_cast<std::size_t>(row) * destination.stride;
        for (int column = 0; column < destination.width; ++column) {
            const int sourceColumn =
                column < wholeColumns ? column * factor : source.width - factor;
            medianOf(factor, in, sourceRow, sourceColumn, out + column * channels);
        }
    }
}

}  // namespace

int JxScaleImage(JxImage destination, JxImage source) noexcept {
    // Runs on the GUI thread while engine entries run: it leaves the process's new-handler,
    // which they swap, alone.
    if (destination.format != JxFormatRgba8 || source.format != JxFormatRgba8)
        return JxRefused;
    if (!JxInImage::isValidBuffer(destination, channels) ||
        !JxInImage::isValidBuffer(source, channels))
        return JxRefused;
    const int factor = reductionFactor(destination, source);
    // The caller's buffer is usually fresh, uninitialised memory: refuse any shape that would
    // leave some of it unwritten, rather than hand back garbage as a picture.
    if (factor == 0 || destination.height != reducedSize(source.height, factor) ||
        destination.width != reducedSize(source.width, factor))
        return JxRefused;
    try {
        JxInProgress reporter(nullptr, 0, "Scale Image", false);
        if (factor == 1)
            copyPixels(destination, source);
        else
            reduce(destination, source, factor);
        return JxOk;
    } catch (...) {
        return JxUnexpectedException;
    }
}
