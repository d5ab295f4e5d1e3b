#pragma once

#include <QImage>
#include <QMetaType>
#include <QString>
#include <QUrl>

/// An image together with the address it came from (empty for image data dropped without
/// one). Copied freely and passed by value through queued signals.
class NamedImage : public QImage {
public:
    NamedImage() = default;
    NamedImage(const QImage& image, const QUrl& url);
    NamedImage(const NamedImage& other) = default;
    NamedImage& operator=(const NamedImage& other) = default;
    virtual ~NamedImage() = default;

    /// The file-name part of the address's path, fully decoded ("" without an address).
    virtual QString fileName() const;

    const QUrl& url() const { return url_; }

private:
    QUrl url_;
};

Q_DECLARE_METATYPE(NamedImage)
