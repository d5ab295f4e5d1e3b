#include "shell/TqAppStandAlone.h"

#include "masking/TqSourceImage.h"

TqAppStandAlone::TqAppStandAlone(int runMode) : TqApp(runMode) {}

TqAppStandAlone::~TqAppStandAlone() {
    writeBackResult();
    // Pixmaps go while the Qt application still exists; images the main window took over are
    // its own business.
    for (TqSourceImage* image : {sourceImage_.data(), outputImage_.data()})
        if (image && image->parent() == this)
            delete image;
}

void TqAppStandAlone::init(int& argc, char** argv) {
    // Copied first: the Qt application takes out arguments it knows, and an image name such as
    // "-reverse" would go missing.
    std::vector<std::string> hostArguments;
    if (runMode() == HostSharedMemory && argc == 2 + HostImageHandOff::argumentCount)
        hostArguments.assign(argv + 2, argv + argc);
    TqApp::init(argc, argv);
    if (runMode() == HostSharedMemory && hostImages_.intake(hostArguments))
        buildHostSourceImages();
    showMainWindow();
}

TqSourceImage* TqAppStandAlone::sourceImage() { return sourceImage_.data(); }

TqSourceImage* TqAppStandAlone::outputImage() { return outputImage_.data(); }

void TqAppStandAlone::buildHostSourceImages() {
    const TqSourceImage::HostDepth depth = hostImages_.bitsPerChannel() == 8
                                               ? TqSourceImage::HostDepth::Eight
                                               : TqSourceImage::HostDepth::Sixteen;
    auto viewOf = [](const HostPixelView& buffer) {
        TqPixelView view;
        view.width = buffer.width;
        view.height = buffer.height;
        view.data = buffer.data;
        view.stride = buffer.stride;
        return view;
    };
    // Shown in place: the images lie over our buffers, which live as long as this object.
    sourceImage_ = new TqSourceImage(viewOf(hostImages_.inputView()), depth,
                                     hostImages_.imageName());
    sourceImage_->setParent(this);
    outputImage_ = new TqSourceImage(viewOf(hostImages_.secondView()), depth,
                                     hostImages_.imageName());
    outputImage_->setParent(this);
}

void TqAppStandAlone::writeBackResult() {
    if (runMode() != HostSharedMemory || handBackDone_)
        return;
    handBackDone_ = true;
    if (exitStatus() == Apply && !hostImages_.writeBack())
        setExitStatus(Unchanged);
}
