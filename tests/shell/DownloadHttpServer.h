#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace zqtest {

/// A small HTTP/1.0 server on 127.0.0.1 and a free port, for the download tests. Each path
/// has one answer; every request is recorded as "METHOD /path".
class DownloadHttpServer : public QObject {
    Q_OBJECT
public:
    enum class Behaviour {
        Answer,          // status, content type and body; HEAD gets the headers only
        Stall,           // reads the request and never answers
        Endless,         // a 200 image/png header, then bytes without end
        Held,            // waits for `release` to give the answer
    };
    struct Answer {
        Behaviour behaviour = Behaviour::Answer;
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        qint64 announcedLength = -1;   // Content-Length to send; -1 sends the body's
    };

    DownloadHttpServer();
    ~DownloadHttpServer() override;

    void setAnswer(const QString& path, const Answer& answer) { answers_[path] = answer; }

    /// Answers the requests held for `path`, and later ones, with `answer`.
    void release(const QString& path, const Answer& answer);

    /// "http://127.0.0.1:<port>" + path.
    QUrl url(const QString& path) const;

    const QStringList& requests() const { return requests_; }

private:
    void serve(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const QByteArray& method, const Answer& answer);

    QTcpServer server_;
    QMap<QString, Answer> answers_;
    QStringList requests_;
    QMap<QString, QList<QPair<QPointer<QTcpSocket>, QByteArray>>> held_;
};

}  // namespace zqtest
