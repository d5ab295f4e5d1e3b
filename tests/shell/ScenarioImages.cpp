#include "ScenarioImages.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zqtest {

std::vector<ReportedItem> reportedItems(const std::string& standardError, int report) {
    // Reports are separated by the step that asked for them ("zqtest: step N items").
    const QStringList reports =
        QString::fromStdString(standardError).split(QRegularExpression(QStringLiteral("zqtest: step \\d+ items\\n")));
    if (reports.size() < 2)
        return {};
    const int index = report < 0 ? int(reports.size()) - 1 : report + 1;
    if (index <= 0 || index >= reports.size())
        return {};
    static const QRegularExpression line(QStringLiteral(
        "zqtest: item (\\S+) rect ([-\\d.]+),([-\\d.]+),([-\\d.]+),([-\\d.]+) rotation ([-\\d.e]+)"));
    std::vector<ReportedItem> items;
    auto matches = line.globalMatch(reports[index].section(QStringLiteral("zqtest: done"), 0, 0));
    while (matches.hasNext()) {
        const auto match = matches.next();
        items.push_back({match.captured(1),
                         QRectF(match.captured(2).toDouble(), match.captured(3).toDouble(),
                                match.captured(4).toDouble(), match.captured(5).toDouble()),
                         match.captured(6).toDouble()});
    }
    return items;
}

int countOf(const std::vector<ReportedItem>& items, const QString& type) {
    return int(std::count_if(items.begin(), items.end(),
                             [&](const ReportedItem& item) { return item.type == type; }));
}

ReportedItem firstOf(const std::vector<ReportedItem>& items, const QString& type) {
    for (const ReportedItem& item : items)
        if (item.type == type)
            return item;
    return {};
}

namespace {

QImage argb(const QImage& image) { return image.convertToFormat(QImage::Format_ARGB32); }

// Opaque pixels of the cut-out, every few pixels: enough to place it, cheap to compare.
std::vector<QPoint> opaqueSamples(const QImage& cutout) {
    std::vector<QPoint> samples;
    for (int y = 0; y < cutout.height(); y += 7)
        for (int x = 0; x < cutout.width(); x += 7)
            if (qAlpha(cutout.pixel(x, y)) == 255)
                samples.emplace_back(x, y);
    return samples;
}

int difference(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

}  // namespace

QPoint offsetInPhoto(const QImage& cutoutImage, const QImage& photoImage) {
    const QImage cutout = argb(cutoutImage);
    const QImage photo = argb(photoImage);
    const std::vector<QPoint> samples = opaqueSamples(cutout);
    QPoint best;
    long bestError = std::numeric_limits<long>::max();
    for (int dy = 0; dy + cutout.height() <= photo.height(); ++dy)
        for (int dx = 0; dx + cutout.width() <= photo.width(); ++dx) {
            long error = 0;
            for (const QPoint& p : samples) {
                error += difference(cutout.pixel(p), photo.pixel(p + QPoint(dx, dy)));
                if (error >= bestError)
                    break;
            }
            if (error < bestError) {
                bestError = error;
                best = QPoint(dx, dy);
            }
        }
    return best;
}

double keptPixelError(const QImage& cutoutImage, const QImage& photoImage, const QPoint& offset) {
    const QImage cutout = argb(cutoutImage);
    const QImage photo = argb(photoImage);
    double sum = 0;
    long count = 0;
    for (int y = 0; y < cutout.height(); ++y)
        for (int x = 0; x < cutout.width(); ++x)
            if (qAlpha(cutout.pixel(x, y)) == 255) {
                sum += difference(cutout.pixel(x, y), photo.pixel(QPoint(x, y) + offset)) / 3.0;
                ++count;
            }
    return count ? sum / double(count) : 255.0;
}

AlphaScore alphaScore(const QImage& cutoutImage, const QPoint& offset) {
    const QImage cutout = argb(cutoutImage);
    const QImage trimap(QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/trimap.png"));
    const QImage truth(QStringLiteral(ZQ_BENCH_DATA_DIR "/coffee-on-brick/alpha.png"));
    AlphaScore score;
    long keep = 0, kept = 0, remove = 0, removed = 0;
    for (int y = 0; y < trimap.height(); ++y)
        for (int x = 0; x < trimap.width(); ++x) {
            const QPoint inCutout = QPoint(x, y) - offset;
            const int alpha = cutout.rect().contains(inCutout) ? qAlpha(cutout.pixel(inCutout)) : 0;
            const int band = qGray(trimap.pixel(x, y));
            if (band >= 200) {
                ++keep;
                kept += alpha >= 230;
            } else if (band <= 50) {
                ++remove;
                removed += alpha <= 25;
            } else {
                const int expected = qGray(truth.pixel(x, y));
                score.sad += std::abs(alpha - expected);
                score.sadOpaque += 255 - expected;
                ++score.unknownPixels;
            }
        }
    score.keptWhereKeep = keep ? double(kept) / double(keep) : 0;
    score.deletedWhereDelete = remove ? double(removed) / double(remove) : 0;
    score.sad /= 255.0;
    score.sadOpaque /= 255.0;
    return score;
}

int colourDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

}  // namespace zqtest
