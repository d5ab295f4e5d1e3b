#include "common/ShellUtilities.h"

#include "platform/ModulePath.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QPixmap>

namespace {

// The program's folder; from /proc/self/exe while no application object exists (the About
// box of "--about" and the crash guard run before one).
QString applicationFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QString::fromStdString(zqplatform::programFolder());
}

}  // namespace

QString absoluteAppPath(const QString& name) {
    return QDir::cleanPath(QDir(applicationFolder()).absoluteFilePath(name));
}

QString appFolderFilePath(const QString& name) {
    return QDir(QDir(applicationFolder()).absolutePath()).absoluteFilePath(name);
}

QByteArray imageChecksum(const QImage& image) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    const qint64 rowBits = qint64(image.width()) * image.depth();
    const int wholeBytes = int(rowBits / 8);
    const int spareBits = int(rowBits % 8);
    // Bits of a last, partly used byte that belong to pixels; the rest is as undefined as the
    // padding after it.
    const unsigned char lastByteMask = image.format() == QImage::Format_MonoLSB
                                           ? static_cast<unsigned char>((1u << spareBits) - 1)
                                           : static_cast<unsigned char>(0xFFu << (8 - spareBits));
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        hash.addData(reinterpret_cast<const char*>(row), wholeBytes);
        if (spareBits != 0) {
            const char last = static_cast<char>(row[wholeBytes] & lastByteMask);
            hash.addData(&last, 1);
        }
    }
    return hash.result();
}

QByteArray pixmapChecksum(const QPixmap& pixmap) {
    return imageChecksum(pixmap.toImage());
}

QString htmlElement(const QString& tag, const QString& text) {
    return QStringLiteral("<%1>%2</%1>").arg(tag, text);
}

QString htmlParagraph(const QString& text) {
    return htmlElement(QStringLiteral("p"), text);
}

QString plainHtmlParagraph(const QString& plainText) {
    return htmlParagraph(plainText.toHtmlEscaped());
}
