#include "shell/DistributorCustomisation.h"

#include "common/LogStream.h"
#include "common/Product.h"
#include "common/ShellUtilities.h"

#include <QDir>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>

namespace {

const QString enabledAttribute = QStringLiteral("enabled");

// The id becomes a path part of web addresses: only characters that need no escaping there.
bool isSafeDistributorId(const QString& id) {
    for (const QChar c : id) {
        const char16_t u = c.unicode();
        const bool safe = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
                          || u == '-' || u == '_';
        if (!safe)
            return false;
    }
    return true;
}

QString invalidValueError(const QString& value, const QString& attribute, const QString& tag) {
    return QStringLiteral("Error: Invalid value '%1' for attribute '%2' of element '%3'\n")
        .arg(value, attribute, tag);
}

// Reads everything from the document into `record`, collecting errors; the caller applies
// the record only when there were none, so a faulty file never customises anything partly.
void readCustomisation(const QDomElement& root, DistributorCustomisation& record,
                       QString& errors) {
    record.id = requireAttribute(root, QStringLiteral("id"), errors);
    if (!isSafeDistributorId(record.id))
        errors += invalidValueError(record.id, QStringLiteral("id"), root.tagName());
    record.homePage = readFlagElement(root, QStringLiteral("HomePage"), errors);
    record.latestNews = readFlagElement(root, QStringLiteral("LatestNews"), errors);
    record.checkForUpdates = readFlagElement(root, QStringLiteral("CheckForUpdates"), errors);
    record.buyNowAlways = readFlagElement(root, QStringLiteral("BuyNowAlways"), errors);
    record.tutorials = readFlagElement(root, QStringLiteral("Tutorials"), errors);
    record.aboutBoxText = requiredChildText(root, QStringLiteral("AboutBoxText"), errors);
    const QDomElement email = root.firstChildElement(QStringLiteral("Email"));
    if (!email.isNull())
        record.supportEmail = requireAttribute(email, QStringLiteral("support"), errors);
}

}  // namespace

QDomElement requireChildElement(const QDomElement& parent, const QString& tag, QString& errors) {
    const QDomElement child = parent.firstChildElement(tag);
    if (child.isNull())
        errors += QStringLiteral("Error: Could not find element '%1', child of '%2'\n")
                      .arg(tag, parent.tagName());
    return child;
}

QString requireAttribute(const QDomElement& element, const QString& name, QString& errors) {
    if (!element.hasAttribute(name)) {
        errors += QStringLiteral("Error: Expected attribute '%1' to be defined for tag '%2'\n")
                      .arg(name, element.tagName());
        return QString();
    }
    return element.attribute(name);
}

QString requiredChildText(const QDomElement& parent, const QString& tag, QString& errors) {
    const QDomElement child = requireChildElement(parent, tag, errors);
    return child.isNull() ? QString() : child.text();
}

bool readFlagElement(const QDomElement& parent, const QString& tag, QString& errors) {
    const QDomElement child = requireChildElement(parent, tag, errors);
    if (child.isNull())
        return false;
    if (!child.hasAttribute(enabledAttribute)) {
        requireAttribute(child, enabledAttribute, errors);
        return false;
    }
    const QString value = child.attribute(enabledAttribute);
    if (value == QLatin1String("1"))
        return true;
    if (value != QLatin1String("0"))
        errors += invalidValueError(value, enabledAttribute, tag);
    return false;
}

namespace {

DistributorCustomisation loadCustomisationFiles(const QString& xmlPath, const QString& logoPath) {
    DistributorCustomisation record;
    record.logoPath = logoPath;
    record.xmlPath = xmlPath;
    record.logo.load(record.logoPath);

    QFile file(record.xmlPath);
    if (!file.open(QIODevice::ReadOnly))
        return record;

    QString errors;
    DistributorCustomisation scratch;
    QDomDocument document(QStringLiteral("Customisation"));
    QString parseMessage;
    int line = 0;
    int column = 0;
    if (!document.setContent(&file, &parseMessage, &line, &column))
        errors += QStringLiteral("Error: line %1, col %2: %3\n").arg(line).arg(column).arg(parseMessage);
    else
        readCustomisation(document.documentElement(), scratch, errors);

    if (errors.isEmpty()) {
        record.id = scratch.id;
        record.aboutBoxText = scratch.aboutBoxText;
        record.latestNews = scratch.latestNews;
        record.homePage = scratch.homePage;
        record.checkForUpdates = scratch.checkForUpdates;
        record.buyNowAlways = scratch.buyNowAlways;
        record.tutorials = scratch.tutorials;
        record.supportEmail = scratch.supportEmail;
        return record;
    }
    record.loadedCleanly = false;
    record.errorText = errors;
    beginLogLine() << "ERRORS found in" << record.xmlPath << '\n' << errors.trimmed();
    endLogLine();
    return record;
}

}  // namespace

DistributorCustomisation loadDistributorCustomisation(const QString& folder) {
    const QDir directory(folder);
    return loadCustomisationFiles(directory.absoluteFilePath(QStringLiteral("distributor.xml")),
                                  directory.absoluteFilePath(QStringLiteral("distributor.png")));
}

DistributorCustomisation loadDistributorCustomisation() {
    return loadCustomisationFiles(appFolderFilePath(QStringLiteral("distributor.xml")),
                                  appFolderFilePath(QStringLiteral("distributor.png")));
}

const DistributorCustomisation& distributorCustomisation() {
    static const DistributorCustomisation record = loadDistributorCustomisation();
    return record;
}

QString distributorId() { return distributorCustomisation().id; }

QString aboutBoxText() { return distributorCustomisation().aboutBoxText; }

QPixmap distributorLogo() { return distributorCustomisation().logo; }

QString supportEmailAddress() {
    const QString distributors = distributorCustomisation().supportEmail;
    return distributors.isEmpty() ? QString::fromLatin1(Product::supportEmail) : distributors;
}
