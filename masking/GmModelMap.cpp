// The masking model's saved map: writing it, checking a stored one and restoring from it.
#include "masking/GmModel.h"

#include "masking/ArrowTarget.h"
#include "masking/ArrowTargetFactory.h"
#include "masking/ForcedEdge.h"
#include "masking/GmModelKeys.h"
#include "masking/GmRegion.h"
#include "masking/GmStatusArray.h"
#include "masking/SegmentationStuff.h"
#include "masking/SessionStreamCheck.h"
#include "masking/TqSourceImage.h"
#include "common/LogStream.h"
#include "masking/BlendingStuff.h"

#include <QBitmap>
#include <QVariantMap>

namespace {

bool isDivisor(int value) {
    return value == 1 || value == 2 || value == 4 || value == 8;
}

QSize workingSizeOf(const QSize& image, int divisor) {
    return QSize((image.width() + divisor - 1) / divisor, (image.height() + divisor - 1) / divisor);
}

void logSkipped(const QString& what) {
    beginLogLine() << "GmModel: restoring a saved session: " << what;
    endLogLine();
}

// The pixels of a stored image map, or a null image with the reason.
QImage storedImage(const QVariant& map, const char* which, QString* problem) {
    const QVariant stored = map.toMap().value(QString::fromLatin1(TqSourceImage::imageImageKey));
    const QImage image = stored.value<QImage>();
    if (image.isNull()) {
        *problem = QStringLiteral("%1 holds no picture").arg(QLatin1String(which));
        return QImage();
    }
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default:
        *problem = QStringLiteral("%1 has pixel format %2").arg(QLatin1String(which)).arg(image.format());
        return QImage();
    }
    if (image.width() > SessionStreamCheck::largestSide || image.height() > SessionStreamCheck::largestSide
        || qint64(image.width()) * image.height() > SessionStreamCheck::largestPixelCount) {
        *problem = QStringLiteral("%1 is too large").arg(QLatin1String(which));
        return QImage();
    }
    return image;
}

}  // namespace

QVariant GmModel::toVariant() const {
    QVariantMap m;
    m[GmKeys::segImg] = sourceImage_ ? sourceImage_->toVariant() : QVariantMap();
    m[GmKeys::blendImg] = outputImage_ ? outputImage_->toVariant() : QVariantMap();
    // The status image views the engine's own buffer, which goes with the engine: the map
    // keeps a copy of its own.
    m[GmKeys::statusArray] = statusArray_->statusImage().copy();
    m[GmKeys::imageSmeg] = imageSmeg_->toVariant();
    m[GmKeys::imageBlendage] = imageBlendage_->toVariant();
    m[GmKeys::resolution] = resolution_;
    QVariantList targets;
    for (ArrowTarget* target : arrowTargets())
        targets.append(target->save());
    m[GmKeys::arrowTargetList] = targets;
    return m;
}

bool GmModel::checkVariant(const QVariant& value, QString* problem) const {
    QString why;
    auto refuse = [&](const QString& reason) {
        if (problem)
            *problem = reason;
        return false;
    };
    if (value.type() != QVariant::Map)
        return refuse(QStringLiteral("the session is not a map"));
    const QVariantMap m = value.toMap();
    bool isInt = false;
    const int divisor = m.value(GmKeys::resolution).toInt(&isInt);
    if (!isInt || !isDivisor(divisor))
        return refuse(QStringLiteral("working resolution %1 is not 1, 2, 4 or 8")
                          .arg(m.value(GmKeys::resolution).toString()));
    const int targets = m.value(GmKeys::arrowTargetList).toList().size();
    if (targets > largestTargetCount)
        return refuse(QStringLiteral("the session holds %1 patches and forced edges, more than %2")
                          .arg(targets).arg(largestTargetCount));
    if (!hostOwnsImage_) {
        const QImage source = storedImage(m.value(GmKeys::segImg), "the source image", &why);
        if (source.isNull())
            return refuse(why);
        const QImage output = storedImage(m.value(GmKeys::blendImg), "the output image", &why);
        if (output.isNull())
            return refuse(why);
        if (source.size() != output.size())
            return refuse(QStringLiteral("the source and output images differ in size"));
    }
    return true;
}

void GmModel::fromVariant(const QVariant& value) {
    const QVariantMap m = value.toMap();
    const int old = resolution_;
    const int divisor = m.value(GmKeys::resolution).toInt();
    resolution_ = isDivisor(divisor) ? divisor : old;
    if (resolution_ != old)
        emit resolutionChanged(old, resolution_);

    if (!hostOwnsImage_ && !sourceImage_) {
        auto* source = new TqSourceImage(m.value(GmKeys::segImg));
        auto* output = new TqSourceImage(m.value(GmKeys::blendImg));
        if (source->valid() && output->valid() && source->image().size() == output->image().size()) {
            sourceImage_ = source;
            outputImage_ = output;
        } else {
            logSkipped(QStringLiteral("its images cannot be used"));
            delete source;
            delete output;
            return;
        }
    }
    const QSize working = sourceImage_ ? workingSizeOf(sourceImage_->image().size(), resolution_)
                                       : QSize();

    // The engine takes the statuses as a selection over the whole working image, so only a
    // status image of exactly that shape may go back.
    const QImage statuses = m.value(GmKeys::statusArray).value<QImage>();
    if (statuses.format() == QImage::Format_Indexed8 && statuses.size() == working) {
        statusArray_->setSavedStatuses(statuses);
        if (statusArray_->engineImage())
            statusArray_->restoreSavedStatuses();
    } else {
        statusArray_->setSavedStatuses(QImage());
        if (!statuses.isNull() || m.contains(GmKeys::statusArray))
            logSkipped(QStringLiteral("status image of format %1 and size %2 x %3 dropped, the "
                                      "working image is %4 x %5")
                           .arg(statuses.format()).arg(statuses.width()).arg(statuses.height())
                           .arg(working.width()).arg(working.height()));
    }

    delete imageSmeg_;
    imageSmeg_ = new SegmentationStuff(m.value(GmKeys::imageSmeg), nullptr);
    delete imageBlendage_;
    imageBlendage_ = new BlendingStuff(m.value(GmKeys::imageBlendage), nullptr);

    const QVariantList entries = m.value(GmKeys::arrowTargetList).toList();
    for (int i = 0; i < entries.size(); ++i) {
        const QVariantMap entry = entries[i].toMap();
        const int type = entry.value(GmKeys::type, -1).toInt();
        if (type == GmKeys::BrushRegionType) {
            const QVariant bitmap = entry.value(GmKeys::brushing).toMap().value(GmKeys::bitmap);
            const QSize size = bitmap.value<QBitmap>().size();
            // A stroke's pixels are working pixels: one of another size belongs to another
            // picture or resolution and would mark the wrong places.
            if (size != working) {
                logSkipped(QStringLiteral("brush region %1 of %2 x %3 pixels does not match the "
                                          "working image, left out")
                               .arg(i).arg(size.width()).arg(size.height()));
                continue;
            }
        }
        ArrowTarget* target = ArrowTargetFactory::create(entries[i]);
        if (!target) {
            logSkipped(QStringLiteral("entry %1 of type %2 is no known region or edge, left out")
                           .arg(i).arg(entry.value(GmKeys::type).toString()));
            continue;
        }
        if (GmRegion* region = target->asRegion())
            regions_.append(region);
        else if (target->isForcedEdge())
            forcedEdges_.append(target->asForcedEdge());
        else
            delete target;
    }
    setImage(GmSession::KeepSettings, 2, nullptr, nullptr);
}
