#include "classification/RegionColourMap.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

namespace classification {

namespace {

constexpr unsigned char codeSource = 1, codePending = 0, codeOther = 2;
constexpr int farAway = 1073741823;   // 2^30 - 1: plus any step cost it still fits an int
constexpr int marginCells = 2;        // the reach of the 5 x 5 chamfer mask

struct ChamferStep {
    int di, dj, cost;   // costs 34, 48, 76 stand for steps of 1, sqrt 2 and sqrt 5 cells
};

// The causal halves of the 5 x 5 mask, in the order their relaxations are tried: among equal
// candidates the first met wins.
constexpr ChamferStep forwardSteps[] = {{0, -1, 34},  {-1, -2, 76}, {-1, -1, 48}, {-1, 0, 34},
                                        {-1, 1, 48},  {-1, 2, 76},  {-2, -1, 76}, {-2, 1, 76}};
constexpr ChamferStep backwardSteps[] = {{0, 1, 34},  {1, 2, 76},  {1, 1, 48},  {1, 0, 34},
                                         {1, -1, 48}, {1, -2, 76}, {2, 1, 76},  {2, -1, 76}};

IntBox grownBox(const IntBox& box, int by) {
    return IntBox(box.lower[0] - by, box.lower[1] - by, box.upper[0] + by, box.upper[1] + by);
}

template <typename T>
blitz::Array<T, 2> arrayOverBox(const IntBox& box) {
    return blitz::Array<T, 2>(box.lower, blitz::TinyVector<int, 2>(box.rows(), box.columns()));
}

// One raster pass of the chamfer transform, rows and columns ascending (forward) or descending.
// Only a strictly smaller distance replaces, so colours beyond the box (where distances are all
// far away) are never read. Raw strides keep the eight relaxations per cell cheap.
void chamferPass(const IntBox& box, const ChamferStep (&steps)[8], bool forward,
                 blitz::Array<int, 2>& distances, RegionColourMap& colours) {
    std::ptrdiff_t distanceOffset[8], colourOffset[8];
    for (int k = 0; k < 8; ++k) {
        distanceOffset[k] = steps[k].di * distances.stride(0) + steps[k].dj * distances.stride(1);
        colourOffset[k] = steps[k].di * colours.stride(0) + steps[k].dj * colours.stride(1);
    }
    const int step = forward ? 1 : -1;
    const int firstRow = forward ? box.lower[0] : box.upper[0];
    const int firstColumn = forward ? box.lower[1] : box.upper[1];
    const std::ptrdiff_t distanceStep = step * distances.stride(1);
    const std::ptrdiff_t colourStep = step * colours.stride(1);
    for (int r = 0, i = firstRow; r < box.rows(); ++r, i += step) {
        int* d = &distances(i, firstColumn);
        ColourBytes* c = &colours(i, firstColumn);
        for (int n = 0; n < box.columns(); ++n, d += distanceStep, c += colourStep)
            for (int k = 0; k < 8; ++k) {
                const int candidate = d[distanceOffset[k]] + steps[k].cost;
                if (candidate < *d) {
                    *d = candidate;
                    *c = c[colourOffset[k]];
                }
            }
    }
}

unsigned char clampToRgb8(int value) {
    return static_cast<unsigned char>(std::clamp(value, 0, 255));
}

}  // namespace

int smoothingSweeps(float amount) {
    const float v = amount > 0.0f ? std::min(amount, 1.0f) : 0.0f;   // NaN counts as 0
    return 1 - static_cast<int>(v * -99.0f);
}

void propagateNearestColour(const IntBox& box, blitz::Array<int, 2>& distances,
                            RegionColourMap& colours, ProgressRange progress) {
    if (isBoxEmpty(box))
        return;
    chamferPass(box, forwardSteps, true, distances, colours);
    progress.report(0.5f);
    chamferPass(box, backwardSteps, false, distances, colours);
    progress.report(1.0f);
}

void smoothPendingColours(const blitz::Array<unsigned char, 2>& codes, const IntBox& box,
                          RegionColourMap& colours, int sweeps) {
    if (isBoxEmpty(box))
        return;
    // Neighbours in the order (-1, 0), (1, 0), (0, -1), (0, 1).
    const std::ptrdiff_t codeOffset[4] = {-codes.stride(0), codes.stride(0), -codes.stride(1),
                                          codes.stride(1)};
    const std::ptrdiff_t colourOffset[4] = {-colours.stride(0), colours.stride(0),
                                            -colours.stride(1), colours.stride(1)};
    for (int sweep = 0; sweep < sweeps; ++sweep)
        for (int i = box.lower[0]; i <= box.upper[0]; ++i) {
            const unsigned char* code = &codes(i, box.lower[1]);
            ColourBytes* colour = &colours(i, box.lower[1]);
            for (int n = 0; n < box.columns();
                 ++n, code += codes.stride(1), colour += colours.stride(1)) {
                if (*code != codePending)
                    continue;
                int counted = 0;
                int sum[3] = {0, 0, 0};
                for (int k = 0; k < 4; ++k) {
                    if (code[codeOffset[k]] == codeOther)
                        continue;
                    ++counted;
                    const ColourBytes& neighbour = colour[colourOffset[k]];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += neighbour[c];
                }
                if (counted == 0)
                    continue;   // nothing to relax toward
                const float inverse = 1.0f / static_cast<float>(counted);
                for (int c = 0; c < 3; ++c) {
                    // Over-relaxation by 1.5, written at once (Gauss-Seidel); the added 0.5
                    // makes the truncation a rounding to nearest.
                    const float relaxed = 0.5f - 0.5f * static_cast<float>((*colour)[c]) +
                                          1.5f * static_cast<float>(sum[c]) * inverse;
                    (*colour)[c] = clampToRgb8(static_cast<int>(relaxed));
                }
            }
        }
}

RegionColourMap buildRegionColourMap(const blitz::Array<unsigned char, 2>& statusView,
                                     unsigned char classBit, const GenerateMaskLayer& layer,
                                     const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>& colourImage) {
    const IntBox box = IntBox::domainOf(statusView);
    if (isBoxEmpty(box) || !IntBox::domainOf(colourImage).contains(box))
        throw std::invalid_argument("region box outside the colour image");
    const IntBox grown = grownBox(box, marginCells);

    // The margin holds code 2 and far distances, so the chamfer and smoothing loops need no
    // bounds tests.
    auto codes = arrayOverBox<unsigned char>(grown);
    codes = codeOther;
    auto distances = arrayOverBox<int>(grown);
    distances = farAway;
    RegionColourMap colours = arrayOverBox<ColourBytes>(box);
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            const unsigned char s = statusView(i, j);
            if (s & classBit) {
                codes(i, j) = codeSource;
                distances(i, j) = 0;
            } else if ((s & 0xC0) == 0x80) {
                codes(i, j) = codePending;
            }
            const auto& pixel = colourImage(i, j);
            colours(i, j) = ColourBytes(pixel[0], pixel[1], pixel[2]);
        }

    propagateNearestColour(box, distances, colours, ProgressRange());
    smoothPendingColours(codes, box, colours, smoothingSweeps(layer.smoothingAmount));
    return colours;
}

}  // namespace classification
