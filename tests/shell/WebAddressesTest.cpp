#include "shell/WebAddresses.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QString site = QStringLiteral("https://www.brenmoortech.example/");

struct AddressCase {
    const char* name;
    QString distributor;
    QString productBase;
    QString makerBase;
    QString update;
    QString download;
    QString tutorials;
};

class DistributorAddresses : public ::testing::TestWithParam<AddressCase> {};

TEST_P(DistributorAddresses, EachDistributorHasItsOwnSubTree) {
    const AddressCase& row = GetParam();
    EXPECT_EQ(distributorBaseAddress(row.distributor), row.productBase);
    EXPECT_EQ(makerBaseAddress(row.distributor), row.makerBase);
    EXPECT_EQ(updatePageAddress(row.distributor), row.update);
    EXPECT_EQ(downloadPageAddress(row.distributor), row.download);
    EXPECT_EQ(webPageAddress(QStringLiteral("en/tutorials.html"), row.distributor), row.tutorials);
    EXPECT_EQ(webPageAddress(QString(), row.distributor), QString());
    for (const QString& address : {row.update, row.download, row.tutorials}) {
        // No doubled separator after the scheme's own.
        EXPECT_FALSE(address.mid(int(qstrlen("https://"))).contains(QLatin1String("//")))
            << address.toStdString();
        EXPECT_TRUE(QUrl(address).isValid());
    }
}

INSTANTIATE_TEST_SUITE_P(
    WebAddresses, DistributorAddresses,
    ::testing::Values(
        AddressCase{"none", QString(), site + "zolquist/", site,
                    site + "zolquist/current/" ZQ_VERSION ".-win.html",
                    site + "current/zol-download.htm", site + "zolquist/en/tutorials.html"},
        AddressCase{"acme", QStringLiteral("acme"), site + "zolquist/distributors/acme/",
                    site + "distributors/acme/",
                    site + "zolquist/distributors/acme/current/" ZQ_VERSION ".-win.html",
                    site + "distributors/acme/current/zol-download.htm",
                    site + "zolquist/distributors/acme/en/tutorials.html"}),
    [](const ::testing::TestParamInfo<AddressCase>& info) { return std::string(info.param.name); });

TEST(WebAddresses, SiteIsHttpsOnAReservedDomain) {
    EXPECT_EQ(makerWebAddress(), site);
    EXPECT_EQ(productWebAddress(), site + "zolquist/");
    // Without a distributor file beside the test, this installation has no distributor.
    EXPECT_EQ(newsPageAddress(), site + "zolquist/en/latest_news.html");
    EXPECT_EQ(tutorialsWebAddress(), site + "zolquist/en/tutorials.html");
    EXPECT_EQ(updatePageAddress(), site + "zolquist/current/" ZQ_VERSION ".-win.html");
}

/// Translates one text of one context, as a loaded translation would.
class OneTextTranslator : public QTranslator {
public:
    OneTextTranslator(const char* context, const char* source, QString translation)
        : context_(context), source_(source), translation_(std::move(translation)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*,
                      int) const override {
        return qstrcmp(context, context_) == 0 && qstrcmp(source, source_) == 0 ? translation_
                                                                                  : QString();
    }

private:
    const char* context_;
    const char* source_;
    QString translation_;
};

TEST(WebAddresses, TranslatedPageNamesMoveOrSwitchOffTheNewsPage) {
    OneTextTranslator german("Product", "en/latest_news.html", QStringLiteral("de/news.html"));
    QCoreApplication::installTranslator(&german);
    EXPECT_EQ(newsPageAddress(), site + "zolquist/de/news.html");
    QCoreApplication::removeTranslator(&german);
    // Empty but not null: a translation that is there and says "no such page".
    OneTextTranslator none("Product", "en/latest_news.html", QString(""));
    QCoreApplication::installTranslator(&none);
    EXPECT_EQ(newsPageAddress(), QString());
    QCoreApplication::removeTranslator(&none);
    EXPECT_EQ(newsPageAddress(), site + "zolquist/en/latest_news.html");
}

TEST(WebAddresses, LocalTutorialsAreFileAddressesWhenTheyExist) {
    QTemporaryDir folder;
    const QString start = QDir(folder.path()).filePath(QStringLiteral("Tutorials/index.htm"));
    QDir().mkpath(QFileInfo(start).absolutePath());
    QSettings settings(QDir(folder.path()).filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("TutorialsRoot"), start);
    EXPECT_EQ(tutorialsAddress(settings), tutorialsWebAddress());   // not there yet
    QFile(start).open(QIODevice::WriteOnly);
    const QString address = tutorialsAddress(settings);
    EXPECT_EQ(address, QStringLiteral("file://") + QFileInfo(start).absoluteFilePath());
    EXPECT_FALSE(address.startsWith(QLatin1String("file:////")));
    EXPECT_EQ(QUrl(address).toLocalFile(), QFileInfo(start).absoluteFilePath());
}

TEST(WebAddresses, HelpRootEndsInTheLanguageOfTheUserInterface) {
    QTemporaryDir folder;
    QSettings settings(QDir(folder.path()).filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("HelpRoot"), folder.path() + QStringLiteral("/Help/"));
    const QString english = helpRootAddress(settings);
    EXPECT_EQ(english, QStringLiteral("file://") + folder.path() + QStringLiteral("/Help/en"));
    OneTextTranslator german("TqApp", "en", QStringLiteral("de"));
    QCoreApplication::installTranslator(&german);
    EXPECT_EQ(helpRootAddress(settings),
              QStringLiteral("file://") + folder.path() + QStringLiteral("/Help/de"));
    QCoreApplication::removeTranslator(&german);
    // By default the help lies beside the program.
    QSettings empty(QDir(folder.path()).filePath(QStringLiteral("e.ini")), QSettings::IniFormat);
    EXPECT_TRUE(helpRootAddress(empty).endsWith(QLatin1String("/Help/en")));
    EXPECT_TRUE(helpRootAddress(empty).startsWith(QLatin1String("file:///")));
}

}  // namespace
