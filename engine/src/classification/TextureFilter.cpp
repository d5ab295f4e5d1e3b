#include "classification/TextureFilter.h"

#include "classification/ArrayBoxHelpers.h"
#include "morphology/CursorHelpers.h"
#include "morphology/PercentileFilter.h"
#include "morphology/WindowOffsets.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace classification {
namespace {

constexpr float rankTolerance = 0.001f;

float clampedFraction(float f, float highest) {
    if (!(f > 0.0f))   // negative or undefined
        return 0.0f;
    return std::min(f, highest);
}

/// The rank of one order statistic of a window of n values: the whole rank, the rank whose
/// value the interpolation moves towards (the whole rank itself when there is nothing to
/// interpolate, so that no search runs past the window's largest value) and the fraction.
struct PairRank {
    std::uint32_t whole;
    std::uint32_t next;
    float fraction;

    PairRank(float f, std::uint32_t n) {
        const float rank = f * static_cast<float>(n - 1) + 1.0f;
        whole = std::clamp<std::uint32_t>(morphology::floorOffset1(rank, rankTolerance), 1, n);
        fraction = morphology::subtractInt1(rank, whole);
        next = (fraction > 0.0f && whole < n) ? whole + 1 : whole;
    }
};

morphology::StructuringElement discElement(const TextureDisc& disc) {
    morphology::StructuringElement element(disc.shape());
    element.reindexSelf(disc.base());
    for (int j = disc.lbound(0); j <= disc.ubound(0); ++j)
        for (int i = disc.lbound(1); i <= disc.ubound(1); ++i)
            element(j, i) = disc(j, i) ? 1 : 0;
    return element;
}

}  // namespace

TextureDisc buildTextureDisc(int side) {
    if (side < 1)
        throw std::invalid_argument("texture disc side below 1");
    TextureDisc disc(side, side);
    const float c = static_cast<float>(side - 1) / 2.0f;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            const float dj = static_cast<float>(j) - c;
            const float di = static_cast<float>(i) - c;
            disc(j, i) = (c + 0.5f) * (c + 0.5f) >= dj * dj + di * di;
        }
    return disc;
}

IntBox rankFilterPair(const blitz::Array<unsigned char, 2>& padded, const TextureDisc& disc,
                      TwoValueImage output, float f0, float f1, int largest,
                      ProgressRange progress) {
    if (largest < 0 || largest > 255)
        throw std::invalid_argument("texture levels outside a byte");
    const IntBox box = erodeBox(IntBox::domainOf(padded), IntBox::domainOf(disc));
    if (isBoxEmpty(box) || disc.size() == 0)
        return box;
    if (!IntBox::domainOf(output).contains(box))
        throw std::out_of_range("texture pair image does not hold the filtered box");
    if (blitz::any(padded > largest))
        throw std::invalid_argument("texture level above the largest level");

    const auto offsets = morphology::WindowOffsets::of(disc, padded.stride(0), padded.stride(1));
    if (offsets.members.empty())
        throw std::invalid_argument("texture disc without members");
    const auto n = static_cast<std::uint32_t>(offsets.members.size());
    const PairRank ranks[2] = {PairRank(clampedFraction(f0, 1.0f), n),
                               PairRank(clampedFraction(f1, 1.0f), n)};
    const morphology::CountPoint target(ranks[0].whole, ranks[1].whole);

    std::vector<std::uint32_t> histogram(static_cast<std::size_t>(largest) + 1);
    const std::uint32_t* counts = histogram.data();
    auto outputs = [&](const morphology::CursorPoint& bin, const morphology::CountPoint& cumulative) {
        TwoValuePixel pixel;
        for (int i = 0; i < 2; ++i)
            pixel[i] = static_cast<unsigned char>(morphology::interpolatedBin(
                bin[i], cumulative[i], ranks[i].next, ranks[i].fraction, counts, largest));
        return pixel;
    };

    const std::ptrdiff_t step = padded.stride(1);
    const std::ptrdiff_t outputStep = output.stride(1);
    for (int row = box.lower[0]; row <= box.upper[0]; ++row) {
        std::fill(histogram.begin(), histogram.end(), 0u);
        const unsigned char* origin = &padded(row, box.lower[1]);
        TwoValuePixel* out = &output(row, box.lower[1]);
        for (const std::ptrdiff_t m : offsets.members)
            ++histogram[origin[m]];
        morphology::CursorPoint bin(0, 0);
        morphology::CountPoint cumulative(counts[0], counts[0]);
        morphology::advanceCumulativeCursor2(target, bin, cumulative, counts, largest);
        *out = outputs(bin, cumulative);
        for (int column = box.lower[1] + 1; column <= box.upper[1]; ++column) {
            origin += step;
            out += outputStep;
            for (const std::ptrdiff_t m : offsets.leaving) {
                const int value = origin[m];
                --histogram[static_cast<std::size_t>(value)];
                morphology::decrementWhereAtLeast2(value, bin, cumulative);
            }
            for (const std::ptrdiff_t m : offsets.entering) {
                const int value = origin[m];
                ++histogram[static_cast<std::size_t>(value)];
                morphology::incrementWhereAtLeast2(value, bin, cumulative);
            }
            morphology::advanceCumulativeCursor2(target, bin, cumulative, counts, largest);
            *out = outputs(bin, cumulative);
        }
        if ((row & 0xFF) == 0)
            progress.report(static_cast<float>(row - box.lower[0] + 1) / static_cast<float>(box.rows()));
    }
    return box;
}

