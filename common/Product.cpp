#include "common/Product.h"

#include "SourceRevision.h"   // generated at build time: zqSourceRevision

QString Product::version() {
    return QStringLiteral("%1 (%2)").arg(QLatin1String(versionNumber),
                                         QLatin1String(zqSourceRevision));
}

QString productDisplayName() {
    return QStringLiteral("Zolquist\u2122");
}

QString nbspProductName() {
    return productDisplayName().replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
}
