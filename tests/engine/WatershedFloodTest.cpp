#include "watershed/BucketQueue.h"
#include "watershed/ColourSpaceWatershed.h"
#include "watershed/WatershedFlood.h"
#include "watershed/WatershedHeap.h"

#include "ColourFixtures.h"
#include "RecordingUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace classification;

namespace {

/// A path graph whose edge level is the level of the node being entered, like the image
/// member's level byte with no penalty.
struct PathMember {
    using Node = int;
    using Level = int;

    std::vector<int> levels;
    std::vector<std::int32_t> labels;
    ClassAllocator allocator;
    int contacts = 0;

    explicit PathMember(std::vector<int> nodeLevels)
        : levels(std::move(nodeLevels)), labels(levels.size(), -1) {}

    template <typename Visit>
    void forEachNode(Visit visit) const {
        for (int n = 0; n < static_cast<int>(levels.size()); ++n)
            visit(n);
    }
    Level nodeLevel(Node n) const { return levels[n]; }
    std::int32_t label(Node n) const { return labels[n]; }
    void setLabel(Node n, std::int32_t label) { labels[n] = label; }
    std::int32_t newLabel() { return allocator.allocate(); }
    template <typename Visit>
    void forEachNeighbour(Node n, Visit visit) const {
        if (n > 0)
            visit(n - 1, levels[n - 1]);
        if (n + 1 < static_cast<int>(levels.size()))
            visit(n + 1, levels[n + 1]);
    }
    void reachedLabelled(Node source, Node target) {
        if (labels[source] != labels[target])
            ++contacts;
    }
};

using Entry = WatershedEntry<int, int>;
using zqtest::RecordingUI;
using zqtest::key;


}  // namespace

TEST(WatershedHeap, HighestLevelFirstThenShortestPlateauThenShortestPath) {
    WatershedHeap<int, int> heap;
    // target numbers give the expected leaving order
    const std::vector<Entry> pushed = {
        {0, 5, 3, 2, 9}, {0, 1, 7, 4, 4}, {0, 3, 3, 0, 8}, {0, 4, 3, 1, 1},
        {0, 2, 3, 0, 2}, {0, 6, -1, 0, 0}, {0, 0, 8, 9, 9},
    };
    for (const Entry& e : pushed)
        heap.push(e);
    std::vector<int> order;
    while (!heap.empty())
        order.push_back(heap.pop().target);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(BucketQueue, HighestBucketFirstAndFirstInFirstOutWithinABucket) {
    BucketQueue<int> queue;
    queue.push(Entry{0, 1, 10, 5, 5});
    queue.push(Entry{0, 0, 255, 0, 0});
    queue.push(Entry{0, 2, 10, 0, 0});
    queue.push(Entry{0, 3, 0, 0, 0});
    EXPECT_EQ(queue.size(), 4u);
    std::vector<int> order;
    while (!queue.empty())
        order.push_back(queue.pop().target);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));

    EXPECT_THROW(queue.push(Entry{0, 0, 256, 0, 0}), std::out_of_range);
    EXPECT_THROW(queue.push(Entry{0, 0, -1, 0, 0}), std::out_of_range);
    EXPECT_TRUE(queue.empty());
}

struct PathCase {
    const char* name;
    std::vector<int> levels;
    std::vector<int> expected;
};

TEST(WatershedFlood, PathGraphsWorkedByHand) {
    const std::vector<PathCase> cases = {
        // A lower seed starts a class only when it is higher than everything still queued.
        {"lower seed waits", {9, 8, 7}, {0, 0, 0}},
        {"higher seed starts a class", {9, 1, 8, 1}, {0, 0, 1, 1}},
        // Two fronts meeting on a plateau advance in turn: the longer plateau walk waits.
        {"plateau split in the middle", {9, 5, 5, 5, 5, 5, 5, 9}, {0, 0, 0, 0, 1, 1, 1, 1}},
        // Equal seeds are taken in iteration order.
        {"flat path is one class", {4, 4, 4, 4}, {0, 0, 0, 0}},
        {"single node", {0}, {0}},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        PathMember member(c.levels);
        WatershedFlood<PathMember>(member).floodInner(ProgressRange());
        EXPECT_EQ(member.labels, c.expected);
    }
}

