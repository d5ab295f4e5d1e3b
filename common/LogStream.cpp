#include "common/LogStream.h"

#include "common/Product.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

LogStream* theLogStream = nullptr;

namespace {

constexpr int logAgeLimitDays = 7;

// The one lock of the log: whoever writes to the stream, reads or changes its routing, or sets
// `theLogStream` holds it. Recursive, because the stream reports its own troubles through
// qWarning, and Qt hands that back to `logMessageHandler` on the same thread.
std::recursive_mutex& logLock() {
    static std::recursive_mutex lock;
    return lock;
}

// A line being put together by `beginLogLine` on one thread, written whole by `endLogLine`.
struct PendingLine {
    QString text;
    QTextStream stream{&text, QIODevice::WriteOnly};
};

PendingLine& pendingLine() {
    thread_local PendingLine line;
    return line;
}

// Swallows everything written to it: the destination of a stream that has nowhere to write,
// so that lines are dropped instead of piling up in memory for the whole run.
class DiscardDevice : public QIODevice {
public:
    DiscardDevice() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override { return length; }
};

// The stream `beginLogLine` makes when it is called before the application object's own
// stream exists, or after it is gone; it stays for the rest of the process.
std::unique_ptr<LogStream>& lateStream() {
    static std::unique_ptr<LogStream> stream;
    return stream;
}

// Deletes "20*.txt" logs from oldest to youngest by modification time, stopping at the first
// one that is younger than the age limit: a recently touched old log shields those behind it.
void deleteOldLogs(const QString& folder, const QDateTime& startTime) {
    const QFileInfoList logs = QDir(folder).entryInfoList(
        {QStringLiteral("20*.txt")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
        QDir::Time | QDir::Reversed);
    for (const QFileInfo& log : logs) {
        if (log.lastModified().daysTo(startTime) < logAgeLimitDays)
            break;
        QFile::remove(log.absoluteFilePath());
    }
}

}  // namespace

LogStream::LogStream() : discard_(std::make_unique<DiscardDevice>()) {
    std::lock_guard<std::recursive_mutex> hold(logLock());
    theLogStream = this;
    // Until a file is open, and for good when none opens, lines are dropped.
    setDevice(discard_.get());
    if (!ensureLogFolder()) {
        if (logFolder().isEmpty())
            qWarning("Could not establish logger: the temporary folder %s does not exist",
                     qgetenv("TMPDIR").constData());
        else
            qWarning("Could not establish logger: the folder %s cannot be used",
                     qUtf8Printable(logFolder()));
        return;
    }
    deleteOldLogs(logFolder(), logStartTime());
    openLogFile();
}

LogStream::~LogStream() {
    std::lock_guard<std::recursive_mutex> hold(logLock());
    if (handlerInstalled_)
        qInstallMessageHandler(previousHandler_);
    flush();
    setDevice(nullptr);
    file_.reset();
    discard_.reset();
    if (theLogStream == this)
        theLogStream = nullptr;
}

void LogStream::openLogFile() {
    const QString path = logFileBaseName() + QStringLiteral(".txt");
    file_ = std::make_unique<QFile>(path);
    // setDevice puts the locale's codec back: UTF-8 is set after it.
    if (file_->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        setDevice(file_.get());
        setCodec("UTF-8");
        writeLine(path.toUtf8());
        return;
    }
    file_->setFileName(QStringLiteral("/dev/null"));
    if (file_->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        setDevice(file_.get());
        setCodec("UTF-8");
        return;
    }
    file_.reset();
    qWarning("Could not establish logger: Failed to open file %s", qUtf8Printable(path));
}

QString LogStream::filePath() const {
    if (!file_ || file_->fileName() == QLatin1String("/dev/null"))
        return QString();
    return file_->fileName();
}

void LogStream::setRouting(QtMsgType type, bool toStandardError, bool toLogFile) {
    std::lock_guard<std::recursive_mutex> hold(logLock());
    toStandardError_[type] = toStandardError;
    toLogFile_[type] = toLogFile;
}

void LogStream::setStandardRouting() {
    setRouting(QtDebugMsg, false, false);
    setRouting(QtWarningMsg, false, true);
    setRouting(QtCriticalMsg, true, false);
    setRouting(QtFatalMsg, true, true);
    setRouting(QtInfoMsg, false, false);
}

void LogStream::installMessageHandler() {
    QtMessageHandler previous = qInstallMessageHandler(logMessageHandler);
    if (!handlerInstalled_) {
        previousHandler_ = previous;
        handlerInstalled_ = true;
    }
}

bool LogStream::routedToStandardError(QtMsgType type) {
    return toStandardError_[type];   // a type never routed is entered as false
}

bool LogStream::routedToLogFile(QtMsgType type) {
    return toLogFile_[type];
}

void LogStream::dispatch(QtMsgType type, const QByteArray& utf8Text) {
    std::lock_guard<std::recursive_mutex> hold(logLock());
    if (routedToStandardError(type)) {
        std::fwrite(utf8Text.constData(), 1, static_cast<size_t>(utf8Text.size()), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    if (routedToLogFile(type))
        writeLine(utf8Text);
    if (type == QtFatalMsg)
        std::abort();
}

void LogStream::writeLine(const QByteArray& utf8Text) {
    std::lock_guard<std::recursive_mutex> hold(logLock());
    *this << logTimeStamp() << utf8Text << '\n';
    flush();
}

QString temporaryFolder() {
    // Qt gives the canonical path of TMPDIR, which is empty when that names nothing: every
    // name made from it would then start at the root of the file system.
    const QString temporary = QDir::tempPath();
    if (temporary.isEmpty() || !QFileInfo(temporary).isDir())
        return QString();
    const QString canonical = QFileInfo(temporary).canonicalFilePath();
    return canonical.isEmpty() ? temporary : canonical;
}

QString logFolder() {
    const QString temporary = temporaryFolder();
    if (temporary.isEmpty())
        return QString();
    return temporary + QLatin1Char('/') + QLatin1String(Product::applicationName);
}

bool ensureLogFolder() {
    const QString folder = logFolder();
    return !folder.isEmpty() && ensurePrivateFolder(folder);
}

bool ensurePrivateFolder(const QString& folder) {
    if (!QDir::isAbsolutePath(folder) || !QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
    const QByteArray path = QFile::encodeName(folder);
    // Made owner-only from the start; in a shared folder someone else may have made the name
    // first, so it has to be a real folder of ours before anything goes into it.
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return false;
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode)
        || status.st_uid != ::geteuid())
        return false;
    if ((status.st_mode & 07777) != S_IRWXU && ::chmod(path.constData(), S_IRWXU) != 0)
        return false;
    return true;
}

QDateTime logStartTime() {
    static const QDateTime startTime = QDateTime::currentDateTime();
    return startTime;
}

QString logFileBaseName() {
    return logFolder() + QLatin1Char('/')
           + logStartTime().toString(QStringLiteral("yyyy.MM.dd_hh.mm.ss.zzz"));
}

QString crashDumpFileName() {
    return logFileBaseName() + QStringLiteral(".dmp");
}

QString logTimeStamp() {
    return QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz "));
}

QTextStream& beginLogLine() {
    PendingLine& line = pendingLine();
    line.stream.flush();
    line.text.clear();
    line.stream.reset();   // no number base or field width left over from the last line
    return line.stream;
}

void endLogLine() {
    PendingLine& line = pendingLine();
    line.stream.flush();
    const QByteArray text = line.text.toUtf8();
    line.text.clear();
    std::lock_guard<std::recursive_mutex> hold(logLock());
    if (!theLogStream)
        lateStream() = std::make_unique<LogStream>();
    theLogStream->writeLine(text);
}

void logMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    std::lock_guard<std::recursive_mutex> hold(logLock());
    if (theLogStream)
        theLogStream->dispatch(type, message.toUtf8());
}
