#include "shell/TqMainWindow.h"

#include "shell/LogStream.h"
#include "shell/ProblemReports.h"
#include "shell/Product.h"

TqMainWindow* theMainWindow = nullptr;

TqMainWindow::TqMainWindow(const QStringList& filesToOpen, QWidget* parent)
    : QMainWindow(parent) {
    // Set first: files the system asks us to open while the problem report is up come here.
    theMainWindow = this;
    try {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(productDisplayName());
        showMaximized();
        for (const QString& fileName : filesToOpen)
            loadFile(fileName);
        checkProblemReports(this);
    } catch (...) {
        theMainWindow = nullptr;   // no destructor runs for a window that was never built
        throw;
    }
}

TqMainWindow::~TqMainWindow() {
    if (theMainWindow == this)
        theMainWindow = nullptr;
}

void TqMainWindow::loadFile(const QString& fileName) { requestedFiles_.append(fileName); }

void TqMainWindow::receivedImageSlot(NamedImage image) {
    beginLogLine() << "TqMainWindow: received image " << image.url().toString() << " ("
                   << image.width() << " x " << image.height() << ")";
    endLogLine();
}

void TqMainWindow::receivedTextSlot(QString text, QPointF position) {
    beginLogLine() << "TqMainWindow: received text at (" << position.x() << ", " << position.y()
                   << "): " << text;
    endLogLine();
}
