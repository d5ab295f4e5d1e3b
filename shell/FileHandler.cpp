#include "shell/FileHandler.h"

#include "composition/scene/FinalImageAssembler.h"
#include "composition/scene/FrolixObject.h"
#include "composition/scene/FrolixOutputHandler.h"
#include "composition/scene/ItemController.h"
#include "shell/CutoutChoice.h"
#include "common/FileNameDialog.h"
#include "masking/GmModel.h"
#include "masking/JxCmdBeginSession.h"
#include "masking/JxCmdInit.h"
#include "masking/OstrivalThread.h"
#include "masking/SavedCutoutState.h"
#include "masking/SessionFile.h"
#include "masking/TqSourceImage.h"
#include "common/LogStream.h"
#include "common/Product.h"
#include "common/WaitCursor.h"
#include "common/ShellUtilities.h"
#include "shell/TqApp.h"
#include "shell/TqMainWindow.h"
#include "workspace/GmTool.h"
#include "workspace/ImageView.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

FileHandler* theFileHandler = nullptr;

namespace {

const QString group = QStringLiteral("FileHandling");
const QString recentKey = QStringLiteral("RecentFiles");
constexpr int recentCount = 5;

bool startedByHost() {
    return theApp && theApp->runMode() != TqApp::StandAlone;
}

void logLine(const QString& text) {
    beginLogLine() << "FileHandler: " << text;
    endLogLine();
}

}  // namespace

FileHandler::FileHandler(TqMainWindow* mainWindow) : mainWindow_(mainWindow) {
    theFileHandler = this;
    QSettings settings;
    settings.beginGroup(group);
    recentFiles_ = settings.value(recentKey).toStringList();
    connect(this, &FileHandler::exportFileTypeChanged, FrolixOutputHandler::instance(),
            &FrolixOutputHandler::fileTypeChoosen);
    SessionFile::setSurroundings({mainWindow_, [this] { return projectName_; }});
    SavedCutoutState::setPictureOpener(
        [this](TqSourceImage* picture) { return openAsCutout(picture, nullptr); });
}

FileHandler::~FileHandler() {
    if (theFileHandler == this) {
        theFileHandler = nullptr;
        SessionFile::setSurroundings({});
        SavedCutoutState::setPictureOpener({});
    }
}

void FileHandler::warn(const QString& text) const {
    QMessageBox::warning(mainWindow_, productDisplayName(), text, QMessageBox::Ok);
}

// Opening pictures ---------------------------------------------------------------------------

void FileHandler::loadFile(const QString& fileName) {
    // The window asks about the cut-out being edited and opens the file once that cut-out is
    // placed; without it there is no cut-out to ask about.
    if (mainWindow_) {
        mainWindow_->loadFile(fileName);
        return;
    }
    if (startedByHost())
        return;
    loadImage(fileName);
}

bool FileHandler::loadImage(const QString& fileName) {
    WaitCursor wait;
    auto* image = new TqSourceImage(fileName);
    if (!image->loadProblem().isEmpty())
        warn(image->loadProblem());
    if (image->valid()) {
        // Only a picture read from a real file may name a recent file.
        if (addRecent(fileName, recentFiles_, recentKey))
            emit recentFilesChanged(recentFiles_);
        if (openSourceImage(image, nullptr))
            return true;
    }
    delete image;
    return false;
}

bool FileHandler::openSourceImage(TqSourceImage* source, TqSourceImage* output) {
    if (!source)
        return false;
    source->refreshFromView();
    switch (CutoutChoice::ask(source->pixmap(), source->name())) {
    case CutoutChoice::Cutout:
        return openAsCutout(source, output);
    case CutoutChoice::Image:
        if (!ItemController::instance()->createCutoutItem(source)) {
            logLine(QStringLiteral("%1 could not be placed on the canvas").arg(source->name()));
            return false;
        }
        delete output;   // only a cut-out is generated into it
        showCompositionTab();
        return true;
    case CutoutChoice::Backdrop: {
        source->refreshFromView();
        const QPixmap pixmap = source->pixmap().copy();
        ItemController::instance()->setBackdropPixmapSlot(pixmap, pixmap.size());
        delete source;
        delete output;
        showCompositionTab();
        return true;
    }
    default:
        return false;
    }
}

void FileHandler::showCompositionTab() const {
    if (ImageView* view = GmTool::imageView())
        view->ensureViewTab(ImageView::CompositionTab, ImageView::CompositionTab);
}

bool FileHandler::engineStarting() const {
    OstrivalThread* thread = theEngineThread;
    if (!thread)
        return false;
    auto starting = [](OstrivalCommand* command) {
        return dynamic_cast<JxCmdInit*>(command) || dynamic_cast<JxCmdBeginSession*>(command);
    };
    if (starting(thread->currentCommand()))
        return true;
    for (OstrivalCommand* command : thread->queuedCommands())
        if (starting(command))
            return true;
    return false;
}

