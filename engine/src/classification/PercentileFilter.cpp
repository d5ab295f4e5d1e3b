#include "morphology/PercentileFilter.h"

#include "morphology/CursorHelpers.h"
#include "morphology/WindowOffsets.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <vector>

namespace morphology {
namespace {

constexpr float rankTolerance = 0.001f;

/// Refuses input values outside [low, high] anywhere a window can reach (the whole input).
template <typename T>
void checkValueRange(const blitz::Array<T, 2>& input, int low, int high) {
    if (low == 0 && high == std::numeric_limits<T>::max())
        return;
    for (int x = input.lbound(0); x <= input.ubound(0); ++x)
        for (int y = input.lbound(1); y <= input.ubound(1); ++y) {
            const int value = input(x, y);
            if (value < low || value > high)
                throw std::invalid_argument("percentile filter input outside the histogram range");
        }
}

float clampedFraction(const float* fraction) {
    const float f = fraction ? *fraction : 0.5f;
    if (!(f > 0.0f))   // negative or undefined
        return 0.0f;
    return std::min(f, 1.0f);
}

template <typename T>
void percentileFilterCore(blitz::Array<T, 2> output, IntBox& result,
                          const blitz::Array<T, 2>& input, const StructuringElement& element,
                          const float* fractionPointer, int low, int high,
                          Corvel::utility::IiUI* ui, float from, float to) {
    if (low < 0 || high > std::numeric_limits<T>::max() || low > high)
        throw std::invalid_argument("percentile filter histogram range outside the value range");
    const IntBox box = classification::erodeBox(IntBox::domainOf(input), IntBox::domainOf(element));
    result = box;
    if (classification::isBoxEmpty(box) || element.size() == 0)
        return;
    if (!IntBox::domainOf(output).contains(box))
        throw std::out_of_range("percentile filter output does not hold the result box");

    const WindowOffsets offsets = WindowOffsets::of(element, input.stride(0), input.stride(1));
    if (offsets.members.empty()) {
        for (int j = box.lower[0]; j <= box.upper[0]; ++j)
            for (int k = box.lower[1]; k <= box.upper[1]; ++k)
                output(j, k) = 0;
        return;
    }
    checkValueRange(input, low, high);

    const float fraction = clampedFraction(fractionPointer);
    const auto n = static_cast<std::uint32_t>(offsets.members.size());
    const float rank = static_cast<float>(n - 1) * fraction + 1.0f;
    // With the fraction in [0, 1] both ranks lie in [1, n], so the cursor stays in the histogram.
    const std::uint32_t lowerRank = std::clamp<std::uint32_t>(floorOffset1(rank, rankTolerance), 1, n);
    const auto upperRank = static_cast<std::uint32_t>(
        std::clamp(ceilOffset1(rank, rankTolerance), 1, static_cast<int>(n)));
    const float rankFraction = subtractInt1(rank, lowerRank);

    const int lastBin = high - low;
    std::vector<std::uint32_t> histogram(static_cast<std::size_t>(lastBin) + 1);
    std::uint32_t* counts = histogram.data();
    const std::ptrdiff_t outputStep = output.stride(1);
    const std::ptrdiff_t inputStep = input.stride(1);
    const float rows = static_cast<float>(box.rows());

    for (int j = box.lower[0]; j <= box.upper[0]; ++j) {
        std::fill(histogram.begin(), histogram.end(), 0u);
        const T* origin = &input(j, box.lower[1]);
        for (const std::ptrdiff_t m : offsets.members)
            ++counts[origin[m] - low];
        int bin = 0;
        std::uint32_t cumulative = counts[0];
        advanceCumulativeCursor1(lowerRank, bin, cumulative, counts, lastBin);
        T* out = &output(j, box.lower[1]);
        *out = static_cast<T>(
            low + interpolatedBin(bin, cumulative, upperRank, rankFraction, counts, lastBin));

        for (int k = box.lower[1] + 1; k <= box.upper[1]; ++k) {
            origin += inputStep;
            out += outputStep;
            for (const std::ptrdiff_t m : offsets.leaving) {
                const int value = origin[m] - low;
                --counts[value];
                cumulative = decrementWhereAtLeast1(value, bin, cumulative);
            }
            for (const std::ptrdiff_t m : offsets.entering) {
                const int value = origin[m] - low;
                ++counts[value];
                cumulative = incrementWhereAtLeast1(value, bin, cumulative);
            }
            advanceCumulativeCursor1(lowerRank, bin, cumulative, counts, lastBin);
            *out = static_cast<T>(
                low + interpolatedBin(bin, cumulative, upperRank, rankFraction, counts, lastBin));
        }

        if ((j & 0xFF) == 0 && ui) {
            const float done = static_cast<float>(j - box.lower[0] + 1) / rows;
            ui->progress((1.0f - done) * from + done * to, std::string());
        }
    }
}

template <typename T>
void reflectInPlace(blitz::Array<T, 2>& array) {
    const blitz::TinyVector<int, 2> base(-array.ubound(0), -array.ubound(1));
    array.reverseSelf(0);
    array.reverseSelf(1);
    array.reindexSelf(base);
}

template <typename T>
void reflectedFilter(blitz::Array<T, 2> output, IntBox& result, blitz::Array<T, 2> input,
                     const StructuringElement& element, const float* fraction, int low, int high,
                     Corvel::utility::IiUI* ui, float from, float to) {
    reflectInPlace(input);
    reflectInPlace(output);
    IntBox reflected;
    percentileFilterCore(output, reflected, input, element, fraction, low, high, ui, from, to);
    result = classification::negateBox(reflected);
}

}  // namespace

void percentileFilter8(blitz::Array<std::uint8_t, 2> output, IntBox& result,
                       const blitz::Array<std::uint8_t, 2>& input, const StructuringElement& element,
                       const float* fraction, int low, int high, Corvel::utility::IiUI* ui,
                       float from, float to) {
    percentileFilterCore(output, result, input, element, fraction, low, high, ui, from, to);
}

void percentileFilter16(blitz::Array<std::uint16_t, 2> output, IntBox& result,
                        const blitz::Array<std::uint16_t, 2>& input,
                        const StructuringElement& element, const float* fraction, int low,
                        int high, Corvel::utility::IiUI* ui, float from, float to) {
    percentileFilterCore(output, result, input, element, fraction, low, high, ui, from, to);
}

void reflectByteArray(blitz::Array<std::uint8_t, 2>& array) { reflectInPlace(array); }
void reflectArray(blitz::Array<std::uint16_t, 2>& array) { reflectInPlace(array); }

blitz::Array<std::uint8_t, 2> reflectedByteCopy(blitz::Array<std::uint8_t, 2> array) {
    reflectInPlace(array);
    return array;
}

blitz::Array<std::uint16_t, 2> reflectedCopy(blitz::Array<std::uint16_t, 2> array) {
    reflectInPlace(array);
    return array;
}

void reflectedPercentileFilter8(blitz::Array<std::uint8_t, 2> output, IntBox& result,
                                blitz::Array<std::uint8_t, 2> input,
                                const StructuringElement& element, const float* fraction,
                                int low, int high, Corvel::utility::IiUI* ui, float from, float to) {
    reflectedFilter(output, result, input, element, fraction, low, high, ui, from, to);
}

void reflectedPercentileFilter16(blitz::Array<std::uint16_t, 2> output, IntBox& result,
                                 blitz::Array<std::uint16_t, 2> input,
                                 const StructuringElement& element, const float* fraction,
                                 int low, int high, Corvel::utility::IiUI* ui, float from,
                                 float to) {
    reflectedFilter(output, result, input, element, fraction, low, high, ui, from, to);
}

void channelPercentileFilter8(blitz::Array<std::uint8_t, 2> output, IntBox& result,
                              blitz::Array<std::uint8_t, 2> input,
                              const StructuringElement& element, float fraction, int low,
                              int high, ProgressRange progress) {
    reflectedFilter(output, result, input, element, &fraction, low, high, progress.ui,
                    progress.at(progress.last), progress.to);
}

void channelPercentileFilter16(blitz::Array<std::uint16_t, 2> output, IntBox& result,
                               blitz::Array<std::uint16_t, 2> input,
                               const StructuringElement& element, float fraction, int low,
                               int high, ProgressRange progress) {
    reflectedFilter(output, result, input, element, &fraction, low, high, progress.ui,
                    progress.at(progress.last), progress.to);
}

}  // namespace morphology
