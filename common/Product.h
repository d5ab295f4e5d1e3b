#pragma once

#include <QCoreApplication>
#include <QString>

/// The product's names as the rest of the program uses them. The class itself exists for its
/// translation context: `Product::tr(text, "[zol]")` is how product-specific texts are translated.
class Product {
    Q_DECLARE_TR_FUNCTIONS(Product)
public:
    /// Qt application name; also the settings' application and the log folder's name.
    static constexpr const char* applicationName = "Zolquist";
    /// Qt organisation name and the settings' organisation.
    static constexpr const char* organisationName = "BrenmoorTech";
    /// The maker's internet domain (Qt's organisation domain).
    static constexpr const char* organisationDomain = "brenmoortech.example";
    /// Where problem reports are sent when no distributor names its own support address.
    static constexpr const char* supportEmail = "support@brenmoortech.example";
    /// The edition tag of product-specific translations.
    static constexpr const char* shortTag = "zol";
    /// The release number, without the build's revision: the project's version in the top
    /// CMakeLists.txt, so that the build and the program never name two releases.
    static constexpr const char* versionNumber = ZQ_VERSION;

    /// "1.1.12 (<40 hex digits>)": the release and the source revision this build was made from
    /// (all zeros when the build had no revision to hand). Shown in the About box and logged
    /// at start-up.
    static QString version();
};

/// "Zolquist™" (with U+2122): window titles, message boxes, the About box.
QString productDisplayName();

/// `productDisplayName` with every blank as "&nbsp;", for rich texts, so the name never wraps.
QString nbspProductName();
