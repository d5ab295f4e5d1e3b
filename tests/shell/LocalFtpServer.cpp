#include "tests/shell/LocalFtpServer.h"

#include <QTcpSocket>

namespace zqtest {

LocalFtpServer::LocalFtpServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* control = server_.nextPendingConnection()) {
            control->setParent(this);
            control->write("220 ready\r\n");
            connect(control, &QTcpSocket::readyRead, this, [this, control] {
                while (control->canReadLine())
                    command(control, control->readLine().trimmed());
            });
        }
    });
    connect(&data_, &QTcpServer::newConnection, this, [this] {
        dataSocket_ = data_.nextPendingConnection();
        if (pendingControl_)
            sendFile(pendingControl_, pending_);
    });
}

LocalFtpServer::~LocalFtpServer() = default;

QUrl LocalFtpServer::url(const QString& path) const {
    return QUrl(QStringLiteral("ftp://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void LocalFtpServer::command(QTcpSocket* control, const QByteArray& line) {
    const int blank = line.indexOf(' ');
    const QByteArray verb = (blank < 0 ? line : line.left(blank)).toUpper();
    const QString argument = blank < 0 ? QString() : QString::fromUtf8(line.mid(blank + 1));
    const QString path = argument.startsWith(QLatin1Char('/')) ? argument : QLatin1Char('/') + argument;
    commands_.append(QString::fromLatin1(verb));
    if (verb == "USER") {
        control->write("331 password please\r\n");
    } else if (verb == "PASS") {
        control->write("230 logged in\r\n");
    } else if (verb == "TYPE" || verb == "MODE" || verb == "STRU") {
        control->write("200 ok\r\n");
    } else if (verb == "SYST") {
        control->write("215 UNIX Type: L8\r\n");
    } else if (verb == "PWD") {
        control->write("257 \"/\"\r\n");
    } else if (verb == "CWD") {
        control->write("250 ok\r\n");
    } else if (verb == "SIZE") {
        control->write(files_.contains(path)
                           ? "213 " + QByteArray::number(files_[path].size()) + "\r\n"
                           : QByteArray("550 no such file\r\n"));
    } else if (verb == "MDTM") {
        control->write(files_.contains(path) ? QByteArray("213 20260101120000\r\n")
                                             : QByteArray("550 no such file\r\n"));
    } else if (verb == "PASV") {
        if (!data_.isListening())
            data_.listen(QHostAddress::LocalHost, 0);
        const quint16 port = data_.serverPort();
        control->write("227 Entering Passive Mode (127,0,0,1," + QByteArray::number(port >> 8) +
                       "," + QByteArray::number(port & 0xFF) + ")\r\n");
    } else if (verb == "EPSV") {
        if (!data_.isListening())
            data_.listen(QHostAddress::LocalHost, 0);
        control->write("229 Entering Extended Passive Mode (|||" +
                       QByteArray::number(data_.serverPort()) + "|)\r\n");
    } else if (verb == "RETR") {
        if (!files_.contains(path)) {
            control->write("550 no such file\r\n");
            return;
        }
        control->write("150 sending\r\n");
        pending_ = files_[path];
        pendingControl_ = control;
        if (dataSocket_)
            sendFile(control, pending_);
    } else if (verb == "HELP") {
        control->write("214-The following commands are recognized:\r\n"
                       " USER PASS TYPE SYST PWD CWD SIZE MDTM PASV EPSV RETR QUIT HELP\r\n"
                       "214 Help OK.\r\n");
    } else if (verb == "QUIT") {
        control->write("221 bye\r\n");
        control->disconnectFromHost();
    } else {
        control->write("502 not implemented\r\n");
    }
}

void LocalFtpServer::sendFile(QTcpSocket* control, const QByteArray& content) {
    pendingControl_ = nullptr;
    QTcpSocket* data = dataSocket_;
    dataSocket_ = nullptr;
    data->write(content);
    // The transfer is complete once the data connection has closed, as on a real server.
    const QPointer<QTcpSocket> controlSocket = control;
    connect(data, &QTcpSocket::disconnected, this, [data, controlSocket] {
        if (controlSocket)
            controlSocket->write("226 done\r\n");
        data->deleteLater();
    });
    data->disconnectFromHost();
}

}  // namespace zqtest
