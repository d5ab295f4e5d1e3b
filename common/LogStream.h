#pragma once

#include <QDateTime>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTextStream>
#include <QtGlobal>

#include <memory>

class QByteArray;
class QIODevice;

/// The one log of a run: a text stream onto "<log folder>/<start time>.txt", written in UTF-8,
/// one line per entry, every line starting with `logTimeStamp` and flushed at once. Qt's own
/// messages reach it through `logMessageHandler`, routed per message type to standard error,
/// to the file, to both or to neither.
///
/// The application object holds one as a member from the first moment of its life; whoever
/// writes a line before that (`beginLogLine`) gets one made on the spot. Any thread may log:
/// every line is written whole under one lock of the log (`writeLine`, `dispatch`,
/// `endLogLine` and Qt's messages), so lines of several threads never mix. Build, route and
/// destroy the stream on the GUI thread while no other thread logs; write to it only through
/// these functions, never with `<<` directly.
class LogStream : public QTextStream {
public:
    /// Makes the log folder (owner-only), deletes logs of seven or more days before the start
    /// time, opens the log file for appending and writes its first line, the file's own path.
    /// Without a file the lines go to /dev/null; when even that cannot be opened, or the log
    /// folder cannot be made safely, they are dropped (never kept in memory).
    LogStream();

    /// Reinstalls the message handler that was in place before `installMessageHandler`, so no
    /// message reaches a destroyed stream, then closes the file.
    ~LogStream() override;

    LogStream(const LogStream&) = delete;
    LogStream& operator=(const LogStream&) = delete;

    /// Where messages of one Qt type go. A type never routed goes nowhere.
    void setRouting(QtMsgType type, bool toStandardError, bool toLogFile);

    /// The routing of a normal run: critical and fatal to standard error, warnings and fatal
    /// to the log file, debug and information nowhere. Called by the application object's
    /// start-up just before `installMessageHandler`.
    void setStandardRouting();

    /// Installs `logMessageHandler` as Qt's message handler and keeps the one it replaces.
    void installMessageHandler();

    /// Sends one UTF-8 message as its type's routing says; a fatal message then aborts the
    /// process. Any thread.
    void dispatch(QtMsgType type, const QByteArray& utf8Text);

    /// One whole log line: time stamp, text, newline, flush. Any thread.
    void writeLine(const QByteArray& utf8Text);

    /// The full path of the log file, empty when the lines have no file ("/dev/null" counts
    /// as no file).
    QString filePath() const;

private:
    bool routedToStandardError(QtMsgType type);
    bool routedToLogFile(QtMsgType type);
    void openLogFile();

    QtMessageHandler previousHandler_ = nullptr;
    bool handlerInstalled_ = false;
    QMap<int, bool> toStandardError_;
    QMap<int, bool> toLogFile_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QIODevice> discard_;   // the destination when there is no file at all
};

/// The stream of this process, or null while none exists. Set when a `LogStream` starts to be
/// built, cleared by its destructor, both under the log's lock.
extern LogStream* theLogStream;

/// The canonical path of the temporary folder (QDir::tempPath(), so TMPDIR counts) when it
/// names a folder that exists; empty when it does not (TMPDIR names a missing folder). Every
/// temporary file of ours goes below it, so none lands at the root of the file system.
QString temporaryFolder();

/// `temporaryFolder()` followed by "/Zolquist"; empty when there is no temporary folder. The
/// name is a constant: it does not follow the Qt application name, which start-up sets only
/// later.
QString logFolder();

/// Makes `folder` (an absolute path) and the folders above it when they are missing, `folder`
/// readable and writable by its owner only (0700), and checks that it is a real folder (not a
/// link) owned by this user. False when it cannot be made or is not ours: then nothing of ours
/// may be written into it. Safe to call repeatedly.
bool ensurePrivateFolder(const QString& folder);

/// `ensurePrivateFolder` for the log folder; false when there is none. The crash guard calls
/// it when it prepares the dump path, before any log exists.
bool ensureLogFolder();

/// The local date and time at the first call in this process, kept for the whole run. The
/// crash guard makes the first call, so that the dump and the log of one run share a name.
QDateTime logStartTime();

/// `logFolder` + "/" + the start time as "yyyy.MM.dd_hh.mm.ss.zzz"; the log is this + ".txt".
QString logFileBaseName();

/// `logFileBaseName` + ".dmp": where the crash guard writes its dump.
QString crashDumpFileName();

/// The current local time as "hh:mm:ss.zzz " (with the trailing blank).
QString logTimeStamp();

/// Starts a log line of the calling thread and returns the stream to append to: a buffer of
/// that thread's own, so that nothing of the line reaches the log before it is complete. End
/// the line with `endLogLine`. Any thread.
QTextStream& beginLogLine();

/// Ends the line started by `beginLogLine` on this thread: makes a `LogStream` when none
/// exists yet and writes the line there whole (time stamp, text, newline, flush).
void endLogLine();

/// Qt's message handler: hands the message, as UTF-8, to `theLogStream`'s `dispatch`, or drops
/// it (a fatal one included) when no stream exists. The context is not used.
void logMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);