void reflectedLevelBox(const blitz::Array<unsigned char, 2>& component,
                       blitz::Array<unsigned char, 2> plane, const TextureDisc& disc,
                       float fraction, int largest, ProgressRange progress) {
    IntBox written;
    morphology::reflectedPercentileFilter8(plane, written, component, discElement(disc),
                                           &fraction, 0, largest, progress.ui,
                                           progress.at(progress.last), progress.to);
}

void buildLevelImage(const blitz::Array<unsigned char, 2>& component,
                     blitz::Array<unsigned char, 2> plane, const TextureDisc& disc,
                     float fraction, int largest, ProgressRange progress) {
    const IntBox planeBox = IntBox::domainOf(plane);
    const IntBox needed(planeBox.lower[0] - disc.ubound(0), planeBox.lower[1] - disc.ubound(1),
                        planeBox.upper[0] - disc.lbound(0), planeBox.upper[1] - disc.lbound(1));
    if (!IntBox::domainOf(component).contains(needed))
        throw std::out_of_range("texture level image does not cover the plane");
    reflectedLevelBox(cropArrayToBox(blitz::Array<unsigned char, 2>(component), needed), plane,
                      disc, fraction, largest, progress);
}

void filterTextureChannel(blitz::Array<unsigned char, 2> firstPlane,
                          blitz::Array<unsigned char, 2> secondPlane,
                          const blitz::Array<unsigned char, 2>& channel, int radius, int maxBits,
                          float fraction, ProgressRange progress) {
    const IntBox box = IntBox::domainOf(channel);
    if (isBoxEmpty(box) || !IntBox::domainOf(firstPlane).contains(box) ||
        !IntBox::domainOf(secondPlane).contains(box))
        throw std::out_of_range("texture planes do not cover the channel");
    const blitz::Range rows(box.lower[0], box.upper[0]);
    const blitz::Range columns(box.lower[1], box.upper[1]);
    if (radius <= 0) {
        secondPlane(rows, columns) = channel;
        firstPlane(rows, columns) = secondPlane(rows, columns);
        return;
    }

    const int side = radius + 1;
    const TextureDisc disc = buildTextureDisc(side);
    const int bits = std::clamp(maxBits, 0, 8);
    const int largest = (1 << bits) - 1;
    const float p = clampedFraction(fraction, 0.5f);

    // The first pass's windows reach side - 1 beyond the image towards higher indices.
    blitz::Array<unsigned char, 2> padded(blitz::Range(box.lower[0], box.upper[0] + side - 1),
                                          blitz::Range(box.lower[1], box.upper[1] + side - 1));
    for (int row = box.lower[0]; row <= box.upper[0]; ++row)
        for (int column = box.lower[1]; column <= box.upper[1]; ++column)
            padded(row, column) = static_cast<unsigned char>(channel(row, column) >> (8 - bits));
    replicateBorder8(padded, box);

    // The second pass's windows reach side - 1 before it.
    TwoValueImage pair(blitz::Range(box.lower[0] - side + 1, box.upper[0]),
                       blitz::Range(box.lower[1] - side + 1, box.upper[1]));
    const IntBox filtered =
        rankFilterPair(padded, disc, pair, p, 1.0f - p, largest, progress.subRange(1.0f / 6.0f));
    blitz::Array<unsigned char, 2> low = pair[0];
    blitz::Array<unsigned char, 2> high = pair[1];
    replicateBorder8(low, filtered);
    replicateBorder8(high, filtered);

    buildLevelImage(low, cropArrayToBox(firstPlane, box), disc, 1.0f - p, largest,
                    progress.subRange(0.5f));
    buildLevelImage(high, cropArrayToBox(secondPlane, box), disc, p, largest,
                    progress.subRange(2.0f / 3.0f));
}

}  // namespace classification
