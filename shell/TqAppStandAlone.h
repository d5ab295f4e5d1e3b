#pragma once

#include "shell/TqApp.h"

/// The application object built for every run, whatever the run mode; a host run adds the
/// exchange of images with the host to the start-up and the shut-down.
class TqAppStandAlone : public TqApp {
    Q_OBJECT
public:
    explicit TqAppStandAlone(int runMode);

    /// The start-up sequence, then the main window.
    void init(int& argc, char** argv) override;
};
