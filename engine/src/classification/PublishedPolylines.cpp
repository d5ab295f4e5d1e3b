#include "classification/PublishedPolylines.h"

void PublishedPolylines::clear(JxSession& record) {
    record.polylines = nullptr;
    record.polylineCount = 0;
    records_.clear();
    records_.shrink_to_fit();
    points_.clear();
    points_.shrink_to_fit();
}

template <typename Polyline>
void PublishedPolylines::publishAll(JxSession& record, const std::vector<Polyline>& polylines) {
    clear(record);
    std::vector<std::vector<float>> points;
    points.reserve(polylines.size());
    for (const Polyline& polyline : polylines) {
        std::vector<float> pairs;
        pairs.reserve(2 * polyline.size());
        for (const auto& point : polyline) {
            pairs.push_back(static_cast<float>(point[1]));
            pairs.push_back(static_cast<float>(point[0]));
        }
        points.push_back(std::move(pairs));
    }
    std::vector<PublishedPolyline> records;
    records.reserve(points.size());
    for (std::vector<float>& pairs : points)
        records.push_back(PublishedPolyline{pairs.empty() ? nullptr : pairs.data(),
                                            static_cast<std::int32_t>(pairs.size() / 2), 0u});
    points_ = std::move(points);
    records_ = std::move(records);
    record.polylines = records_.empty() ? nullptr : records_.data();
    record.polylineCount = static_cast<std::int32_t>(records_.size());
}

void PublishedPolylines::publish(JxSession& record,
                                 const classification::EdgePolylineList& polylines) {
    publishAll(record, polylines);
}

void PublishedPolylines::publish(JxSession& record,
                                 const std::vector<classification::IntPolyline>& polylines) {
    publishAll(record, polylines);
}
