#include "masking/JxCmdProtect.h"

#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/GmShapeHost.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>

namespace {

QString protectName()
{
    return QCoreApplication::translate("JxCmdProtect", "Protecting Patch...", "tq3");
}

QRect currentWorkingRect()
{
    GmShapeHost* host = GmShapeHost::current();
    return host ? host->workingImageRect() : QRect();
}

}  // namespace

JxCmdProtect::JxCmdProtect(GmModel* model, GmRegion* region)
    : OstrivalCommand(model, protectName())
{
    if (region && GmShapeHost::current())
        masks_.push_back(copyOf(region, currentWorkingRect()));
}

JxCmdProtect::JxCmdProtect(GmModel* model, const QList<GmRegion*>& regions)
    : OstrivalCommand(model, protectName()), reprotects_(true)
{
    retake(regions);
}

JxCmdProtect::Copy JxCmdProtect::copyOf(GmRegion* region, const QRect& workingRect) const
{
    Copy copy;
    copy.workingRect = workingRect;
    copy.mask = std::make_unique<MaskSelection>();
    if (const QImage* mask = region->regionMask()) {
        copy.sourceKey = mask->cacheKey();
        copy.mask->assign(*mask, workingRect);
    }
    return copy;
}

void JxCmdProtect::retake(const QList<GmRegion*>& regions)
{
    if (!GmShapeHost::current()) {
        masks_.clear();
        return;
    }
    const QRect workingRect = currentWorkingRect();
    // A QImage's cache key changes with every change of its pixels, so a key seen before
    // means the very pixels copied before (regions reset one after another keep their masks).
    QHash<qint64, std::size_t> earlier;
    for (std::size_t i = 0; i < masks_.size(); ++i)
        if (masks_[i].sourceKey != 0 && masks_[i].workingRect == workingRect)
            earlier.insert(masks_[i].sourceKey, i);
    std::vector<Copy> taken;
    taken.reserve(std::size_t(regions.size()));
    for (GmRegion* region : regions) {
        if (!region)
            continue;
        const QImage* mask = region->regionMask();
        const auto found = mask ? earlier.constFind(mask->cacheKey()) : earlier.constEnd();
        if (found != earlier.constEnd() && masks_[found.value()].mask) {
            taken.push_back(std::move(masks_[found.value()]));
            continue;
        }
        taken.push_back(copyOf(region, workingRect));
    }
    masks_ = std::move(taken);
}

bool JxCmdProtect::prepare()
{
    if (!jxcmd::isProcessModel(model()))
        return false;
    session_ = jxcmd::modelSession(model());
    statusImage_ = jxcmd::modelStatusImage(model());
    const bool anyPixel = std::any_of(masks_.cbegin(), masks_.cend(),
                                      [](const Copy& copy) { return !copy.mask->isEmpty(); });
    return session_ && statusImage_ && anyPixel;
}

void JxCmdProtect::execute()
{
    result_ = JxOk;
    for (const Copy& copy : masks_) {
        if (copy.mask->isEmpty())
            continue;
        const int code = JxSelect(session_, statusImage_, &copy.mask->record(), JxStatusProtected,
                                  JxStatusUnassigned, 0, 0.0f, &OstrivalThread::reportEngineProgress);
        // A region the engine refuses leaves the others to protect; a cancel or a failure ends
        // the command.
        if (code != JxOk)
            result_ = code;
        if (code != JxOk && code != JxRefused)
            return;
    }
}

void JxCmdProtect::hasFinished()
{
    // The result is not checked: a protection that failed leaves the engine as it was.
    if (GmModel* m = model())
        m->statusImageRefreshed();
}