bool FileHandler::openAsCutout(TqSourceImage* source, TqSourceImage* output) {
    if (!source || !source->valid() || (output && !output->valid()))
        return false;
    if (engineStarting()) {
        // The window is disabled meanwhile, so the user needs no message; the log keeps it.
        logLine(QStringLiteral("%1 not opened: the engine is still starting on the last picture")
                    .arg(source->name()));
        return false;
    }
    FileNameDialog::setLastImageDir(source->name());
    if (mainWindow_ && mainWindow_->statusBar())
        mainWindow_->statusBar()->showMessage(source->name(), 2000);
    projectName_.clear();
    GmModel* model = GmModel::instance();
    model->closeImage();
    if (model->sourceImage())
        return false;   // a host's picture stays: the model takes no other
    if (mainWindow_) {
        if (mainWindow_->isMinimized())
            mainWindow_->showNormal();
        mainWindow_->activateWindow();
    }
    // The model owns both images from here on, whatever it answers; both were checked
    // above, so it keeps them.
    if (!model->setImage(1, 1, source, output))
        logLine(QStringLiteral("the masking model did not take %1").arg(source->name()));
    if (mainWindow_)
        mainWindow_->showCutoutTab();
    return true;
}

bool FileHandler::addRecent(const QString& fileName, QStringList& list, const QString& key) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isAbsolute() || !info.isFile())
        return false;
    const QString path = QDir::toNativeSeparators(info.canonicalFilePath());
    if (path.isEmpty() || (!list.isEmpty() && list.first() == path))
        return false;
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > recentCount)
        list.removeLast();
    QSettings settings;
    settings.beginGroup(group);
    settings.setValue(key, list);
    return true;
}

QString FileHandler::askImageFilename() {
    return FileNameDialog::askImageFilename(mainWindow_);
}

void FileHandler::compositionNewSlot() {
    FrolixObject* document = FrolixObject::instance();
    if (pixmapChecksum(renderFinalPixmap()) != document->savedChecksum()) {
        QMessageBox box(QMessageBox::Critical, tr("New composition", "[zol]"),
                        tr("Starting a new composition will discard the current composition.\n"
                           "Do you wish to proceed?", "[zol]"),
                        QMessageBox::NoButton, mainWindow_);
        QPushButton* proceed = box.addButton(tr("New composition", "[zol]"), QMessageBox::AcceptRole);
        box.setDefaultButton(box.addButton(QMessageBox::Cancel));
        box.exec();
        if (box.clickedButton() != proceed)
            return;
    }
    document->endComposition();
    projectName_.clear();
    finalImageName_.clear();
    // The masking image stays open here: starting the composition asks about a cut-out
    // still being edited, and only that answer closes it.
    if (ImageView* view = GmTool::imageView())
        view->ensureViewTab(ImageView::MaskingTab, ImageView::MaskingTab);
    document->startComposition();
}

// Final image export -------------------------------------------------------------------------

bool FileHandler::fileSaveAsSlot() {
    return exportFinalImageAs(
        QStringLiteral("%1/%2").arg(FileNameDialog::lastImageDir(), tr("picture", "[zol]default name of saved image file")));
}

int FileHandler::exportTypeOfSuffix(const QString& suffix) {
    const QString lower = suffix.toLower();
    if (lower == QLatin1String("jpg") || lower == QLatin1String("jpeg"))
        return FrolixOutputHandler::Jpg;
    if (lower == QLatin1String("png"))
        return FrolixOutputHandler::Png;
    return -1;
}

QString FileHandler::exportName(const QString& chosen, const QString& selectedFilter) {
    if (chosen.isEmpty() || exportTypeOfSuffix(QFileInfo(chosen).suffix()) >= 0)
        return chosen;
    // No suffix, or one we do not write (PDF included): the selected entry's own, taken from
    // its pattern such as "PNG image (*.png)".
    const int dot = selectedFilter.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || !selectedFilter.endsWith(QLatin1Char(')')))
        return chosen + QStringLiteral(".png");
    return chosen + selectedFilter.mid(dot, selectedFilter.size() - 1 - dot);
}

bool FileHandler::exportFinalImageAs(const QString& proposal) {
    const QString start = finalImageName_.isEmpty() ? proposal : finalImageName_;
    for (;;) {
        const FileNameDialog::Answer chosen = FileNameDialog::askSave(
            mainWindow_, tr("Export Final Image As", "[frolix, zol]"), start,
            FrolixOutputHandler::instance()->exportFileFilter());
        if (chosen.fileName.isEmpty())
            return false;
        const QString name = exportName(chosen.fileName, chosen.selectedFilter);
        emit exportFileTypeChanged(exportTypeOfSuffix(QFileInfo(name).suffix()));
        const TqSourceImage* source = GmModel::existing() ? GmModel::existing()->sourceImage() : nullptr;
        const QString own = source ? QFileInfo(source->name()).canonicalFilePath() : QString();
        if (!own.isEmpty() && own == QFileInfo(name).canonicalFilePath()) {
            QMessageBox::warning(mainWindow_, tr("Save As", "[frolix,zol]"),
                                 tr("You can not save the generated file over the original file",
                                    "[frolix,zol]"),
                                 QMessageBox::Ok);
            continue;
        }
        FileNameDialog::setLastImageDir(name);
        finalImageName_ = name;
        return writeFinalImage(name);
    }
}

bool FileHandler::writeFinalImage(const QString& fileName) {
    QString problem;
    if (!FrolixObject::instance()->saveFinalImage(fileName, &problem)) {
        logLine(QStringLiteral("the final image was not saved to %1: %2").arg(fileName, problem));
        warn(tr("The picture could not be saved to\n%1\n\n%2").arg(QDir::toNativeSeparators(fileName),
                                                                  problem));
        return false;
    }
    if (theEngineThread)
        savedModificationCount_ = theEngineThread->modificationCount();
    return true;
}
