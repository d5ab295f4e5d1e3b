#pragma once

#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QImage>

/// Makes the engine's status image of the working image; the status image then lays itself
/// over it and submits its first fill.
class JxCmdNewStatusImage : public OstrivalCommand {
    Q_OBJECT
public:
    explicit JxCmdNewStatusImage(GmModel* model);

    bool prepare() override;
    void execute() override;
    void hasFinished() override;
    bool isCancellable() const override { return false; }

private:
    JxEngine* engine_ = nullptr;
    JxImage image_{0, 0, 0, 0, nullptr};
    QImage working_;   // keeps the working pixels alive while the engine reads them
    JxImage* handle_ = nullptr;
};
