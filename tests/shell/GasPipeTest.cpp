#include "shell/GasPipe.h"

#include "common/LogStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

namespace {

QString readWholeLog() {
    if (!theLogStream)
        return QString();
    QFile log(theLogStream->filePath());
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

class GasPipeTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& content) {
        const QString path = folder_.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }
    QString folder() const { return QFileInfo(folder_.path()).absoluteFilePath(); }

    QTemporaryDir folder_;
};

TEST_F(GasPipeTest, IdsAreFoundAtAnyDepthWhateverTheirTags) {
    const QString path = write(QStringLiteral("job.btqx"), R"(<?xml version="1.0"?>
<job>
  <!-- a comment is no element -->
  <images><in><deep><deeper id="imageIn" src="in/photo.jpg"/></deep></in></images>
  <out id="imageOut" src="result.png">text <b id="inline">bold</b></out>
  <settings><config id="config">mode=fast</config></settings>
</job>)");
    GasPipe pipe(path);
    ASSERT_TRUE(pipe.read()) << readWholeLog().toStdString();
    EXPECT_EQ(pipe.elementById(QStringLiteral("imageIn")).tagName(), QStringLiteral("deeper"));
    EXPECT_EQ(pipe.elementById(QStringLiteral("inline")).text(), QStringLiteral("bold"));
    EXPECT_TRUE(pipe.elementById(QStringLiteral("missing")).isNull());
    EXPECT_EQ(pipe.attributeById(QStringLiteral("imageOut"), QStringLiteral("src")),
              QStringLiteral("result.png"));
    EXPECT_EQ(pipe.attributeById(QStringLiteral("imageOut"), QStringLiteral("none")), QString());
    EXPECT_EQ(pipe.attributeById(QStringLiteral("missing"), QStringLiteral("src")), QString());
    EXPECT_EQ(GasPipe::inputImagePath(), folder() + QStringLiteral("/in/photo.jpg"));
    EXPECT_EQ(GasPipe::outputImagePath(), folder() + QStringLiteral("/result.png"));
    EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("mode=fast"));
}

TEST_F(GasPipeTest, TheLaterOfTwoElementsWithOneIdWins) {
    const QString path = write(QStringLiteral("twice.btqx"), R"(<job>
  <a id="imageIn" src="first.jpg"><b id="imageIn" src="nested.jpg"/></a>
  <c id="imageIn" src="last.jpg"/>
  <d id="config">one</d><e><f id="config">two</f></e>
</job>)");
    GasPipe pipe(path);
    ASSERT_TRUE(pipe.read());
    EXPECT_EQ(GasPipe::inputImagePath(), folder() + QStringLiteral("/last.jpg"));
    EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("two"));
}

TEST_F(GasPipeTest, TheRootItselfCanCarryAnId) {
    GasPipe pipe(write(QStringLiteral("root.btqx"), R"(<config id="config">root text</config>)"));
    ASSERT_TRUE(pipe.read());
    EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("root text"));
}

TEST_F(GasPipeTest, AbsoluteSourcesStandAndMissingOnesNameTheFolder) {
    const QString path = write(QStringLiteral("sub/abs.btqx"), R"(<job>
  <i id="imageIn" src="/data/pictures/in.tif"/>
  <o id="imageOut"/>
</job>)");
    GasPipe pipe(path);
    ASSERT_TRUE(pipe.read());
    EXPECT_EQ(GasPipe::inputImagePath(), QStringLiteral("/data/pictures/in.tif"));
    EXPECT_EQ(GasPipe::outputImagePath(), folder() + QStringLiteral("/sub/"));
    EXPECT_EQ(GasPipe::configurationText(), QString());
}

TEST_F(GasPipeTest, ASecondFileIsIndexedOnItsOwnAndReadsItsOwnPaths) {
    GasPipe first(write(QStringLiteral("one/a.btqx"),
                        R"(<j><i id="imageIn" src="a.jpg"/><c id="only-in-a"/></j>)"));
    GasPipe second(write(QStringLiteral("two/b.btqx"), R"(<j><i id="imageIn" src="b.jpg"/></j>)"));
    ASSERT_TRUE(first.read());
    EXPECT_FALSE(first.elementById(QStringLiteral("only-in-a")).isNull());
    ASSERT_TRUE(second.read());
    EXPECT_EQ(GasPipe::inputImagePath(), folder() + QStringLiteral("/two/b.jpg"));
    EXPECT_TRUE(second.elementById(QStringLiteral("only-in-a")).isNull());
    // Reading the first again gives its own paths, whatever the process-wide pipe is.
    ASSERT_TRUE(first.read());
    EXPECT_EQ(GasPipe::inputImagePath(), folder() + QStringLiteral("/one/a.jpg"));
}