TEST(WatershedFlood, BucketQueueFloodsInPushOrder) {
    PathMember member({9, 5, 5, 5, 5, 5, 5, 9});
    WatershedFlood<PathMember, BucketQueue<int>>(member).floodInner(ProgressRange());
    // First in, first out on the plateau: the fronts still alternate.
    EXPECT_EQ(member.labels, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(member.allocator.next, 2);
}

TEST(WatershedFlood, PreLabelledNodesStopTheFloodAndAreNeverExpanded) {
    PathMember member({3, 3, 3, 3, 3});
    member.labels = {7, -1, 8, -1, -1};
    WatershedFlood<PathMember>(member).floodInner(ProgressRange());
    // Node 1 is a seed of its own (nothing is queued when it starts); node 2 keeps label 8 and
    // is not expanded, so nodes 3 and 4 form the second class.
    EXPECT_EQ(member.labels, (std::vector<int>{7, 0, 8, 1, 1}));
    EXPECT_EQ(member.contacts, 3);   // class 0 reached 7 and 8, class 1 reached 8
}

TEST(WatershedFlood, ReportsInnerProgressWithinTheRangeAndPassesCancelOn) {
    PathMember member(std::vector<int>(70000, 1));
    RecordingUI ui;
    ProgressRange range(&ui, 0.2f, 0.6f);
    ui.forget();
    WatershedFlood<PathMember>(member).floodInner(range);
    ASSERT_EQ(ui.fractions.size(), 2u);   // 69999 pops: at 32768 and 65536
    for (std::size_t i = 0; i < ui.fractions.size(); ++i) {
        EXPECT_EQ(ui.messages[i], "watershed/Watershed: 1229:\n(before [Watershed inner]): ");
        EXPECT_GE(ui.fractions[i], 0.2f);
        EXPECT_LE(ui.fractions[i], 0.2f + 0.95f * 0.4f + 1e-6f);
    }

    PathMember again(std::vector<int>(70000, 1));
    ProgressRange cancelled(&ui, 0.0f, 1.0f);
    ui.cancel = true;
    EXPECT_THROW(WatershedFlood<PathMember>(again).floodInner(cancelled), JxExCancel);
    EXPECT_NE(again.labels.front(), -1);   // what was labelled before the cancel stays
}

struct ColourCase {
    const char* name;
    std::vector<std::pair<ColourKey6, std::uint32_t>> cells;   // key and count
    std::vector<std::int32_t> classes;                         // expected, in insertion order
};

TEST(ColourSpaceWatershed, ClassesOfSmallColourSpacesWorkedByHand) {
    const std::vector<ColourCase> cases = {
        {"one cell", {{key(7, 7, 7, 7, 7, 7), 3}}, {0}},
        // 100 reaches its neighbour at 50, before the seed of 10 may start.
        {"frequent colour absorbs a rare neighbour", {{key(4), 10}, {key(5), 100}}, {0, 0}},
        {"a neighbour above half the count starts its own class", {{key(0, 4), 100}, {key(0, 5), 51}}, {0, 1}},
        {"a neighbour at exactly half joins", {{key(0, 4), 100}, {key(0, 5), 50}}, {0, 0}},
        {"no chain of keys between them", {{key(3), 100}, {key(5), 1}}, {0, 1}},
        // Channel 5 counts as a neighbour direction as well as channel 0 does.
        {"chain through the last channel", {{key(1, 0, 0, 0, 0, 255), 8}, {key(1, 0, 0, 0, 0, 254), 4}, {key(1, 0, 0, 0, 0, 253), 2}}, {0, 0, 0}},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        ColourTable table;
        for (const auto& cell : c.cells)
            table.cellAt(table.findOrInsert(cell.first)).count = cell.second;
        ClassAllocator allocator;
        ColourSpaceWatershed member(table, allocator);
        WatershedFlood<ColourSpaceWatershed>(member).floodInner(ProgressRange());
        std::vector<std::int32_t> classes;
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(table.size()); ++i)
            classes.push_back(table.cellAt(i).colourClass);
        EXPECT_EQ(classes, c.classes);
        EXPECT_EQ(allocator.next, *std::max_element(c.classes.begin(), c.classes.end()) + 1);
    }
}
