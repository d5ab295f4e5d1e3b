#include "masking/VectorEdges.h"

#include "masking/GmModel.h"

#include "classification/JxInterface.h"

#include <QPainter>

#include <algorithm>

void VectorEdges::set(const JxSession* session) {
    GmModel* model = GmModel::existing();
    set(session, model ? model->resolution() : 1);
}

void VectorEdges::set(const JxSession* session, int factor) {
    clear();
    if (!session || !session->polylines || session->polylineCount <= 0)
        return;
    entries_.reserve(session->polylineCount);
    for (int i = 0; i < session->polylineCount; ++i) {
        const PublishedPolyline& line = session->polylines[i];
        if (!line.points || line.count <= 0)
            continue;
        Entry entry;
        entry.polyline.reserve(line.count);
        double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
        for (int p = 0; p < line.count; ++p) {
            const double x = double(line.points[2 * p]) * factor;
            const double y = double(line.points[2 * p + 1]) * factor;
            entry.polyline.append(QPointF(x, y));
            if (p == 0) {
                left = right = x;
                top = bottom = y;
            } else {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        entry.bounds = QRectF(left, top, right - left, bottom - top);
        if (!hasUnion_) {
            union_ = entry.bounds;
            hasUnion_ = true;
        } else {
            // QRectF::united ignores rectangles without area; lines must count.
            const double l = std::min(union_.left(), entry.bounds.left());
            const double t = std::min(union_.top(), entry.bounds.top());
            const double r = std::max(union_.right(), entry.bounds.right());
            const double b = std::max(union_.bottom(), entry.bounds.bottom());
            union_ = QRectF(l, t, r - l, b - t);
        }
        entries_.append(entry);
    }
}

void VectorEdges::clear() {
    entries_.clear();
    union_ = QRectF();
    hasUnion_ = false;
}

QRectF VectorEdges::unionBounds() const {
    return hasUnion_ ? union_ : QRectF(0.0, 0.0, -1.0, -1.0);
}

bool VectorEdges::rectanglesOverlap(const QRectF& a, const QRectF& b) {
    if (a.width() < 0 || a.height() < 0 || b.width() < 0 || b.height() < 0)
        return false;
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() &&
           b.top() <= a.bottom();
}

void VectorEdges::paint(QPainter* painter, const QRectF& exposed) const {
    if (!painter)
        return;
    painter->save();   // keeps the caller's render hints
    painter->setRenderHint(QPainter::Antialiasing, false);
    for (const Entry& entry : entries_)
        if (rectanglesOverlap(entry.bounds, exposed))
            painter->drawPolyline(entry.polyline);
    painter->restore();
}
