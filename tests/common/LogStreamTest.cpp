#include "common/LogStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCodec>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

const QString timeStampPattern = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ");

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void touch(const QString& path, const QDateTime& modified) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("old log\n");
    ASSERT_TRUE(file.flush());   // a later write would make it new again
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

// Collects what Qt's default output would have shown, to see the warnings of the stream.
QStringList& caughtMessages() {
    static QStringList messages;
    return messages;
}

void catchMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    caughtMessages().append(message);
}

void emitMessage(QtMsgType type, const char* text) {
    switch (type) {
    case QtDebugMsg: qDebug("%s", text); break;
    case QtWarningMsg: qWarning("%s", text); break;
    case QtCriticalMsg: qCritical("%s", text); break;
    case QtInfoMsg: qInfo("%s", text); break;
    case QtFatalMsg: break;
    }
}

class LogStreamTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(logFolder()).removeRecursively(); }
    void TearDown() override {
        QFile::remove(logFolder());   // when a test made it a plain file
        QDir(logFolder()).removeRecursively();
    }
};

}  // namespace

TEST_F(LogStreamTest, FolderAndFileAreNamedByTheStartTimeInTheTemporaryFolder) {
    const QString temporary = QFileInfo(QString::fromLocal8Bit(qgetenv("TMPDIR"))).canonicalFilePath();
    EXPECT_EQ(logFolder(), temporary + QStringLiteral("/Zolquist"));
    const QString stamp = logStartTime().toString(QStringLiteral("yyyy.MM.dd_hh.mm.ss.zzz"));
    EXPECT_EQ(logFileBaseName(), temporary + QStringLiteral("/Zolquist/") + stamp);
    EXPECT_EQ(crashDumpFileName(), logFileBaseName() + QStringLiteral(".dmp"));
    EXPECT_EQ(logStartTime(), logStartTime()) << "the start time is fixed for the run";
}

TEST_F(LogStreamTest, FirstLineIsTheFilesOwnPathAndEveryLineStartsWithTheTime) {
    const QString path = logFileBaseName() + QStringLiteral(".txt");
    {
        LogStream stream;
        EXPECT_EQ(theLogStream, &stream);
        EXPECT_EQ(stream.filePath(), path);
        beginLogLine() << "MID: " << 42;
        endLogLine();
    }
    EXPECT_EQ(theLogStream, nullptr);
    const QStringList lines = fileLines(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + timeStampPattern
                                   + QRegularExpression::escape(path) + QStringLiteral("$"))
                    .match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + timeStampPattern + QStringLiteral("MID: 42$"))
                    .match(lines[1]).hasMatch())
        << lines[1].toStdString();
}

TEST_F(LogStreamTest, LinesAreWrittenInUtf8WhateverTheLocale) {
    const QString path = logFileBaseName() + QStringLiteral(".txt");
    QTextCodec* const localeCodec = QTextCodec::codecForLocale();
    for (const char* codec : {"UTF-8", "ISO-8859-1"}) {
        SCOPED_TRACE(codec);
        QFile::remove(path);
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(codec));
        {
            LogStream stream;
            beginLogLine() << QStringLiteral("Gr\u00f6\u00dfe \u2713 \u65e5");
            endLogLine();
            stream.writeLine(QByteArray("caf\xc3\xa9"));
        }
        QTextCodec::setCodecForLocale(localeCodec);
        const QByteArray bytes = fileBytes(path);
        EXPECT_TRUE(bytes.contains("Gr\xc3\xb6\xc3\x9f" "e \xe2\x9c\x93 \xe6\x97\xa5\n"));
        EXPECT_TRUE(bytes.contains(" caf\xc3\xa9\n"));
    }
}

