#pragma once
// What the scenario tests read from the program's reports and pictures: the composition's
// items as the driver reports them, and the cut-out measured against the bench photo's trimap
// and true alpha.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QString>

#include <string>
#include <vector>

namespace zqtest {

struct ReportedItem {
    QString type;
    QRectF rect;
    double rotation = 0;
};

/// The items of the last "items" report in `standardError`.
std::vector<ReportedItem> reportedItems(const std::string& standardError, int report = -1);
int countOf(const std::vector<ReportedItem>& items, const QString& type);
ReportedItem firstOf(const std::vector<ReportedItem>& items, const QString& type);

/// Where the cut-out's pixels lie in the photo: the offset at which its opaque pixels match.
QPoint offsetInPhoto(const QImage& cutout, const QImage& photo);
/// The mean colour difference (0..255) of the cut-out's opaque pixels from the photo's.
double keptPixelError(const QImage& cutout, const QImage& photo, const QPoint& offset);

struct AlphaScore {
    double keptWhereKeep = 0;       // share of the trimap's keep pixels that are opaque
    double deletedWhereDelete = 0;  // share of the trimap's delete pixels that are transparent
    double sad = 0;                 // sum of |alpha - true alpha| over the unknown band, in 1/255
    double sadOpaque = 0;           // the same for a cut-out that keeps everything
    long unknownPixels = 0;
};

/// The cut-out, put back at `offset` in the photo's frame, against the bench trimap and alpha.
AlphaScore alphaScore(const QImage& cutout, const QPoint& offset);

int colourDistance(const QColor& a, const QColor& b);

}  // namespace zqtest
