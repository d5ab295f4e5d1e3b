#include "masking/AutoCut.h"

#include "masking/GmModel.h"
#include "masking/JxCmdGenerateMask.h"
#include "masking/OstrivalThread.h"

AutoCut::AutoCut(GmModel* model)
    : QObject(model), model_(model)
{
}

void AutoCut::cutoutNeededSlot()
{
    OstrivalThread* thread = theEngineThread;
    if (!model_->sourceImage() || !thread || !thread->isOpen())
        return;
    if (!busy_) {
        busy_ = true;
        emit busyStateChangedTo(true);
    } else if (pending_) {
        disconnect(pending_, &QObject::destroyed, this, &AutoCut::cutoutCmdFinishedSlot);
        thread->cancelCommand(pending_);
    }
    pending_ = new JxCmdGenerateMask(model_);
    connect(pending_, &QObject::destroyed, this, &AutoCut::cutoutCmdFinishedSlot);
    thread->submit(pending_);
}

void AutoCut::cutoutCmdFinishedSlot()
{
    if (!busy_)
        return;
    busy_ = false;
    pending_ = nullptr;
    emit busyStateChangedTo(false);
}
