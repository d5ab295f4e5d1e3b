#include "classification/GenerateMaskSteps.h"

#include "classification/MaskStatus.h"

#include <algorithm>
#include <cmath>

namespace classification {

namespace {

// trunc(value) as an int, saturated: a huge scale must not make the conversion undefined.
int saturatedTrunc(float value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(static_cast<double>(value), -2.0e9, 2.0e9));
}

// Runs `visit(cell, i, j)` over every cell of `box` clipped to the array.
template <typename Visit>
void forEachCell(blitz::Array<unsigned char, 2>& cells, IntBox box, Visit&& visit) {
    if (!intersectBox(box, IntBox::domainOf(cells)))
        return;
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j)
            visit(cells(i, j), i, j);
}

int passKindOf(const GenerateMaskLayer& layer) {
    if (layer.colourMapLayer)
        return colourMapPassKind;
    if (layer.mattingLayer)
        return mattingPassKind;
    return globalPassKind;
}

}  // namespace

IntBox outputBoxOf(const IntBox& generationBox, const FloatPoint& scale,
                   const IntBox& outputDomain) {
    IntPoint lower, upper;
    for (int axis = 0; axis < 2; ++axis) {
        lower[axis] = saturatedTrunc(static_cast<float>(generationBox.lower[axis]) * scale[axis]);
        upper[axis] = saturatedTrunc(static_cast<float>(generationBox.upper[axis] + 1) * scale[axis] -
                                     1.0f);
    }
    IntBox box = makeBox(lower, upper);
    intersectBox(box, outputDomain);
    return box;
}

IntBox marginBoxOf(const IntBox& generationBox, const IntBox& statusDomain) {
    IntBox margin = generationBox;
    for (int axis = 0; axis < 2; ++axis) {
        const int grow = statusDomain.upper[axis] / 16 - statusDomain.lower[axis] / 16;
        margin.lower[axis] -= grow;
        margin.upper[axis] += grow;
    }
    intersectBox(margin, statusDomain);
    return margin;
}

std::set<int> planMaskPasses(std::vector<GenerateMaskLayer>& layers, IntBox& generationBox,
                             blitz::Array<unsigned char, 2> status) {
    std::set<int> kinds{globalPassKind};
    for (const GenerateMaskLayer& layer : layers) {
        if (!layer.solo) {
            if (layer.colourMapLayer || layer.mattingLayer)
                kinds.insert(passKindOf(layer));
            continue;
        }
        GenerateMaskLayer solo = layer;
        kinds = {passKindOf(solo)};
        if (!intersectBox(generationBox, solo.box))
            return kinds;
        forEachCell(status, generationBox, [&](unsigned char& s, int i, int j) {
            if (solo.mask.numElements() == 0)
                return;
            s = insideLayerMask(solo, i, j) ? static_cast<unsigned char>(s & ~statusDone)
                                            : static_cast<unsigned char>(s | statusDone);
        });
        // Not assign(): a layer's copy assignment copies the mask's elements (Blitz++ arrays
        // assign by value), which would write the solo mask into the caller's region image of
        // the first layer, or read past either mask when their shapes differ. Copy
        // construction shares the mask instead.
        layers.clear();
        layers.push_back(solo);
        break;
    }
    return kinds;
}

unsigned char blendMapByte(float blendValue) {
    const float v = std::isnan(blendValue) ? 0.0f : std::clamp(blendValue, 0.0f, 1.0f);
    return static_cast<unsigned char>(static_cast<int>(v * 255.0f));
}

blitz::Array<unsigned char, 2> buildBlendMap(const IntBox& generationBox, float defaultBlend,
                                             const std::vector<GenerateMaskLayer>& layers) {
    blitz::Array<unsigned char, 2> map(generationBox.lower,
                                       IntPoint(generationBox.rows(), generationBox.columns()));
    map = blendMapByte(defaultBlend);
    for (const GenerateMaskLayer& layer : layers) {
        IntBox b = generationBox;
        if (!intersectBox(b, layer.box))
            continue;
        const unsigned char v = blendMapByte(layer.blendValue);
        forEachCell(map, b, [&](unsigned char& m, int i, int j) {
            if (insideLayerMask(layer, i, j))
                m = v;
        });
    }
    return map;
}

IntBox layerPassBox(const GenerateMaskLayer& layer, const IntBox* requestedBox,
                    const IntBox& generationBox) {
    IntBox b = layer.box;
    if (requestedBox)
        intersectBox(b, *requestedBox);
    intersectBox(b, generationBox);
    return b;
}

void markLayerCells(blitz::Array<unsigned char, 2> status, const IntBox& box,
                    const GenerateMaskLayer& layer) {
    forEachCell(status, box, [&](unsigned char& s, int i, int j) {
        s = insideLayerMask(layer, i, j) ? static_cast<unsigned char>(s | statusPending)
                                         : static_cast<unsigned char>(s & ~statusPending);
    });
}

void markAllCells(blitz::Array<unsigned char, 2> status, const IntBox& box) {
    forEachCell(status, box, [](unsigned char& s, int, int) {
        s = static_cast<unsigned char>(s | statusPending);
    });
}

void relabelPendingCells(blitz::Array<unsigned char, 2> status, const IntBox& box) {
    forEachCell(status, box, [](unsigned char& s, int, int) {
        if (s & statusPending)
            s = static_cast<unsigned char>((s | statusDone) & ~statusPending);
    });
}

void clearWorkBits(blitz::Array<unsigned char, 2> status, const IntBox& box) {
    forEachCell(status, box, [](unsigned char& s, int, int) {
        s = static_cast<unsigned char>(s & ~(statusDone | statusPending));
    });
}

float mattingProgressFraction(int index, int count) {
    return 0.5f * static_cast<float>(static_cast<double>(index + 1) / static_cast<double>(count));
}

void scaleForcedEdges(std::vector<ForcedEdgeStroke>& edges, const FloatPoint& scale) {
    for (ForcedEdgeStroke& edge : edges) {
        edge.width *= scale[0];
        for (FloatPoint& p : edge.points) {
            p[0] = (p[0] + 0.5f) * scale[0];
            p[1] = (p[1] + 0.5f) * scale[1];
        }
    }
}

}  // namespace classification
