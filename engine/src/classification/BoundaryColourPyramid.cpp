#include "classification/BoundaryColourPyramid.h"

#include "classification/NeighbourList.h"

#include <algorithm>

namespace classification {

namespace {

IntBox halvedBox(const IntBox& box) {
    return IntBox(box.lower[0] / 2, box.lower[1] / 2, box.upper[0] / 2, box.upper[1] / 2);
}

ColourSumGrid zeroGrid(const IntBox& box) {
    ColourSumGrid grid(box.lower, blitz::TinyVector<int, 2>(box.rows(), box.columns()));
    std::fill(grid.dataFirst(), grid.dataFirst() + grid.numElements(), ColourSumCell(0.0f));
    return grid;
}

IntPoint parentCell(const IntPoint& p) {
    return IntPoint(p[0] / 2, p[1] / 2);
}

}  // namespace

blitz::Array<Corvel::utility::Colour<unsigned short>, 2> cropColour16ToBox(
    blitz::Array<Corvel::utility::Colour<unsigned short>, 2> image, const IntBox& box) {
    return cropArrayToBox(image, box);
}

ColourSumGrid halveColourGrid(const ColourSumGrid& grid, const std::vector<IntPoint>& cells,
                              std::vector<IntPoint>& nextCells) {
    ColourSumGrid next = zeroGrid(halvedBox(IntBox::domainOf(grid)));
    for (const IntPoint& c : cells) {
        const IntPoint parent = parentCell(c);
        ColourSumCell& sum = next(parent);
        if (sum[3] == 0.0f)
            nextCells.push_back(parent);
        sum += grid(c);
    }
    return next;
}

template <typename Channel>
void buildBoundaryColourPyramid(const blitz::Array<unsigned char, 2>& status, const IntBox& box,
                                unsigned char classMask, ColourSumPyramid& pyramid,
                                const blitz::Array<Corvel::utility::Colour<Channel>, 2>& colourImage,
                                ProgressRange progress) {
    const blitz::Array<unsigned char, 2> statusCrop = cropArrayToBox(status, box);
    const blitz::Array<Corvel::utility::Colour<Channel>, 2> colours = cropArrayToBox(colourImage, box);
    const IntBox scanBox = IntBox::domainOf(statusCrop);
    const unsigned char classBits = classMask & 15;
    auto inClass = [&](const IntPoint& p) { return (statusCrop(p) & classBits) != 0; };

    ColourSumGrid grid = zeroGrid(halvedBox(scanBox));
    std::vector<IntPoint> cells, nextCells;
    NeighbourList neighbours(scanBox);
    for (int i = scanBox.lower[0]; i <= scanBox.upper[0]; ++i)
        for (int j = scanBox.lower[1]; j <= scanBox.upper[1]; ++j) {
            const IntPoint p(i, j);
            if (!inClass(p))
                continue;
            neighbours.collectAxial(p);
            if (std::all_of(neighbours.points.begin(), neighbours.points.end(), inClass))
                continue;   // inside the class, not on its border
            const IntPoint c = parentCell(p);
            ColourSumCell& sum = grid(c);
            if (sum[3] == 0.0f)
                cells.push_back(c);
            const auto& pixel = colours(p);
            sum[0] += static_cast<float>(pixel[0]);
            sum[1] += static_cast<float>(pixel[1]);
            sum[2] += static_cast<float>(pixel[2]);
            sum[3] += 1.0f;
        }
    progress.report(0.25f);
    if (cells.empty())
        return;

    pyramid.push_back(grid);
    ProgressRange levels = progress.subRange(0.5f);
    float remaining = 1.0f;
    while (std::max(grid.rows(), grid.columns()) > 1) {
        grid.reference(halveColourGrid(grid, cells, nextCells));
        pyramid.push_back(grid);
        cells.swap(nextCells);
        nextCells.clear();
        remaining *= 0.5f;
        levels.report(1.0f - remaining);
    }
    progress.report(1.0f);
}

template void buildBoundaryColourPyramid<unsigned char>(
    const blitz::Array<unsigned char, 2>&, const IntBox&, unsigned char, ColourSumPyramid&,
    const blitz::Array<Corvel::utility::Colour<unsigned char>, 2>&, ProgressRange);
template void buildBoundaryColourPyramid<unsigned short>(
    const blitz::Array<unsigned char, 2>&, const IntBox&, unsigned char, ColourSumPyramid&,
    const blitz::Array<Corvel::utility::Colour<unsigned short>, 2>&, ProgressRange);

}  // namespace classification
