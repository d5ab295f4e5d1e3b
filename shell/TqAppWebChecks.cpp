// The application object's part in the update and news checks and the web pages.
#include "shell/TqApp.h"

#include "shell/DistributorCustomisation.h"
#include "shell/HttpRequest.h"
#include "common/Product.h"
#include "common/ShellUtilities.h"
#include "shell/TqMainWindow.h"
#include "shell/WebAddresses.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace {

QString boxTitle(const QString& subject) {
    return QStringLiteral("%1 - %2").arg(productDisplayName(), subject);
}

/// Starts the checker's request unless one is under way; never forced.
void startCheck(HttpRequest* checker) {
    if (checker)
        checker->kickOffTransfer(false);
}

}  // namespace

void TqApp::createWebCheckers() {
    const DistributorCustomisation& distributor = distributorCustomisation();
    HttpRequest* update = nullptr;
    HttpRequest* news = nullptr;
    if (distributor.checkForUpdates)
        update = new HttpRequest(updatePageAddress(), QStringLiteral("Update"), false);
    const QString newsAddress = newsPageAddress();
    if (distributor.latestNews && !newsAddress.isEmpty())
        news = new HttpRequest(newsAddress, QStringLiteral("News"), true);
    adoptWebCheckers(update, news);
}

void TqApp::adoptWebCheckers(HttpRequest* updateChecker, HttpRequest* newsChecker) {
    if (updateChecker_ != updateChecker)
        delete updateChecker_;
    if (newsChecker_ != newsChecker)
        delete newsChecker_;
    updateChecker_ = updateChecker;
    newsChecker_ = newsChecker;
    if (updateChecker_)
        connect(updateChecker_, &HttpRequest::response, this, &TqApp::updateCheckerCallbackSlot,
                Qt::UniqueConnection);
    if (newsChecker_) {
        connect(newsChecker_, &HttpRequest::response, this, &TqApp::newsCheckerCallbackSlot,
                Qt::UniqueConnection);
        connect(newsChecker_, &HttpRequest::httpStatusCode, this,
                &TqApp::newsCheckerHttpStatusCodeSlot, Qt::UniqueConnection);
    }
}

QString TqApp::tutorialsAddress() const {
    return settings_ ? ::tutorialsAddress(*settings_) : ::tutorialsAddress(QSettings());
}

QString TqApp::helpRootAddress() const {
    return settings_ ? ::helpRootAddress(*settings_) : ::helpRootAddress(QSettings());
}

void TqApp::runStartUpChecks() {
    if (distributorCustomisation().checkForUpdates)
        startCheck(updateChecker_);
    startCheck(newsChecker_);
}

void TqApp::checkForUpdateSlot() { openWebPage(updatePageAddress()); }

void TqApp::checkForNewsSlot() {
    if (!newsChecker_)
        return;
    openWebPage(newsPageAddress());
    newsChecker_->kickOffTransfer(true);
}

bool TqApp::updateCheckerCallbackSlot(QString result, bool forced) {
    if (!result.contains(QLatin1String("notuptodate")))
        return true;
    QMessageBox offer(QMessageBox::Information, boxTitle(tr("New version available", "[all]")),
                      htmlParagraph(tr("Your copy of %1 is out of date. Please download the "
                                       "latest version now.",
                                       "[all]")
                                        .arg(nbspProductName())),
                      QMessageBox::NoButton, mainWindow());
    QPushButton* download = offer.addButton(tr("Download Now", "[all]"), QMessageBox::AcceptRole);
    offer.addButton(tr("Remind Me Later", "[all]"), QMessageBox::RejectRole);
    offer.exec();
    if (offer.clickedButton() != download) {
        if (updateChecker_)
            updateChecker_->supress(1);
        return true;
    }
    QMessageBox exiting(QMessageBox::Information, boxTitle(tr("Exiting", "[all]")),
                        htmlParagraph(tr("The download page will be loaded into your web "
                                         "browser, and %1 will exit automatically ready for "
                                         "you to install the latest version.",
                                         "[all]")
                                          .arg(nbspProductName())),
                        QMessageBox::Ok);
    exiting.exec();
    openWebPage(downloadPageAddress());
    // Ends the run through the usual save prompt.
    if (TqMainWindow* window = mainWindow())
        window->close();
    return true;
}

bool TqApp::newsCheckerCallbackSlot(QString result, bool forced) {
    if (forced)
        return true;   // the news entry opened the page already
    QMessageBox offer(QMessageBox::Information, boxTitle(tr("News Update", "[all]")),
                      htmlParagraph(tr("Would you like to read the latest %1 news now?", "[all]")
                                        .arg(nbspProductName())),
                      QMessageBox::NoButton, mainWindow());
    QPushButton* yes = offer.addButton(tr("Yes", "[all]"), QMessageBox::AcceptRole);
    offer.addButton(tr("Remind Me Later", "[all]"), QMessageBox::RejectRole);
    offer.exec();
    if (offer.clickedButton() == yes) {
        openWebPage(newsPageAddress());
        return true;
    }
    if (newsChecker_)
        newsChecker_->supress(1);
    return false;
}

void TqApp::newsCheckerHttpStatusCodeSlot(int status) {
    newsAvailable_ = status < 400;
    emit newsAvailability(newsAvailable_);
}
