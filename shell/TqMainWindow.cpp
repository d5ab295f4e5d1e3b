#include "shell/TqMainWindow.h"

#include "shell/ProblemReports.h"
#include "shell/Product.h"

TqMainWindow* theMainWindow = nullptr;

TqMainWindow::TqMainWindow(const QStringList& filesToOpen, QWidget* parent)
    : QMainWindow(parent) {
    theMainWindow = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(productDisplayName());
    showMaximized();
    for (const QString& fileName : filesToOpen)
        loadFile(fileName);
    checkProblemReports(this);
}

TqMainWindow::~TqMainWindow() {
    if (theMainWindow == this)
        theMainWindow = nullptr;
}

void TqMainWindow::loadFile(const QString& fileName) { requestedFiles_.append(fileName); }
