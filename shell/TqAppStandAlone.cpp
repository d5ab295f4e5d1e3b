#include "shell/TqAppStandAlone.h"

TqAppStandAlone::TqAppStandAlone(int runMode) : TqApp(runMode) {}

TqAppStandAlone::~TqAppStandAlone() { writeBackResult(); }

void TqAppStandAlone::init(int& argc, char** argv) {
    // Copied first: the Qt application takes out arguments it knows, and an image name such as
    // "-reverse" would go missing.
    std::vector<std::string> hostArguments;
    if (runMode() == HostSharedMemory && argc == 2 + HostImageHandOff::argumentCount)
        hostArguments.assign(argv + 2, argv + argc);
    TqApp::init(argc, argv);
    if (runMode() == HostSharedMemory)
        hostImages_.intake(hostArguments);
    showMainWindow();
}

void TqAppStandAlone::writeBackResult() {
    if (runMode() != HostSharedMemory || handBackDone_)
        return;
    handBackDone_ = true;
    if (exitStatus() == Apply && !hostImages_.writeBack())
        setExitStatus(Unchanged);
}
