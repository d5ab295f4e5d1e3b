#include "masking/JxCmdEndSession.h"

#include "masking/GmModel.h"
#include "masking/JxCmdHelpers.h"
#include "masking/OstrivalThread.h"
#include "masking/TqSourceImage.h"

#include <QCoreApplication>

JxCmdEndSession::JxCmdEndSession(GmModel* model, JxSession* session, JxSession* subSession,
                                 TqSourceImage* source, TqSourceImage* output)
    : OstrivalCommand(model, QCoreApplication::translate("JxCmdEndSession", "Ending Session...")),
      session_(session),
      subSession_(subSession),
      source_(source),
      output_(output) {}

// A command discarded after the library died never finished: its images would leak.
JxCmdEndSession::~JxCmdEndSession() {
    delete source_;
    delete output_;
}

QString JxCmdEndSession::description() const {
    return jxcmd::handleText(session_) + QStringLiteral(", ") + jxcmd::handleText(subSession_);
}

bool JxCmdEndSession::prepare() {
    return session_ || subSession_;
}

void JxCmdEndSession::execute() {
    if (session_)
        result_ = JxEndSession(session_, &OstrivalThread::reportEngineProgress);
    if (subSession_ && subSession_ != session_)
        result_ = JxEndSession(subSession_, &OstrivalThread::reportEngineProgress);
}

void JxCmdEndSession::hasFinished() {
    const bool closingImage = source_ != nullptr;
    // The images go whatever the engine said; the destructor deletes them.
    checkResult(result_);
    if (closingImage)
        if (GmModel* target = model())
            target->setUndoCounts(0, 0);
}
