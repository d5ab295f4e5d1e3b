#include "shell/WebAddresses.h"

#include "shell/DistributorCustomisation.h"
#include "common/Product.h"
#include "common/ShellUtilities.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace {

QString baseBelow(const QString& site, const QString& distributorId) {
    if (distributorId.isEmpty())
        return site;
    return QStringLiteral("%1distributors/%2/").arg(site, distributorId);
}

}  // namespace

QString makerWebAddress() {
    return QStringLiteral("https://www.") + QLatin1String(Product::organisationDomain) +
           QLatin1Char('/');
}

QString productWebAddress() { return makerWebAddress() + QStringLiteral("zolquist/"); }

QString distributorBaseAddress(const QString& distributorId) {
    return baseBelow(productWebAddress(), distributorId);
}

QString distributorBaseAddress() { return distributorBaseAddress(distributorId()); }

QString makerBaseAddress(const QString& distributorId) {
    return baseBelow(makerWebAddress(), distributorId);
}

QString makerBaseAddress() { return makerBaseAddress(distributorId()); }

QString webPageAddress(const QString& pageName, const QString& distributorId) {
    if (pageName.isEmpty())
        return QString();
    return QStringLiteral("%1%2").arg(distributorBaseAddress(distributorId), pageName);
}

QString webPageAddress(const QString& pageName) {
    return webPageAddress(pageName, distributorId());
}

QString newsPageAddress() {
    return webPageAddress(Product::tr("en/latest_news.html", "[zol]"));
}

QString tutorialsWebAddress() {
    return webPageAddress(Product::tr("en/tutorials.html", "[zol]"));
}

QString updatePageAddress(const QString& distributorId) {
    return QStringLiteral("%1%2%3.%4.%5.%6-%7.html")
        .arg(distributorBaseAddress(distributorId), QStringLiteral("current/"))
        .arg(1)
        .arg(1)
        .arg(12)
        .arg(QString(), QStringLiteral("win"));
}

QString updatePageAddress() { return updatePageAddress(distributorId()); }

QString downloadPageAddress(const QString& distributorId) {
    // The base ends in "/" and so does "current/": no separators of our own.
    return QStringLiteral("%1%2%3-download.htm")
        .arg(makerBaseAddress(distributorId), QStringLiteral("current/"),
             QStringLiteral("zol"));
}

QString downloadPageAddress() { return downloadPageAddress(distributorId()); }

QString tutorialsAddress(const QSettings& settings) {
    const QString path =
        settings.value(QStringLiteral("TutorialsRoot"), absoluteAppPath(QStringLiteral("Tutorials/index.htm")))
            .toString();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString();
    return tutorialsWebAddress();
}

QString helpRootAddress(const QSettings& settings) {
    const QString folder =
        settings.value(QStringLiteral("HelpRoot"), absoluteAppPath(QStringLiteral("Help"))).toString();
    QString address = QUrl::fromLocalFile(folder).toString();
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return QStringLiteral("%1/%2").arg(
        address, QCoreApplication::translate("TqApp", "en",
                                             "[all]Two letter code of the current locale"));
}

void openWebPage(const QString& address) {
    QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}
