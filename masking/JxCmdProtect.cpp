#include "masking/JxCmdProtect.h"

#include "masking/GmModel.h"
#include "masking/GmRegion.h"
#include "masking/GmShapeHost.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"

#include <QCoreApplication>

JxCmdProtect::JxCmdProtect(GmModel* model, GmRegion* region)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdProtect", "Protecting Patch...", "tq3"))
{
    GmShapeHost* host = GmShapeHost::current();
    if (region && host)
        if (const QImage* mask = region->regionMask())
            mask_.assign(*mask, host->workingImageRect());
}

bool JxCmdProtect::prepare()
{
    if (!jxcmd::isProcessModel(model()))
        return false;
    session_ = jxcmd::modelSession(model());
    statusImage_ = jxcmd::modelStatusImage(model());
    return session_ && statusImage_ && !mask_.isEmpty();
}

void JxCmdProtect::execute()
{
    result_ = JxSelect(session_, statusImage_, &mask_.record(), JxStatusProtected,
                       JxStatusUnassigned, 0, 0.0f, &OstrivalThread::reportEngineProgress);
}

void JxCmdProtect::hasFinished()
{
    // The result is not checked: a protection that failed leaves the engine as it was.
    if (GmModel* m = model())
        m->statusImageRefreshed();
}
