#pragma once

#include "masking/NamedImage.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

/// Downloads one picture. For "http" it first asks for the headers only (HEAD) and fetches the
/// content (GET) only when the content type names an image format we can read; "ftp" has no
/// content type, so it is fetched at once and its format told from the content. The picture
/// is taken in like every other (upright, bounded, ARGB32).
///
/// A transfer that stalls longer than the time-out, or that announces or delivers more than the
/// byte limit, is given up. Redirects are not followed. Emits `finished()` exactly once when
/// done, whatever happened; the owner deletes it then. GUI thread.
class NetworkImageGetter : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultTransferTimeoutMs = 20000;
    static constexpr qint64 defaultMaxBytes = qint64(64) * 1024 * 1024;

    explicit NetworkImageGetter(const QUrl& url, int transferTimeoutMs = defaultTransferTimeoutMs,
                                qint64 maxBytes = defaultMaxBytes);
    ~NetworkImageGetter() override;

    /// Sends the first request.
    void start();

    const QUrl& url() const { return url_; }

signals:
    void imageReceived(NamedImage image);
    void finished();

public slots:
    void replyFinished(QNetworkReply* reply);

private:
    enum Stage { Idle = 0, HeaderSent = 1, ContentSent = 2, Done = 3 };

    void sendRequest(bool headerOnly);
    bool tooLarge(qint64 bytes) const { return bytes > maxBytes_; }
    void logTooLarge(qint64 bytes) const;
    void stopTooLarge(QNetworkReply* reply, qint64 bytes);
    void chooseFormat(QNetworkReply* reply);
    void readImage(QNetworkReply* reply);
    void finish();

    QUrl url_;
    QNetworkAccessManager* manager_;
    QImage image_;
    int stage_ = Idle;
    QByteArray format_;
    int transferTimeoutMs_;
    qint64 maxBytes_;
};
