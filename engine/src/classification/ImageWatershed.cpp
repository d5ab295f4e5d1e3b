#include "watershed/ImageWatershed.h"

#include "watershed/WatershedFlood.h"

#include <algorithm>
#include <stdexcept>

namespace classification {

PointListTable::PointListTable(const IntBox& box, std::int32_t listCap)
    : cap(listCap), box_(box), width_(box.columns()) {
    if (isBoxEmpty(box))
        throw std::invalid_argument("point list table over an empty box");
    labels.resize(blitz::Range(box.lower[0], box.upper[0]), blitz::Range(box.lower[1], box.upper[1]));
    labels = -1;
}

std::int32_t PointListTable::newList() {
    const auto count = static_cast<std::int32_t>(lists.size());
    if (count > cap)
        return cap;
    lists.emplace_back();
    return count;
}

ImageWatershed::ImageWatershed(const blitz::Array<LevelPixel, 2>& levelImage,
                               PointListTable& table, std::int32_t penalty)
    : table_(table), offsets_{table.width(), 1},
      penalty_(std::clamp<std::int32_t>(penalty, -(1 << 24), 1 << 24)) {
    const IntBox box = table.box();
    const IntBox levels = IntBox::domainOf(levelImage);
    if (isBoxEmpty(levels))
        throw std::invalid_argument("watershed without a level image");
    // Pixels of the box outside the level image (a frame around a sub-session's part of the
    // image, say) take the level of the nearest pixel inside it.
    levels_.reserve(static_cast<std::size_t>(table.pixelCount()));
    for (int row = box.lower[0]; row <= box.upper[0]; ++row) {
        const int r = std::clamp(row, levels.lower[0], levels.upper[0]);
        for (int column = box.lower[1]; column <= box.upper[1]; ++column)
            levels_.push_back(levelImage(r, std::clamp(column, levels.lower[1], levels.upper[1]))[1]);
    }
}

void ImageWatershed::enqueueSeed(int row, int column) {
    const IntBox& box = table_.box();
    if (row <= box.lower[0] || row >= box.upper[0] || column <= box.lower[1] ||
        column >= box.upper[1])
        throw std::invalid_argument("watershed seed on the frame of its table");
    const Node node = table_.indexOf(row, column);
    if (table_.label(node) < 0)
        throw std::invalid_argument("watershed seed without a label");
    seeds_.push_back(node);
}

void ImageWatershed::floodInner(ProgressRange range) {
    const IntBox& box = table_.box();
    auto requireLabelled = [&](int row, int column) {
        if (table_.label(table_.indexOf(row, column)) == -1)
            throw std::invalid_argument("unlabelled pixel on the frame of the watershed");
    };
    for (int column = box.lower[1]; column <= box.upper[1]; ++column) {
        requireLabelled(box.lower[0], column);
        requireLabelled(box.upper[0], column);
    }
    for (int row = box.lower[0]; row <= box.upper[0]; ++row) {
        requireLabelled(row, box.lower[1]);
        requireLabelled(row, box.upper[1]);
    }
    WatershedFlood<ImageWatershed> flood(*this);
    for (const Node seed : seeds_)
        flood.enqueueLabelled(seed, nodeLevel(seed));
    seeds_.clear();
    flood.floodInner(range);
}

void ImageWatershed::reachedLabelled(Node source, Node target) {
    const std::int32_t own = table_.label(source);
    // Labels the caller set without a list (none of the table's) record nothing.
    if (table_.label(target) == own || own < 0 ||
        static_cast<std::size_t>(own) >= table_.lists.size())
        return;
    table_.lists[static_cast<std::size_t>(own)].push_back(PixelPair{source, target});
}

}  // namespace classification
