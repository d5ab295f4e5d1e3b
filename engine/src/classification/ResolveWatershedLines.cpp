#include "classification/ResolveWatershedLines.h"

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace classification {

namespace {

constexpr int axial[4][2] = {{-1, 0}, {0, -1}, {0, 1}, {1, 0}};
constexpr int diagonal[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};

/// Votes of the labels around one pixel. Entries carry the stamp of the pixel they count for,
/// so the table is never cleared between pixels.
class VoteTable {
public:
    explicit VoteTable(int labelCount) : votes_(labelCount > 0 ? static_cast<std::size_t>(labelCount) : 0) {}

    void nextPixel() {
        ++stamp_;
        best_ = 0;
    }

    /// Counts a vote for `label` (>= 1); true when it now leads.
    bool vote(int label) {
        const auto index = static_cast<std::size_t>(label);
        // A label image may hold labels beyond the count its producer reported.
        if (index >= votes_.size())
            votes_.resize(index + 1);
        Vote& entry = votes_[index];
        if (entry.stamp == stamp_) {
            ++entry.count;
        } else {
            entry.stamp = stamp_;
            entry.count = 1;
        }
        if (entry.count > best_) {
            ++best_;
            return true;
        }
        return false;
    }

private:
    struct Vote {
        int stamp = 0;
        int count = 0;
    };
    std::vector<Vote> votes_;
    int stamp_ = 0;
    int best_ = 0;
};

}  // namespace

void resolveWatershedLines(blitz::Array<int, 2> labels, const IntBox& box, int labelCount) {
    if (isBoxEmpty(box))
        return;
    // The box must lie strictly inside the array (compared, not grown: a box at the end of
    // the int range has no frame to compute).
    const IntBox domain = IntBox::domainOf(labels);
    if (!(domain.lower[0] < box.lower[0] && domain.lower[1] < box.lower[1] &&
          box.upper[0] < domain.upper[0] && box.upper[1] < domain.upper[1]))
        throw std::out_of_range("Label image lacks the frame around the box");

    VoteTable votes(labelCount);
    for (int i = box.lower[0]; i <= box.upper[0]; ++i)
        for (int j = box.lower[1]; j <= box.upper[1]; ++j) {
            int& pixel = labels(i, j);
            if (pixel != 0)
                continue;
            votes.nextPixel();
            for (int k = 0; k < 4; ++k) {
                int& neighbour = labels(i + axial[k][0], j + axial[k][1]);
                if (neighbour < 1) {
                    neighbour = -1;
                    pixel = -1;
                    for (int later = k + 1; later < 4; ++later) {
                        int& other = labels(i + axial[later][0], j + axial[later][1]);
                        if (other == 0)
                            other = -1;
                    }
                    break;
                }
                if (votes.vote(neighbour))
                    pixel = neighbour;
            }
            if (pixel <= 0)
                continue;
            for (const auto& offset : diagonal) {
                const int label = labels(i + offset[0], j + offset[1]);
                if (label > 0 && votes.vote(label))
                    pixel = label;
            }
        }
}

}  // namespace classification
