#pragma once

#include <QPixmap>
#include <QString>

class QDomElement;

/// What a reseller adapts without rebuilding, from "distributor.xml" and "distributor.png"
/// beside the program. Any error in the XML file leaves every value at its default (no id, no
/// About text, every feature on); the logo is used whenever its file loads.
///
/// The file: a root element (any tag) with the attribute "id"; the children "HomePage",
/// "LatestNews", "CheckForUpdates", "BuyNowAlways" and "Tutorials", each with "enabled" exactly
/// "0" or "1"; "AboutBoxText" whose text is the About text; optionally "Email" with "support".
/// The id ends up in web addresses, so it may hold only ASCII letters, digits, "-" and "_".
struct DistributorCustomisation {
    QString id;                 ///< empty when there is no distributor
    QString aboutBoxText;
    bool latestNews = true;
    bool homePage = true;
    bool checkForUpdates = true;
    bool buyNowAlways = true;   ///< read and kept; nothing depends on it
    bool tutorials = true;
    QString supportEmail;       ///< empty unless the file names one
    QPixmap logo;               ///< null when "distributor.png" is missing or unreadable
    QString logoPath;
    QString xmlPath;
    bool loadedCleanly = true;  ///< false when "distributor.xml" had errors
    QString errorText;          ///< every error found, one line each
};

/// The record of this process, loaded from the program's folder on first use (thread-safe),
/// then the same every time. Loading errors are logged once, then.
const DistributorCustomisation& distributorCustomisation();

/// Loads the customisation files from `folder`. A missing "distributor.xml" is no error and
/// logs nothing; a faulty one logs "ERRORS found in<path>" and its errors.
DistributorCustomisation loadDistributorCustomisation(const QString& folder);

/// The same for the program's own folder (`appFolderFilePath`).
DistributorCustomisation loadDistributorCustomisation();

QString distributorId();
QString aboutBoxText();
QPixmap distributorLogo();

/// The support e-mail address: the distributor's when it names one, else the maker's.
QString supportEmailAddress();

// Readers of the customisation file. Each appends one "Error: ...\n" line to `errors` when
// something required is missing or malformed.
QDomElement requireChildElement(const QDomElement& parent, const QString& tag, QString& errors);
QString requireAttribute(const QDomElement& element, const QString& name, QString& errors);
QString requiredChildText(const QDomElement& parent, const QString& tag, QString& errors);
bool readFlagElement(const QDomElement& parent, const QString& tag, QString& errors);
