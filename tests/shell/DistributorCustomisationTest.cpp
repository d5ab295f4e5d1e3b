#include "shell/DistributorCustomisation.h"

#include "common/LogStream.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A complete, valid file; each case below changes one thing in it.
const char* validFile = R"(<?xml version="1.0"?>
<Customisation id="acme">
  <HomePage enabled="1"/>
  <LatestNews enabled="0"/>
  <CheckForUpdates enabled="1"/>
  <BuyNowAlways enabled="0"/>
  <Tutorials enabled="1"/>
  <AboutBoxText>Supplied by Acme</AboutBoxText>
  <Email support="help@acme.example"/>
</Customisation>
)";

QString replaced(const QString& text, const QString& from, const QString& to) {
    QString copy = text;
    return copy.replace(from, to);
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void expectDefaults(const DistributorCustomisation& record) {
    EXPECT_TRUE(record.id.isEmpty());
    EXPECT_TRUE(record.aboutBoxText.isEmpty());
    EXPECT_TRUE(record.supportEmail.isEmpty());
    EXPECT_TRUE(record.homePage && record.latestNews && record.checkForUpdates
                && record.buyNowAlways && record.tutorials);
}

}  // namespace

TEST(DistributorCustomisation, WithoutFilesEverythingIsDefaultAndNothingIsLogged) {
    QTemporaryDir folder;
    const DistributorCustomisation record = loadDistributorCustomisation(folder.path());
    expectDefaults(record);
    EXPECT_TRUE(record.loadedCleanly);
    EXPECT_TRUE(record.errorText.isEmpty());
    EXPECT_TRUE(record.logo.isNull());
    EXPECT_EQ(record.xmlPath, folder.filePath("distributor.xml"));
    EXPECT_EQ(theLogStream, nullptr) << "no log line was started";
}

TEST(DistributorCustomisation, ValidFileCustomisesEverything) {
    QTemporaryDir folder;
    writeFile(folder.filePath("distributor.xml"), validFile);
    const DistributorCustomisation record = loadDistributorCustomisation(folder.path());
    EXPECT_TRUE(record.loadedCleanly);
    EXPECT_EQ(record.id, QStringLiteral("acme"));
    EXPECT_EQ(record.aboutBoxText, QStringLiteral("Supplied by Acme"));
    EXPECT_EQ(record.supportEmail, QStringLiteral("help@acme.example"));
    EXPECT_TRUE(record.homePage);
    EXPECT_FALSE(record.latestNews);
    EXPECT_TRUE(record.checkForUpdates);
    EXPECT_FALSE(record.buyNowAlways);
    EXPECT_TRUE(record.tutorials);
}

TEST(DistributorCustomisation, OneErrorAnywhereRejectsTheWholeFile) {
    struct Case {
        const char* what;
        QString from, to;
        QString error;   // the whole error text
    };
    const QString valid = QString::fromUtf8(validFile);
    const Case cases[] = {
        {"enabled is not 0 or 1", "<LatestNews enabled=\"0\"/>", "<LatestNews enabled=\"true\"/>",
         "Error: Invalid value 'true' for attribute 'enabled' of element 'LatestNews'\n"},
        {"a flag without enabled", "<Tutorials enabled=\"1\"/>", "<Tutorials/>",
         "Error: Expected attribute 'enabled' to be defined for tag 'Tutorials'\n"},
        {"a missing flag", "<HomePage enabled=\"1\"/>", "",
         "Error: Could not find element 'HomePage', child of 'Customisation'\n"},
        {"no About text", "<AboutBoxText>Supplied by Acme</AboutBoxText>", "",
         "Error: Could not find element 'AboutBoxText', child of 'Customisation'\n"},
        {"Email without support", "<Email support=\"help@acme.example\"/>", "<Email/>",
         "Error: Expected attribute 'support' to be defined for tag 'Email'\n"},
        {"no id", " id=\"acme\"", "",
         "Error: Expected attribute 'id' to be defined for tag 'Customisation'\n"},
        {"an id with a path in it", "id=\"acme\"", "id=\"../acme\"",
         "Error: Invalid value '../acme' for attribute 'id' of element 'Customisation'\n"},
        {"an id with a query in it", "id=\"acme\"", "id=\"acme?x=1&amp;y\"",
         "Error: Invalid value 'acme?x=1&y' for attribute 'id' of element 'Customisation'\n"},
        {"an id with a blank", "id=\"acme\"", "id=\"ac me\"",
         "Error: Invalid value 'ac me' for attribute 'id' of element 'Customisation'\n"},
        {"an id with a non-ASCII letter", "id=\"acme\"", "id=\"acm\xc3\xa9\"",
         "Error: Invalid value 'acm\xc3\xa9' for attribute 'id' of element 'Customisation'\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        writeFile(folder.filePath("distributor.xml"), replaced(valid, c.from, c.to).toUtf8());
        const DistributorCustomisation record = loadDistributorCustomisation(folder.path());
        EXPECT_FALSE(record.loadedCleanly);
        EXPECT_EQ(record.errorText, c.error);
        expectDefaults(record);
    }
}

TEST(DistributorCustomisation, IdOfLettersDigitsDashesAndUnderscoresIsAccepted) {
    QTemporaryDir folder;
    writeFile(folder.filePath("distributor.xml"),
              replaced(validFile, "id=\"acme\"", "id=\"Acme-Shop_2\"").toUtf8());
    const DistributorCustomisation record = loadDistributorCustomisation(folder.path());
    EXPECT_TRUE(record.loadedCleanly) << record.errorText.toStdString();
    EXPECT_EQ(record.id, QStringLiteral("Acme-Shop_2"));
}

TEST(DistributorCustomisation, EmailIsOptional) {
    QTemporaryDir folder;
    writeFile(folder.filePath("distributor.xml"),
              replaced(validFile, "<Email support=\"help@acme.example\"/>", "").toUtf8());
    const DistributorCustomisation record = loadDistributorCustomisation(folder.path());
    EXPECT_TRUE(record.loadedCleanly);
    EXPECT_TRUE(record.supportEmail.isEmpty());
    EXPECT_EQ(record.id, QStringLiteral("acme"));
}

TEST(DistributorCustomisation, UnparsableFileIsReportedWithItsPositionAndLogged) {
    QTemporaryDir folder;
    writeFile(folder.filePath("distributor.xml"), "<Customisation id=\"acme\">\n<HomePage");
    DistributorCustomisation record;
    {
        LogStream log;
        record = loadDistributorCustomisation(folder.path());
    }
    EXPECT_FALSE(record.loadedCleanly);
    EXPECT_TRUE(record.errorText.startsWith(QStringLiteral("Error: line 2, col ")))
        << record.errorText.toStdString();
    expectDefaults(record);
    QFile log(logFileBaseName() + QStringLiteral(".txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll())
                    .contains(QStringLiteral("ERRORS found in") + record.xmlPath + QStringLiteral("\nError: line 2")));
}

TEST(DistributorCustomisation, LogoIsUsedEvenWithoutTheXmlFile) {
    QTemporaryDir folder;
    QImage logo(400, 100, QImage::Format_RGB32);
    logo.fill(Qt::darkCyan);
    ASSERT_TRUE(logo.save(folder.filePath("distributor.png")));
    const DistributorCustomisation record = loadDistributorCustomisation(folder.path());
    ASSERT_FALSE(record.logo.isNull());
    EXPECT_EQ(record.logo.width(), 400);
    EXPECT_EQ(record.logoPath, folder.filePath("distributor.png"));
    expectDefaults(record);
    EXPECT_TRUE(record.loadedCleanly);
}
