#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

class TqSourceImage;

/// Ends a session and, when it differs, its analysis sub-session. Built with the handles it
/// ends (the model's end of session, an analysis whose holder went away); the images given
/// are deleted once the session has ended, also when the engine reported a failure.
class JxCmdEndSession : public OstrivalCommand {
    Q_OBJECT
public:
    JxCmdEndSession(GmModel* model, JxSession* session, JxSession* subSession,
                    TqSourceImage* source, TqSourceImage* output);
    ~JxCmdEndSession() override;

    QString description() const override;
    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }

private:
    JxSession* session_;
    JxSession* subSession_;
    TqSourceImage* source_;
    TqSourceImage* output_;
};
