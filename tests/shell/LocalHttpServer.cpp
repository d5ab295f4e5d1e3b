#include "LocalHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>

LocalHttpServer::LocalHttpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                const QByteArray request = socket->peek(socket->bytesAvailable());
                if (!request.contains("\r\n\r\n"))
                    return;   // the rest of the header is still on its way
                socket->readAll();
                const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
                const QString path =
                    requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
                requests_.append(path);
                const Answer answer = answers_.value(
                    path, Answer{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n"
                                 "Connection: close\r\n\r\n",
                                 false});
                if (!answer.drop)
                    socket->write(answer.raw);
                socket->disconnectFromHost();
            });
        }
    });
}

QString LocalHttpServer::address(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void LocalHttpServer::answer(const QString& path, int status, const QByteArray& reason,
                             const QByteArray& body, const QByteArray& extraHeaders) {
    Answer answer;
    answer.raw = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n" +
                 "Content-Type: text/html; charset=utf-8\r\n" + extraHeaders +
                 "Content-Length: " + QByteArray::number(body.size()) +
                 "\r\nConnection: close\r\n\r\n" + body;
    answers_[path] = answer;
}

void LocalHttpServer::dropConnection(const QString& path) {
    Answer answer;
    answer.drop = true;
    answers_[path] = answer;
}
