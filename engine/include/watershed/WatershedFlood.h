#pragma once

#include "classification/ProgressMessage.h"
#include "classification/ProgressRange.h"
#include "watershed/WatershedHeap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>
#include <vector>

namespace classification {

/// The engine's priority-flood watershed. One loop serves several graphs; a graph (the
/// "member") provides:
///
///     using Node = ...;   // a cheap handle of a node (an index or a pointer)
///     using Level = ...;  // node and edge levels; its own `<` is the level comparison
///     template <class Visit> void forEachNode(Visit visit);           // visit(node), iteration order
///     Level nodeLevel(Node node) const;
///     std::int32_t label(Node node) const;                              // -1 = unlabelled
///     void setLabel(Node node, std::int32_t label);
///     std::int32_t newLabel();                                          // label of a new class
///     template <class Visit> void forEachNeighbour(Node node, Visit visit);  // visit(neighbour, edgeLevel)
///     void reachedLabelled(Node source, Node target);   // target was labelled when its entry left
///
/// Every unlabelled node is a seed; seeds are taken by level, highest first, and a seed starts
/// a new class only when its level is higher than anything still queued, so a class spreads
/// over everything it reaches at a level at least as high as the next seed's before that
/// seed may start. `Queue` is `WatershedHeap` by default; byte levels may use `BucketQueue`.
template <typename Member, typename Queue = WatershedHeap<typename Member::Node, typename Member::Level>>
class WatershedFlood {
public:
    using Node = typename Member::Node;
    using Level = typename Member::Level;
    using Entry = typename Queue::Entry;

    static constexpr std::int32_t unlabelled = -1;
    static constexpr std::size_t reportInterval = 32768;

    explicit WatershedFlood(Member& member) : member_(member) {}

    /// Queues a node that already carries its label at `level`, before the flood starts: when
    /// its entry leaves the queue the node is expanded like a node the flood labelled itself,
    /// so a caller's seed regions grow instead of only stopping the flood.
    void enqueueLabelled(Node node, Level level) { queued_.push_back(Entry{node, node, level, 0, 0}); }

    /// Labels every node that was unlabelled. Reports "Watershed inner" every 32768 pops into
    /// the range, from its last point up to 95 % of it; a reporter's cancel exception
    /// propagates and leaves the labels written so far.
    void floodInner(ProgressRange range);

private:
    void expand(Queue& queue, Node node, Level level, std::int32_t plateauSteps,
                std::int32_t pathSteps);
    std::vector<Node> sortedSeeds();

    Member& member_;
    std::vector<Entry> queued_;
};

template <typename Member, typename Queue>
void WatershedFlood<Member, Queue>::floodInner(ProgressRange range) {
    const std::vector<Node> seeds = sortedSeeds();
    Queue queue;
    for (const Entry& entry : queued_)
        queue.push(entry);
    queued_.clear();

    const double start = range.at(range.last);
    const double end = range.at(0.95f);
    const std::string message =
        range.ui ? progressMessage("watershed/Watershed", 1229, "Watershed inner") : std::string();
    std::size_t popCount = 0;
    std::size_t highWater = 1;
    double done = 0.0;   // fraction of the flood done, never moving back

    std::size_t cursor = 0;
    auto skipLabelledSeeds = [&] {
        while (cursor < seeds.size() && member_.label(seeds[cursor]) != unlabelled)
            ++cursor;
    };

    for (;;) {
        if (!queue.empty()) {
            // Drain the queue while nothing queued is lower than the next seed.
            while (!queue.empty()) {
                if (cursor < seeds.size() && queue.top().level < member_.nodeLevel(seeds[cursor]))
                    break;
                const Entry entry = queue.pop();
                if (member_.label(entry.target) == unlabelled) {
                    member_.setLabel(entry.target, member_.label(entry.source));
                    expand(queue, entry.target, entry.level, entry.plateauSteps, entry.pathSteps);
                } else if (entry.source == entry.target) {
                    expand(queue, entry.target, entry.level, entry.plateauSteps, entry.pathSteps);
                } else {
                    member_.reachedLabelled(entry.source, entry.target);
                }
                skipLabelledSeeds();

                highWater = std::max(highWater, queue.size() + popCount);
                ++popCount;
                if (popCount % reportInterval == 0) {
                    done = std::max(done, 1.0 - static_cast<double>(queue.size()) /
                                                    static_cast<double>(highWater));
                    if (range.ui)
                        range.ui->progress(static_cast<float>((1.0 - done) * start + done * end),
                                           message);
                }
            }
        }
        if (cursor == seeds.size()) {
            if (queue.empty())
                return;
            continue;
        }
        const Node seed = seeds[cursor];
        member_.setLabel(seed, member_.newLabel());
        expand(queue, seed, member_.nodeLevel(seed), 0, 0);
        skipLabelledSeeds();
    }
}

template <typename Member, typename Queue>
void WatershedFlood<Member, Queue>::expand(Queue& queue, Node node, Level level,
                                           std::int32_t plateauSteps, std::int32_t pathSteps) {
    const std::int32_t own = member_.label(node);
    member_.forEachNeighbour(node, [&](Node neighbour, Level edgeLevel) {
        if (member_.label(neighbour) == own)
            return;
        const bool drops = edgeLevel < level;
        queue.push(Entry{node, neighbour, drops ? edgeLevel : level,
                         drops ? 0 : plateauSteps + 1, pathSteps + 1});
    });
}

/// The unlabelled nodes in iteration order, then ordered by level, highest first; seeds of
/// equal level keep their iteration order, so the class numbers do not depend on the sort.
template <typename Member, typename Queue>
std::vector<typename Member::Node> WatershedFlood<Member, Queue>::sortedSeeds() {
    std::vector<std::pair<Level, Node>> found;
    member_.forEachNode([&](Node node) {
        if (member_.label(node) == unlabelled)
            found.emplace_back(member_.nodeLevel(node), node);
    });
    std::vector<Node> seeds;
    seeds.reserve(found.size());
    if (found.empty())
        return seeds;

    // Integer levels of a narrow span (bytes, mostly) are ordered by counting, in linear time.
    if constexpr (std::is_integral_v<Level>) {
        const auto [low, high] = std::minmax_element(
            found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        const std::uint64_t span = static_cast<std::uint64_t>(
            static_cast<std::int64_t>(high->first) - static_cast<std::int64_t>(low->first));
        if (span < 65536) {
            const Level lowest = low->first;
            std::vector<std::size_t> startOf(span + 2, 0);
            for (const auto& seed : found)
                ++startOf[span - static_cast<std::size_t>(seed.first - lowest) + 1];
            for (std::size_t k = 1; k < startOf.size(); ++k)
                startOf[k] += startOf[k - 1];
            seeds.resize(found.size());
            for (const auto& seed : found)
                seeds[startOf[span - static_cast<std::size_t>(seed.first - lowest)]++] = seed.second;
            return seeds;
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return b.first < a.first; });
    for (const auto& seed : found)
        seeds.push_back(seed.second);
    return seeds;
}

}  // namespace classification
