#include "classification/LabelUnion.h"

#include <cstddef>
#include <stdexcept>

namespace classification {

LabelUnion::LabelUnion(std::vector<std::int32_t>& parent, blitz::Array<int, 2> labels,
                       blitz::Array<int, 2> values)
    : parent_(parent), labels_(labels), values_(values) {
    if (!boxEquals(IntBox::domainOf(labels), IntBox::domainOf(values)))
        throw std::invalid_argument("Label and value images differ in size");
}

bool LabelUnion::uniteIfEqual(const IntPoint& pixel, const IntPoint& neighbour) {
    const IntBox domain = IntBox::domainOf(values_);
    if (!domain.contains(pixel[0], pixel[1]) || !domain.contains(neighbour[0], neighbour[1]))
        throw std::out_of_range("Pixel outside the label image");
    if (values_(neighbour) != values_(pixel))
        return true;
    const std::int32_t label = labels_(neighbour);
    if (!hasEntry(label))
        throw std::out_of_range("Neighbour label has no parent entry");
    const std::int32_t current = parent_.back();
    if (!hasEntry(current))
        throw std::out_of_range("Current root has no parent entry");
    auto at = [this](std::int32_t index) -> std::int32_t& {
        return parent_[static_cast<std::size_t>(index)];
    };
    if (at(label) != label)
        at(label) = findRoot(at(label));
    const std::int32_t root = at(label);
    if (root > current) {
        at(root) = current;
        at(label) = current;
    } else if (root < current) {
        at(current) = root;
        parent_.back() = root;
    }
    return true;
}

bool LabelUnion::hasEntry(std::int32_t label) const {
    return label >= 0 && static_cast<std::size_t>(label) < parent_.size();
}

std::int32_t LabelUnion::findRoot(std::int32_t label) {
    if (!hasEntry(label))
        throw std::out_of_range("Label has no parent entry");
    std::int32_t root = label;
    // A chain longer than the array runs in a circle and would never reach a root.
    for (std::size_t steps = 0; parent_[static_cast<std::size_t>(root)] != root; ++steps) {
        root = parent_[static_cast<std::size_t>(root)];
        if (!hasEntry(root) || steps == parent_.size())
            throw std::out_of_range("Parent chain leaves the parent array or has no root");
    }
    while (label != root) {
        std::int32_t& entry = parent_[static_cast<std::size_t>(label)];
        label = entry;
        entry = root;
    }
    return root;
}

}  // namespace classification
