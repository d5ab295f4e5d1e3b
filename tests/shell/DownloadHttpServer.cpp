#include "tests/shell/DownloadHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

namespace zqtest {

DownloadHttpServer::DownloadHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

DownloadHttpServer::~DownloadHttpServer() = default;

QUrl DownloadHttpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void DownloadHttpServer::serve(QTcpSocket* socket) {
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
    const QByteArray method = words.value(0);
    const QString path = QString::fromLatin1(words.value(1));
    requests_.append(QString::fromLatin1(method) + QLatin1Char(' ') + path);
    const Answer answer = answers_.value(path, Answer{Behaviour::Answer, 404, "text/html", "none"});
    respond(socket, method, answer);
    if (answer.behaviour == Behaviour::Held)
        held_[path].append({socket, method});
}

void DownloadHttpServer::release(const QString& path, const Answer& answer) {
    answers_[path] = answer;
    const auto waiting = held_.take(path);
    for (const auto& request : waiting) {
        if (request.first)
            respond(request.first, request.second, answer);
    }
}

void DownloadHttpServer::respond(QTcpSocket* socket, const QByteArray& method, const Answer& answer) {
    switch (answer.behaviour) {
    case Behaviour::Stall:
    case Behaviour::Held:
        return;
    case Behaviour::Endless: {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n");
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] {
            if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < (1 << 20))
                socket->write(QByteArray(64 * 1024, 'x'));
        });
        timer->start(1);
        return;
    }
    case Behaviour::Answer:
        break;
    }
    const qint64 length = answer.announcedLength >= 0 ? answer.announcedLength : answer.body.size();
    QByteArray head = "HTTP/1.0 " + QByteArray::number(answer.status) + " X\r\n";
    if (!answer.contentType.isEmpty())
        head += "Content-Type: " + answer.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
    socket->write(head);
    if (method != "HEAD")
        socket->write(answer.body);
    socket->disconnectFromHost();
}

}  // namespace zqtest
