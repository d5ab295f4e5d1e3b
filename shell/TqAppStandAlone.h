#pragma once

#include "shell/HostImageHandOff.h"
#include "shell/TqApp.h"

#include <QPointer>

#include <string>
#include <vector>

/// The application object built for every run, whatever the run mode; a host run adds the
/// exchange of images with the host to the start-up and the shut-down.
class TqAppStandAlone : public TqApp {
    Q_OBJECT
public:
    explicit TqAppStandAlone(int runMode);
    /// Hands the result back (when accepted), then closes the host's descriptors.
    ~TqAppStandAlone() override;

    /// The start-up sequence, then, in a host run, the intake of the host's two images, then
    /// the main window.
    void init(int& argc, char** argv) override;

    /// In a host run whose exit status is `Apply`: copies the second image back to the host.
    /// When nothing was taken or the result cannot be written, nothing is written and the exit
    /// status becomes `Unchanged`, so the host sees `Apply` only with the result in its
    /// mapping. Runs once; the destructor calls it, and so may the caller before it reads
    /// the exit status.
    void writeBackResult();

    /// The host's images in our own buffers (empty views unless the intake took them).
    HostImageHandOff& hostImages() { return hostImages_; }

    /// Source images over the two buffers, named with the host's name; null unless taken.
    TqSourceImage* sourceImage() override;
    TqSourceImage* outputImage() override;

private:
    void buildHostSourceImages();

    HostImageHandOff hostImages_;
    // Children of this object until the main window takes them over.
    QPointer<TqSourceImage> sourceImage_;
    QPointer<TqSourceImage> outputImage_;
    bool handBackDone_ = false;
};
