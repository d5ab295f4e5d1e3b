#pragma once

#include "classification/EdgePolylineList.h"
#include "classification/JxInterface.h"

#include <vector>

/// The polylines a session publishes in its JxSession record (vector edges of the last
/// analysis, or the outline of a sub-session's mask), with the storage the record points into.
/// Points are published as (x, y) pairs, the engine's (row, column) swapped.
class PublishedPolylines {
public:
    /// Replaces what `record` publishes; the old points are freed first, so the record never
    /// points at freed memory, even when building the new list runs out of memory (it then
    /// publishes nothing).
    void publish(JxSession& record, const classification::EdgePolylineList& polylines);
    void publish(JxSession& record, const std::vector<classification::IntPolyline>& polylines);
    /// Publishes nothing.
    void clear(JxSession& record);

private:
    template <typename Polyline>
    void publishAll(JxSession& record, const std::vector<Polyline>& polylines);

    std::vector<std::vector<float>> points_;
    std::vector<PublishedPolyline> records_;
};
