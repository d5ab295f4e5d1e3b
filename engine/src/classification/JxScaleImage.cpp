// JxScaleImage: median down-scaling of four-channel 8-bit images.

#include "classification/JxInImage.h"
#include "classification/JxInProgress.h"
#include "classification/JxInterface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr int channels = 4;

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

/// How many of the values are below `candidate` (at least 1). Padding of 255 is never below a
/// candidate, so it does not count. The count is made in plain int, or with explicit SSE2 byte
/// compares over whole 16-byte lanes: an 8-bit counter summed over lanes is what GCC 12's
/// vectorizer at -O3 gets wrong (it returned 0 for every rank), so the result must not be left
/// to the optimizer's way of reducing narrow sums.
template <int Padded>
int countBelow(const unsigned char (&values)[Padded], unsigned char candidate) {
#ifdef __SSE2__
    // v < candidate exactly when min(v, candidate - 1) == v; each lane adds 1 (subtracts -1)
    // per such value, at most Padded / 16 per byte, and the sum of absolute differences
    // against zero adds the bytes up in two 64-bit halves.
    const __m128i atMost = _mm_set1_epi8(static_cast<char>(candidate - 1));
    __m128i counts = _mm_setzero_si128();
    for (int i = 0; i < Padded; i += 16) {
        const __m128i lane = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + i));
        counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(_mm_min_epu8(lane, atMost), lane));
    }
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    return _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
#else
    int below = 0;
    for (int i = 0; i < Padded; ++i)
        below += values[i] < candidate ? 1 : 0;
    return below;
#endif
}

/// The value of rank k (0 = smallest) among the values, found bit by bit from the top: the
/// largest x with at most k values below it.
template <int Padded>
unsigned char valueOfRank(const unsigned char (&values)[Padded], int k) {
    static_assert(Padded % 16 == 0, "whole vector lanes");
    static_assert(Padded / 16 < 256, "a lane's byte counts stay below 256");
    unsigned prefix = 0;
    for (int bit = 7; bit >= 0; --bit) {
        const auto candidate = static_cast<unsigned char>(prefix | (1u << bit));
        prefix |= static_cast<unsigned>(countBelow(values, candidate) <= k) << bit;
    }
    return static_cast<unsigned char>(prefix);
}

/// floor((x(n/2) + x(n/2 + 1)) / 2) of the first n values, x sorted ascending (1-based): the
/// mean of the two middle values, rounded down.
template <int Padded>
unsigned char middleMean(const unsigned char (&values)[Padded], int n) {
    return static_cast<unsigned char>((valueOfRank(values, n / 2 - 1) + valueOfRank(values, n / 2)) / 2);
}

/// floor((p + q) / 2) without leaving 8 bits.
inline unsigned char meanRoundedDown(unsigned char p, unsigned char q) {
    return static_cast<unsigned char>((p & q) + ((p ^ q) >> 1));
}

/// The median of a 2 x 2 block per channel. Of the pairwise minima and maxima of the two
/// columns, the smallest and the largest value drop out; the larger minimum and the smaller
/// maximum are the two middle values.
void medianOf2(const unsigned char* upper, const unsigned char* lower, unsigned char* out) {
    for (int k = 0; k < channels; ++k) {
        const unsigned char left[2] = {std::min(upper[k], lower[k]), std::max(upper[k], lower[k])};
        const unsigned char right[2] = {std::min(upper[k + channels], lower[k + channels]),
                                        std::max(upper[k + channels], lower[k + channels])};
        out[k] = meanRoundedDown(std::max(left[0], right[0]), std::min(left[1], right[1]));
    }
}

/// One destination row by 2 from the two source rows, for `columns` whole blocks. The
/// application reduces every large picture by 2 while the user waits, so this runs four
/// pixels at a time where SSE2 is there.
void reduceRowByTwo(const unsigned char* upper, const unsigned char* lower, unsigned char* out,
                    int columns) {
    int column = 0;
#ifdef __SSE2__
    const __m128i low7Bits = _mm_set1_epi8(0x7F);
    for (; column + 4 <= columns; column += 4) {
        const unsigned char* top = upper + column * 2 * channels;
        const unsigned char* bottom = lower + column * 2 * channels;
        const __m128i top0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top));
        const __m128i top1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + 16));
        const __m128i bottom0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom));
        const __m128i bottom1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + 16));
        const __m128 min0 = _mm_castsi128_ps(_mm_min_epu8(top0, bottom0));
        const __m128 min1 = _mm_castsi128_ps(_mm_min_epu8(top1, bottom1));
        const __m128 max0 = _mm_castsi128_ps(_mm_max_epu8(top0, bottom0));
        const __m128 max1 = _mm_castsi128_ps(_mm_max_epu8(top1, bottom1));
        // Pixels 0, 2, 4, 6 are the left columns of four blocks, 1, 3, 5, 7 the right ones.
        const __m128i lowerMiddle = _mm_max_epu8(
            _mm_castps_si128(_mm_shuffle_ps(min0, min1, _MM_SHUFFLE(2, 0, 2, 0))),
            _mm_castps_si128(_mm_shuffle_ps(min0, min1, _MM_SHUFFLE(3, 1, 3, 1))));
        const __m128i upperMiddle = _mm_min_epu8(
            _mm_castps_si128(_mm_shuffle_ps(max0, max1, _MM_SHUFFLE(2, 0, 2, 0))),
            _mm_castps_si128(_mm_shuffle_ps(max0, max1, _MM_SHUFFLE(3, 1, 3, 1))));
        const __m128i halfDifference =
            _mm_and_si128(_mm_srli_epi16(_mm_xor_si128(lowerMiddle, upperMiddle), 1), low7Bits);
        const __m128i mean = _mm_add_epi8(_mm_and_si128(lowerMiddle, upperMiddle), halfDifference);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + column * channels), mean);
    }
#endif
    for (; column < columns; ++column)
        medianOf2(upper + column * 2 * channels, lower + column * 2 * channels,
                  out + column * channels);
}

/// `Padded`: the block's sample count rounded up to whole 16-byte lanes.
template <int Padded, std::size_t Rows>
void medianOfBlock(const RowSpan (&block)[Rows], const Layout& source, int row, int column,
                   unsigned char* out) {
    unsigned char samples[channels][Padded];
    std::memset(samples, 255, sizeof samples);
    int n = 0;
    for (std::size_t r = 0; r < Rows; ++r) {
        const unsigned char* in = source.pixel(row + static_cast<int>(r), column);
        for (int c = block[r].first; c <= block[r].last; ++c, ++n)
            for (int k = 0; k < channels; ++k)
                samples[k][n] = in[c * channels + k];
    }
    for (int k = 0; k < channels; ++k)
        out[k] = middleMean(samples[k], n);
}

void medianOf(int factor, const Layout& source, int row, int column, unsigned char* out) {
    switch (factor) {
    case 2:
        medianOf2(source.pixel(row, column), source.pixel(row + 1, column), out);
        break;
    case 4:
        medianOfBlock<16>(blockOf4, source, row, column, out);
        break;
    default:
        medianOfBlock<64>(blockOf8, source, row, column, out);
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
        int column = 0;
        if (factor == 2) {
            reduceRowByTwo(in.pixel(sourceRow, 0), in.pixel(sourceRow + 1, 0), out, wholeColumns);
            column = wholeColumns;
        }
        for (; column < destination.width; ++column) {
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
