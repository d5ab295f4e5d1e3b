#include "shell/ProblemReports.h"

#include "ModalDialogCloser.h"
#include "common/LogStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool modal = false;
};

// The temporary folder of these tests has characters that mean something in rich text, so
// that the box must escape the path it shows.
class ProblemReportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousTemporary_ = qgetenv("TMPDIR");
        const QString temporary =
            QString::fromLocal8Bit(previousTemporary_) + QStringLiteral("/a&b<i>c");
        ASSERT_TRUE(QDir().mkpath(temporary));
        qputenv("TMPDIR", QFile::encodeName(temporary));
        ASSERT_TRUE(ensureLogFolder());
        folder_ = logFolder();
        eventFolder_ = folder_ + QStringLiteral("/Event");
    }

    void TearDown() override {
        QDir(QString::fromLocal8Bit(qgetenv("TMPDIR"))).removeRecursively();
        qputenv("TMPDIR", previousTemporary_);
    }

    // Runs the check, closing the box it shows; the box's details when there was one.
    std::vector<ShownBox> check() {
        std::vector<ShownBox> shown;
        ModalDialogCloser closer([&shown](QDialog* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            shown.push_back({box->windowTitle(), box->text(), box->icon(), box->isModal()});
        });
        checkProblemReports(nullptr);
        return shown;
    }

    QByteArray previousTemporary_;
    QString folder_;
    QString eventFolder_;
};

}  // namespace

TEST_F(ProblemReportsTest, NoDumpNoMessage) {
    writeFile(folder_ + QStringLiteral("/2024.01.01_10.00.00.000.txt"), "log");
    EXPECT_TRUE(check().empty());
    EXPECT_FALSE(QFileInfo::exists(eventFolder_));
}

TEST_F(ProblemReportsTest, DumpsMoveOnePerStartInNameOrderWithTheirLogs) {
    // Written in reverse order, so directory order is unlikely to be name order by chance.
    for (const char* stamp : {"2024.05.02_09.00.00.000", "2024.05.01_09.00.00.000"}) {
        writeFile(folder_ + QLatin1Char('/') + QLatin1String(stamp) + QStringLiteral(".dmp"), "dump");
        writeFile(folder_ + QLatin1Char('/') + QLatin1String(stamp) + QStringLiteral(".txt"), "log");
    }
    ASSERT_TRUE(QDir().mkdir(eventFolder_));
    writeFile(eventFolder_ + QStringLiteral("/2023.12.24_08.00.00.000.dmp"), "reported before");

    std::vector<ShownBox> shown = check();
    EXPECT_EQ(filesIn(eventFolder_),
              QStringList({"2024.05.01_09.00.00.000.dmp", "2024.05.01_09.00.00.000.txt"}));
    EXPECT_EQ(filesIn(folder_),
              QStringList({"2024.05.02_09.00.00.000.dmp", "2024.05.02_09.00.00.000.txt"}));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, QStringLiteral("Problem Reports Detected"));
    EXPECT_EQ(shown[0].icon, QMessageBox::Information);
    EXPECT_TRUE(shown[0].modal);
    const QString canonicalEvent = QFileInfo(eventFolder_).canonicalFilePath();
    EXPECT_TRUE(canonicalEvent.contains(QStringLiteral("a&b<i>c")));
    EXPECT_TRUE(shown[0].text.startsWith(
        QStringLiteral("<p>Zolquist\u2122 recently shutdown unexpectedly.<br/>Log files were saved in:</p>")));
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("<font color='blue'>")
                                       + canonicalEvent.toHtmlEscaped() + QStringLiteral("</font>")))
        << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.endsWith(QStringLiteral("<p>Thank you.</p>")));

    // The next start reports the other dump and clears what the last one left.
    shown = check();
    EXPECT_EQ(filesIn(eventFolder_),
              QStringList({"2024.05.02_09.00.00.000.dmp", "2024.05.02_09.00.00.000.txt"}));
    EXPECT_TRUE(filesIn(folder_).isEmpty());
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(ProblemReportsTest, DumpWithoutItsLogIsStillReported) {
    writeFile(folder_ + QStringLiteral("/2024.05.01_09.00.00.000.dmp"), "dump");
    EXPECT_EQ(check().size(), 1u);
    EXPECT_EQ(filesIn(eventFolder_), QStringList({"2024.05.01_09.00.00.000.dmp"}));
}

TEST_F(ProblemReportsTest, UnusableEventFolderDeletesAndMovesNothing) {
    struct Case {
        const char* what;
        bool asLink;
    };
    for (const Case& c : {Case{"a plain file named Event", false}, Case{"a link named Event", true}}) {
        SCOPED_TRACE(c.what);
        const QString elsewhere = QDir::tempPath() + QStringLiteral("/elsewhere");
        ASSERT_TRUE(QDir().mkpath(elsewhere));
        writeFile(elsewhere + QStringLiteral("/precious.txt"), "keep me");
        if (c.asLink)
            ASSERT_TRUE(QFile::link(elsewhere, eventFolder_));
        else
            writeFile(eventFolder_, "not a folder");
        writeFile(folder_ + QStringLiteral("/2024.05.01_09.00.00.000.dmp"), "dump");
        writeFile(folder_ + QStringLiteral("/2024.05.01_09.00.00.000.txt"), "log");

        EXPECT_TRUE(check().empty());
        EXPECT_TRUE(QFileInfo::exists(folder_ + QStringLiteral("/2024.05.01_09.00.00.000.dmp")));
        EXPECT_TRUE(QFileInfo::exists(folder_ + QStringLiteral("/2024.05.01_09.00.00.000.txt")));
        EXPECT_EQ(filesIn(elsewhere), QStringList({"precious.txt"}));
        QFile::remove(eventFolder_);
        QDir(elsewhere).removeRecursively();
    }
}

TEST_F(ProblemReportsTest, LogFolderThatIsALinkIsLeftAlone) {
    const QString elsewhere = QDir::tempPath() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    writeFile(elsewhere + QStringLiteral("/2024.05.01_09.00.00.000.dmp"), "dump");
    ASSERT_TRUE(QDir(folder_).removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere, folder_));
    EXPECT_TRUE(check().empty());
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"2024.05.01_09.00.00.000.dmp"}));
    QFile::remove(folder_);
}
