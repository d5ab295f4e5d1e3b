#include "shell/TqAppStandAlone.h"

TqAppStandAlone::TqAppStandAlone(int runMode) : TqApp(runMode) {}

void TqAppStandAlone::init(int& argc, char** argv) {
    TqApp::init(argc, argv);
    showMainWindow();
}