TEST_F(GasPipeTest, MalformedXmlLeavesTheEarlierResults) {
    GasPipe good(write(QStringLiteral("good.btqx"),
                       R"(<j><i id="imageIn" src="kept.jpg"/><c id="config">kept</c></j>)"));
    ASSERT_TRUE(good.read());
    for (const char* broken : {"<j><i id=\"imageIn\" src=\"lost.jpg\"></j>", "", "not xml at all",
                               "<j><c id=\"config\">lost</c>"}) {
        SCOPED_TRACE(broken);
        GasPipe bad(write(QStringLiteral("bad.btqx"), broken));
        EXPECT_FALSE(bad.read());
        EXPECT_EQ(GasPipe::inputImagePath(), folder() + QStringLiteral("/kept.jpg"));
        EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("kept"));
    }
}

// The root, `depth` elements inside each other and, when closed, an element with a text within
// the innermost.
QByteArray nested(int depth, bool closed) {
    QByteArray xml = QByteArray("<a>").repeated(depth);
    xml.insert(0, QByteArray("<j>"));
    if (closed)
        xml += QByteArray("<c id=\"config\">deep</c>") + QByteArray("</a>").repeated(depth) + "</j>";
    return xml;
}

// Qt's DOM parser descends once per open element on the stack: these ended the process.
TEST_F(GasPipeTest, DeepOrHugeFilesAreRefusedAndLeaveTheEarlierResults) {
    GasPipe good(write(QStringLiteral("good.btqx"), R"(<j><c id="config">kept</c></j>)"));
    ASSERT_TRUE(good.read());
    const struct {
        const char* name;
        QByteArray xml;
        const char* logged;
    } cases[] = {
        {"100,000 unclosed", nested(100000, false), "elements nested more than 256 deep"},
        {"200,000 nested", nested(200000, true), "elements nested more than 256 deep"},
        {"257 deep", nested(255, true), "elements nested more than 256 deep"},
        {"over 4 MB", "<j>" + QByteArray(4 << 20, 'x') + "</j>", "larger than 4194304 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write(QStringLiteral("hostile.btqx"), c.xml);
        GasPipe hostile(path);
        EXPECT_FALSE(hostile.read());
        EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("kept"));
        EXPECT_TRUE(readWholeLog().contains(QStringLiteral("XML control file %1 not read: %2")
                                                .arg(path, QLatin1String(c.logged))));
    }
    // The root, 254 levels and the text's element: 256 deep, within the bound.
    GasPipe deepest(write(QStringLiteral("deepest.btqx"), nested(254, true)));
    EXPECT_TRUE(deepest.read());
    EXPECT_EQ(GasPipe::configurationText(), QStringLiteral("deep"));
}

// Opening a FIFO for reading waits for a writer: with none, the GUI thread would wait forever.
TEST_F(GasPipeTest, OnlyARegularFileIsOpened) {
    const QString fifo = folder() + QStringLiteral("/fifo.btqx");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    GasPipe pipe(fifo);
    EXPECT_THROW(pipe.read(), GasPipe::OpenError);
}

TEST_F(GasPipeTest, AFileThatDoesNotOpenThrowsTheTextToShow) {
    const QString path = folder() + QStringLiteral("/absent.btqx");
    GasPipe pipe(path);
    try {
        pipe.read();
        ADD_FAILURE() << "nothing was thrown";
    } catch (const GasPipe::OpenError& error) {
        EXPECT_EQ(error.text, QStringLiteral("Unable to open XML control file: ") + path);
    }
}

TEST_F(GasPipeTest, ReplacingThePipeDeletesTheEarlierOneAndAnUnreadableFileIsLogged) {
    QObject owner;
    // A folder never opens as a file, whatever rights the test runs with.
    const QString unreadable = folder() + QStringLiteral("/folder.btqx");
    ASSERT_TRUE(QDir().mkpath(unreadable));
    GasPipe* first = replaceTheGasPipe(write(QStringLiteral("r.btqx"), "<j/>"), &owner);
    QPointer<GasPipe> watched(first);
    EXPECT_EQ(theGasPipe, first);
    EXPECT_TRUE(readTheGasPipe());

    GasPipe* second = replaceTheGasPipe(unreadable, &owner);
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(theGasPipe, second);
    EXPECT_FALSE(readTheGasPipe());
    EXPECT_TRUE(readWholeLog().contains(QStringLiteral("Unable to open XML control file: ") +
                                        unreadable));
    delete second;
    EXPECT_EQ(theGasPipe, nullptr);
    EXPECT_FALSE(readTheGasPipe());
}

}  // namespace
