#include "shell/HttpRequest.h"

#include "common/LogStream.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

void logLine(const QString& text) {
    beginLogLine() << text;
    endLogLine();
}

/// MD5 of the page's first "<html" through its first "</html>"; empty when the page has no
/// such block.
QByteArray htmlDigest(const QString& body) {
    const int start = body.indexOf(QLatin1String("<html"));
    const int end = body.indexOf(QLatin1String("</html>"));
    if (start < 0 || end < 0 || start >= end)
        return QByteArray();
    const int length = end + int(qstrlen("</html>")) - start;
    return QCryptographicHash::hash(body.mid(start, length).toUtf8(), QCryptographicHash::Md5);
}

}  // namespace

HttpRequest::HttpRequest(const QString& address, const QString& keyPrefix, bool cacheReplies,
                         QObject* parent)
    : QObject(parent),
      manager_(new QNetworkAccessManager(this)),
      address_(address),
      keyPrefix_(keyPrefix),
      cacheReplies_(cacheReplies) {
    connect(manager_, &QNetworkAccessManager::finished, this, &HttpRequest::getFinishedSlot);
}

HttpRequest::~HttpRequest() {
    disconnect(manager_, nullptr, this, nullptr);
    delete manager_;   // and with it a reply still under way
}

bool HttpRequest::isSuppressed() {
    const QDateTime now = QDateTime::currentDateTime();
    const QVariant stored = settings_.value(suppressKey());
    const QDateTime threshold =
        stored.isValid() ? QDateTime::fromSecsSinceEpoch(stored.toUInt()) : now;
    logLine(keyPrefix_ + QStringLiteral(" Current : ") + now.toString(Qt::TextDate) +
            QStringLiteral(" Threshold: ") + threshold.toString(Qt::TextDate));
    return now < threshold;
}

void HttpRequest::kickOffTransfer(bool force) {
    forced_ = force;
    if (pending_)
        return;
    if (!forced_ && isSuppressed())
        return;
    status_ = 0;
    reason_.clear();
    body_.clear();
    QNetworkRequest request{QUrl(address_)};
    // A redirect is an answer of its own, never followed to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    pending_ = manager_->get(request);
}

void HttpRequest::kickOffTransfer() { kickOffTransfer(false); }

void HttpRequest::supress(uint days) {
    const QDateTime until = QDateTime::currentDateTime().addDays(days);
    settings_.setValue(suppressKey(), uint(until.toSecsSinceEpoch()));
    logLine(keyPrefix_ + QStringLiteral(" supressed until ") + until.toString(Qt::TextDate));
}

void HttpRequest::getFinishedSlot(QNetworkReply* reply) {
    if (reply != pending_) {
        reply->deleteLater();
        return;
    }
    pending_ = nullptr;
    if (reply->error() != QNetworkReply::NoError) {
        logLine(QStringLiteral("Error getting URL: %1. %2").arg(address_, reply->errorString()));
    } else {
        body_ = QString::fromUtf8(reply->readAll());
        status_ = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        reason_ = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        handleReply();
    }
    reply->deleteLater();
}

void HttpRequest::handleReply() {
    emit httpStatusCode(status_);
    if (status_ != 200) {
        logLine(QStringLiteral("Http request for %1 return no error but non-200 status code %2 - %3")
                    .arg(address_)
                    .arg(status_)
                    .arg(reason_));
        return;
    }
    QByteArray digest;
    if (cacheReplies_) {
        digest = htmlDigest(body_);
        // An empty digest (no HTML block) never counts as seen: such a page is always offered.
        if (!digest.isEmpty() && digest == settings_.value(cacheKey()).toByteArray() && !forced_)
            return;
    }
    const bool seen = emit response(body_, forced_);
    if (cacheReplies_ && seen)
        settings_.setValue(cacheKey(), digest);
}
