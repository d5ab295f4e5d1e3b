#include "shell/NetworkImageGetter.h"

#include "masking/ImageIntake.h"
#include "common/LogStream.h"

#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

NetworkImageGetter::NetworkImageGetter(const QUrl& url, int transferTimeoutMs, qint64 maxBytes)
    : url_(url),
      manager_(new QNetworkAccessManager(this)),
      transferTimeoutMs_(transferTimeoutMs),
      maxBytes_(maxBytes) {
    connect(manager_, &QNetworkAccessManager::finished, this, &NetworkImageGetter::replyFinished);
}

NetworkImageGetter::~NetworkImageGetter() = default;

void NetworkImageGetter::start() {
    if (stage_ != Idle)
        return;
    // An ftp server names no content type; its content tells the format instead.
    sendRequest(url_.scheme() != QLatin1String("ftp"));
}

void NetworkImageGetter::sendRequest(bool headerOnly) {
    QNetworkRequest request(url_);
    request.setTransferTimeout(transferTimeoutMs_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    stage_ = headerOnly ? HeaderSent : ContentSent;
    QNetworkReply* reply = headerOnly ? manager_->head(request) : manager_->get(request);
    if (!headerOnly) {
        connect(reply, &QNetworkReply::downloadProgress, this,
                [this, reply](qint64 received, qint64 total) {
                    if (tooLarge(total) || tooLarge(received))
                        stopTooLarge(reply, qMax(received, total));
                });
    }
}

void NetworkImageGetter::logTooLarge(qint64 bytes) const {
    beginLogLine() << "NetworkImageGetter: Download stopped: " << url_.toString() << " has "
                   << bytes << " bytes, more than " << maxBytes_;
    endLogLine();
}

void NetworkImageGetter::stopTooLarge(QNetworkReply* reply, qint64 bytes) {
    if (!reply->isRunning())
        return;
    logTooLarge(bytes);
    reply->abort();   // finishes with an error, which ends the getter
}

void NetworkImageGetter::replyFinished(QNetworkReply* reply) {
    reply->deleteLater();
    if (stage_ == Done)
        return;
    if (reply->error() != QNetworkReply::NoError) {
        finish();
        return;
    }
    if (stage_ == HeaderSent)
        chooseFormat(reply);
    else if (stage_ == ContentSent)
        readImage(reply);
}

void NetworkImageGetter::chooseFormat(QNetworkReply* reply) {
    const QString contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (!contentType.contains(QLatin1String("image"))) {
        finish();
        return;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && tooLarge(length.toLongLong())) {
        logTooLarge(length.toLongLong());
        finish();
        return;
    }
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        if (contentType.contains(QString::fromLatin1(format))) {
            format_ = format;
            sendRequest(false);
            return;
        }
    }
    beginLogLine() << "NetworkImageGetter: Failed to load image" << url_.toString()
                   << "Unsupported content type: " << contentType;
    endLogLine();
    finish();
}

void NetworkImageGetter::readImage(QNetworkReply* reply) {
    const QByteArray bytes = reply->readAll();
    if (tooLarge(bytes.size())) {
        finish();
        return;
    }
    const IntakeResult read = readIntakeBytes(bytes, format_, url_.toString());
    if (read.image.isNull()) {
        beginLogLine() << "NetworkImageGetter: Failed to load image" << url_.toString()
                       << ", format: " << QString::fromLatin1(format_);
        endLogLine();
    } else {
        image_ = read.image;
        emit imageReceived(NamedImage(image_, url_));
    }
    finish();
}

void NetworkImageGetter::finish() {
    stage_ = Done;
    emit finished();
}
