#include "shell/TranslationLoader.h"

#include "ScratchSettingsTest.h"
#include "shell/GoogleWidget.h"
#include "common/LogStream.h"
#include "common/Product.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* const context = "GoogleWidget";
const char* const source = "Search Google Images - then Drag and Drop into %1";
const char* const comment = "Tool tip on Google Search box";

QString searchToolTip() { return QCoreApplication::translate(context, source, comment); }

QString folder(const char* name) {
    return QStringLiteral(ZQ_TEST_TRANSLATIONS_DIR "/") + QString::fromLatin1(name);
}

// The lines the log gained since the fixture began.
class TranslationTest : public ScratchSettingsTest {
protected:
    void SetUp() override {
        ScratchSettingsTest::SetUp();
        beginLogLine() << "test begins";
        endLogLine();
        logSize_ = QFile(theLogStream->filePath()).size();
    }
    QStringList newLogLines() const {
        QFile log(theLogStream->filePath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        log.seek(logSize_);
        QStringList lines;
        for (const QString& line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'),
                                                                       Qt::SkipEmptyParts))
            lines << line.mid(13);   // without the time stamp
        return lines;
    }
    qint64 logSize_ = 0;
};

TEST_F(TranslationTest, JapaneseFilesAreInstalledUntilTheLoaderGoes) {
    QSettings().setValue(QStringLiteral("TransDir"), folder("ja"));
    const QString english = searchToolTip();
    {
        TranslationLoader loader;
        EXPECT_TRUE(loader.loadLanguage(QStringLiteral("ja")));
        EXPECT_EQ(searchToolTip(), QStringLiteral("Google画像を検索して%1へドラッグ＆ドロップ"));
        EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("元に戻す(&U)"));
        GoogleWidget widget;   // a real widget takes its text from the installed file
        EXPECT_EQ(widget.toolTip(), QStringLiteral("Google画像を検索して%1へドラッグ＆ドロップ")
                                        .arg(productDisplayName()));
        EXPECT_EQ(newLogLines(),
                  QStringList({"Loading Qt translation file " + folder("ja") + "/qt_ja - ok.",
                               "Loading our translation file " + folder("ja") + "/all_ja - ok."}));
    }
    EXPECT_EQ(searchToolTip(), english);
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("&Undo"));
}

TEST_F(TranslationTest, MissingFilesLogFailedAndKeepEnglish) {
    const QString empty = QDir::tempPath() + QStringLiteral("/no-translations");
    QDir().mkpath(empty);
    QSettings().setValue(QStringLiteral("TransDir"), empty);
    TranslationLoader loader;
    EXPECT_FALSE(loader.loadLanguage(QStringLiteral("ja")));
    EXPECT_EQ(searchToolTip(), QString::fromLatin1(source));
    EXPECT_EQ(newLogLines(),
              QStringList({"Loading Qt translation file " + empty + "/qt_ja - failed.",
                           "Loading our translation file " + empty + "/all_ja - failed."}));
}

TEST_F(TranslationTest, TransDirMovesWhereTheFilesComeFrom) {
    TranslationLoader loader;
    QSettings().setValue(QStringLiteral("TransDir"), folder("ja"));
    ASSERT_TRUE(loader.loadLanguage(QStringLiteral("ja")));
    QSettings().setValue(QStringLiteral("TransDir"), folder("moved"));
    EXPECT_TRUE(loader.loadLanguage(QStringLiteral("ja")));
    EXPECT_EQ(searchToolTip(), QStringLiteral("画像検索（移動先）%1"));
}

TEST_F(TranslationTest, WithoutTransDirTheProgramFolderIsSearched) {
    EXPECT_EQ(translationDirectory(), QCoreApplication::applicationDirPath());
}

TEST_F(TranslationTest, AvailableLanguagesAreTheSixInOrder) {
    EXPECT_EQ(availableLanguages(), QStringList({"de", "en", "es", "fr", "it", "ja"}));
    const QStringList lines = newLogLines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines.front(), QStringLiteral("An available language: [de]"));
    EXPECT_EQ(lines.back(), QStringLiteral("An available language: [ja]"));
}

}  // namespace