TEST_F(LogStreamTest, FolderIsOwnerOnlyEvenWhenItExistedOpenToAll) {
    ASSERT_TRUE(QDir().mkpath(logFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(logFolder()).constData(), 0777), 0);
    LogStream stream;
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(logFolder()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_FALSE(stream.filePath().isEmpty());
}

TEST_F(LogStreamTest, LinkedFolderIsNotWrittenInto) {
    // In a shared temporary folder another user could make the name first, as a link.
    const QString elsewhere = QDir::tempPath() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, logFolder()));
    caughtMessages().clear();
    const QtMessageHandler previous = qInstallMessageHandler(catchMessage);
    {
        LogStream stream;
        EXPECT_TRUE(stream.filePath().isEmpty());
        beginLogLine() << "dropped";
        endLogLine();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden).isEmpty());
    ASSERT_FALSE(caughtMessages().isEmpty());
    EXPECT_TRUE(caughtMessages().first().startsWith(QStringLiteral("Could not establish logger:")));
    QFile::remove(logFolder());
    QDir(elsewhere).removeRecursively();
}

TEST_F(LogStreamTest, WithoutAFileLinesAreDroppedNotKeptInMemory) {
    // A plain file where the folder should be: nothing can be written.
    ASSERT_TRUE(QFile(logFolder()).open(QIODevice::WriteOnly));
    LogStream stream;
    EXPECT_TRUE(stream.filePath().isEmpty());
    for (int line = 0; line < 1000; ++line) {
        beginLogLine() << "line " << line;
        endLogLine();
    }
    EXPECT_EQ(stream.string(), nullptr) << "the lines would pile up in a string";
    ASSERT_NE(stream.device(), nullptr);
    EXPECT_FALSE(stream.device()->isReadable()) << "nothing to read back: the lines are gone";
}

TEST_F(LogStreamTest, UnopenableLogFileFallsBackToTheNullDevice) {
    ASSERT_TRUE(QDir().mkpath(logFileBaseName() + QStringLiteral(".txt")));   // a folder in its way
    LogStream stream;
    EXPECT_TRUE(stream.filePath().isEmpty());
    auto* device = qobject_cast<QFile*>(stream.device());
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->fileName(), QStringLiteral("/dev/null"));
    EXPECT_FALSE(QFileInfo::exists(logFolder() + QStringLiteral("/nul")));
}

TEST_F(LogStreamTest, LogsOfSevenOrMoreDaysAgoAreDeletedByModificationTime) {
    struct Case {
        const char* name;
        int daysOld;
        bool kept;
    };
    const Case cases[] = {
        {"2021.03.01_10.00.00.000.txt", 10, false},
        {"2021.03.04_10.00.00.000.txt", 7, false},
        {"2021.03.05_10.00.00.000.txt", 6, true},
        {"2021.03.10_10.00.00.000.txt", 1, true},
        {"notes.txt", 30, true},                      // not a log name: never rotated
        {"1999.01.01_10.00.00.000.txt", 30, true},    // only names starting with "20"
        {"2021.02.01_10.00.00.000.dmp", 30, true},    // dumps are the problem reports' business
    };
    ASSERT_TRUE(QDir().mkpath(logFolder()));
    for (const Case& c : cases)
        touch(logFolder() + QLatin1Char('/') + QLatin1String(c.name),
              logStartTime().addDays(-c.daysOld));
    { LogStream stream; }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QFile::exists(logFolder() + QLatin1Char('/') + QLatin1String(c.name)), c.kept);
    }
    EXPECT_TRUE(QFile::exists(logFileBaseName() + QStringLiteral(".txt")));
}

