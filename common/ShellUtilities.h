#pragma once

#include <QByteArray>
#include <QString>

class QImage;
class QPixmap;

/// `name` resolved against the program's folder (an absolute name stays absolute), cleaned of
/// "." and ".." parts and doubled separators.
QString absoluteAppPath(const QString& name);

/// `name` resolved against the absolute path of the program's folder; used for the files a
/// distributor puts beside the program.
QString appFolderFilePath(const QString& name);

/// MD5 digest (16 raw bytes) of the image's pixels: per row exactly the bytes its pixels use
/// (for formats under 8 bits per pixel the unused bits of a row's last byte are masked), never
/// the padding at the end of a row, whose content is undefined. Equal pixels in equal formats
/// give equal digests; the same picture in another format gives another one. Tells whether
/// the work changed since it was saved.
QByteArray imageChecksum(const QImage& image);

/// `imageChecksum` of the pixmap converted to an image.
QByteArray pixmapChecksum(const QPixmap& pixmap);

/// "<tag>text</tag>". `text` is rich text and goes in as it is; data such as file names must
/// be escaped first (QString::toHtmlEscaped, or `plainHtmlParagraph`).
QString htmlElement(const QString& tag, const QString& text);

/// `htmlElement("p", text)`; `text` is rich text (it may hold "&nbsp;" and tags).
QString htmlParagraph(const QString& text);

/// A paragraph showing `plainText` literally: "<", "&" and quotes are escaped, so a path or a
/// name from outside cannot change the markup around it.
QString plainHtmlParagraph(const QString& plainText);
