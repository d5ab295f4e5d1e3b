#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>

/// A small HTTP server on 127.0.0.1 and a free port, for network code under test. Each path
/// answers as set (a status, a reason and a body, or a dropped connection); an unknown path
/// answers 404. Every connection serves one request and is then closed.
class LocalHttpServer : public QObject {
    Q_OBJECT
public:
    LocalHttpServer();

    bool isListening() const { return server_.isListening(); }
    /// "http://127.0.0.1:<port><path>"; `path` starts with "/".
    QString address(const QString& path) const;

    void answer(const QString& path, int status, const QByteArray& reason, const QByteArray& body,
                const QByteArray& extraHeaders = QByteArray());
    /// The connection is closed as soon as the request has arrived, without a byte of answer.
    void dropConnection(const QString& path);

    /// The paths requested so far, in order.
    const QStringList& requests() const { return requests_; }
    int requestCount(const QString& path) const { return requests_.count(path); }

private:
    struct Answer {
        QByteArray raw;
        bool drop = false;
    };
    QTcpServer server_;
    QMap<QString, Answer> answers_;
    QStringList requests_;
};
