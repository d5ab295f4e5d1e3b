#pragma once

#include <QByteArray>
#include <QObject>
#include <QSettings>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

/// One background check against a page of the product's site: the update check and the news
/// check. At most one request is under way at a time. Until a stored date the check can be
/// suppressed ("Remind Me Later"); a caching check remembers a digest of the page's HTML block
/// once the receiver accepted it, and stays quiet while the page keeps that digest.
///
/// Settings, with the key prefix P ("Update" or "News"): P "SupressUntil", the end of the
/// suppression in seconds since 1970; P "Cache", the 16-byte MD5 digest last accepted.
class HttpRequest : public QObject {
    Q_OBJECT
public:
    HttpRequest(const QString& address, const QString& keyPrefix, bool cacheReplies,
                QObject* parent = nullptr);
    ~HttpRequest() override;

    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    const QString& address() const { return address_; }
    QString suppressKey() const { return keyPrefix_ + QStringLiteral("SupressUntil"); }
    QString cacheKey() const { return keyPrefix_ + QStringLiteral("Cache"); }

    /// Whether now is before the stored suppression date; logs both.
    bool isSuppressed();
    bool isPending() const { return pending_ != nullptr; }
    bool isForced() const { return forced_; }
    void setForced(bool forced) { forced_ = forced; }

    /// Of the last reply that arrived without a transport error.
    int httpStatus() const { return status_; }
    const QString& reasonPhrase() const { return reason_; }
    const QString& body() const { return body_; }

signals:
    /// The page arrived with status 200 (and, for a caching check, changed or forced). The
    /// receiver answers whether the user saw it; false when nobody is connected.
    bool response(QString result, bool forced);
    /// The status of every reply that arrived without a transport error.
    void httpStatusCode(int statusCode);

public slots:
    /// Sets the forced flag; when no request is under way, sends one (unless suppressed and
    /// not forced).
    void kickOffTransfer(bool force);
    void kickOffTransfer();
    /// No unforced request until `days` days from now, across restarts.
    void supress(uint days);
    void getFinishedSlot(QNetworkReply* reply);

private:
    void handleReply();

    QNetworkAccessManager* manager_ = nullptr;
    QString address_;
    QString keyPrefix_;
    bool cacheReplies_ = false;
    QNetworkReply* pending_ = nullptr;
    int status_ = 0;
    QString reason_;
    QString body_;
    QSettings settings_;
    bool forced_ = false;
};
