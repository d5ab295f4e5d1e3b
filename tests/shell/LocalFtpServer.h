#pragma once

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

namespace zqtest {

/// A small passive-mode FTP server on 127.0.0.1 and a free port that serves files from memory
/// to anonymous users, for the download tests. Every command is recorded as it arrives.
class LocalFtpServer : public QObject {
    Q_OBJECT
public:
    LocalFtpServer();
    ~LocalFtpServer() override;

    void setFile(const QString& path, const QByteArray& content) { files_[path] = content; }

    /// "ftp://127.0.0.1:<port>" + path.
    QUrl url(const QString& path) const;

    /// The commands received, without their arguments ("USER", "RETR", ...).
    const QStringList& commands() const { return commands_; }

private:
    void command(QTcpSocket* control, const QByteArray& line);
    void sendFile(QTcpSocket* control, const QByteArray& content);

    QTcpServer server_;
    QTcpServer data_;
    QPointer<QTcpSocket> dataSocket_;
    QMap<QString, QByteArray> files_;
    QStringList commands_;
    QByteArray pending_;   // a file waiting for the data connection
    QPointer<QTcpSocket> pendingControl_;
};

}  // namespace zqtest