TEST_F(LogStreamTest, QtMessagesAreRoutedByType) {
    struct Case {
        QtMsgType type;
        const char* text;
        bool toStandardError;
        bool toLogFile;
    };
    const Case cases[] = {
        {QtDebugMsg, "a debug message", false, false},
        {QtWarningMsg, "a warning message", false, true},
        {QtCriticalMsg, "a critical message", true, false},
        {QtInfoMsg, "an information message", false, false},
    };
    const QtMessageHandler outer = qInstallMessageHandler(catchMessage);
    std::string standardError;
    {
        LogStream stream;
        stream.setStandardRouting();
        stream.installMessageHandler();
        ::testing::internal::CaptureStderr();
        for (const Case& c : cases)
            emitMessage(c.type, c.text);
        standardError = ::testing::internal::GetCapturedStderr();
    }
    EXPECT_EQ(qInstallMessageHandler(outer), catchMessage)
        << "the stream puts back the handler it replaced";
    const QByteArray log = fileBytes(logFileBaseName() + QStringLiteral(".txt"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(standardError.find(std::string(c.text) + "\n") != std::string::npos,
                  c.toStandardError);
        const bool inLog = QRegularExpression(timeStampPattern + QLatin1String(c.text) + QStringLiteral("\n"))
                               .match(QString::fromUtf8(log)).hasMatch();
        EXPECT_EQ(inLog, c.toLogFile);
    }
}

// Qt's messages arrive from the engine command thread while the GUI thread writes lines of its
// own: every way into the log, used by several threads at once, gives whole lines only.
TEST_F(LogStreamTest, LinesOfSeveralThreadsArriveWholeAndEachOnce) {
    constexpr int threadCount = 6;
    constexpr int linesPerWay = 150;
    const QtMessageHandler outer = qInstallMessageHandler(catchMessage);
    {
        LogStream stream;
        stream.setStandardRouting();
        stream.installMessageHandler();
        std::vector<std::thread> writers;
        for (int t = 0; t < threadCount; ++t) {
            writers.emplace_back([t, &stream] {
                for (int i = 0; i < linesPerWay; ++i) {
                    qWarning("thread %d warning %d of a line long enough to be split", t, i);
                    beginLogLine() << "thread " << t << " begun " << i << " and ended";
                    endLogLine();
                    stream.writeLine(QStringLiteral("thread %1 written %2").arg(t).arg(i).toUtf8());
                }
            });
        }
        for (std::thread& writer : writers)
            writer.join();
    }
    qInstallMessageHandler(outer);

    QStringList lines = fileLines(logFileBaseName() + QStringLiteral(".txt"));
    ASSERT_FALSE(lines.isEmpty());
    lines.removeFirst();   // the file's own path
    const QRegularExpression whole(QStringLiteral("^") + timeStampPattern
                                   + QStringLiteral("(thread \\d+ warning \\d+ of a line long enough to be split"
                                                    "|thread \\d+ begun \\d+ and ended"
                                                    "|thread \\d+ written \\d+)$"));
    std::set<QString> seen;
    for (const QString& line : lines) {
        EXPECT_TRUE(whole.match(line).hasMatch()) << "a broken line: " << line.toStdString();
        EXPECT_TRUE(seen.insert(line.mid(13)).second) << "twice: " << line.toStdString();
    }
    EXPECT_EQ(lines.size(), threadCount * linesPerWay * 3);
}

TEST_F(LogStreamTest, MessagesWithoutAStreamAreDropped) {
    ASSERT_EQ(theLogStream, nullptr);
    logMessageHandler(QtWarningMsg, QMessageLogContext(), QStringLiteral("nowhere"));
    logMessageHandler(QtFatalMsg, QMessageLogContext(), QStringLiteral("not even fatal ones"));
    EXPECT_FALSE(QFileInfo::exists(logFolder()));
}

using LogStreamDeathTest = LogStreamTest;

TEST_F(LogStreamDeathTest, FatalMessageGoesToBothThenAborts) {
    GTEST_FLAG_SET(death_test_style, "fast");   // the child must share this run's log file
    const QString path = logFileBaseName() + QStringLiteral(".txt");   // fixes the start time
    EXPECT_DEATH(
        {
            LogStream stream;
            stream.setStandardRouting();
            stream.installMessageHandler();
            qFatal("a fatal message");
        },
        "a fatal message");
    const QByteArray log = fileBytes(path);
    EXPECT_TRUE(QRegularExpression(timeStampPattern + QStringLiteral("a fatal message\n"))
                    .match(QString::fromUtf8(log)).hasMatch());
}
