#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QVector>

class QPainter;
struct JxSession;

/// The polylines of an analysis (or inside a shape's outline), in image coordinates, each with
/// its bounds, and the union of all bounds.
class VectorEdges {
public:
    struct Entry {
        QRectF bounds;
        QPolygonF polyline;
    };

    /// Rebuilds from the session's published polylines (working coordinates) scaled by the
    /// masking model's resolution divisor; empty for a null session.
    void set(const JxSession* session);
    void set(const JxSession* session, int factor);
    void clear();

    /// Draws every polyline whose bounds touch `exposed` with the painter's pen, antialiasing
    /// off. A horizontal or vertical edge (bounds without area) still counts.
    void paint(QPainter* painter, const QRectF& exposed) const;

    const QVector<Entry>& entries() const { return entries_; }
    bool isEmpty() const { return entries_.isEmpty(); }
    /// The union of every entry's bounds, lines without area included; (0, 0, -1, -1) while
    /// there are no entries.
    QRectF unionBounds() const;

    /// Both rectangles have no negative size, and their x ranges and y ranges overlap or meet.
    static bool rectanglesOverlap(const QRectF& a, const QRectF& b);

private:
    QVector<Entry> entries_;
    QRectF union_;
    bool hasUnion_ = false;   // a union of zero-area bounds is a real union all the same
};
