#include "shell/CutoutChoice.h"
#include "shell/FileHandler.h"
#include "common/FileNameDialog.h"
#include "masking/GmModel.h"
#include "masking/SavedCutoutState.h"
#include "masking/TqSourceImage.h"
#include "tests/shell/ModalSequence.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

namespace {

class FileHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        handler = new FileHandler(nullptr);
    }
    void TearDown() override { delete handler; }

    QString makeFile(const QString& name) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
        return path;
    }

    QTemporaryDir folder;
    FileHandler* handler = nullptr;
};

TEST_F(FileHandlerTest, RecentFilesKeepTheLastFiveMostRecentFirst) {
    QStringList list;
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << makeFile(QStringLiteral("p%1.png").arg(i));
        EXPECT_TRUE(handler->addRecent(paths.last(), list, QStringLiteral("RecentFiles")));
    }
    QStringList expected;
    for (int i = 5; i >= 1; --i)
        expected << QDir::toNativeSeparators(QFileInfo(paths[i]).canonicalFilePath());
    EXPECT_EQ(list, expected);
    QSettings settings;
    EXPECT_EQ(settings.value("FileHandling/RecentFiles").toStringList(), expected);

    // The most recent again changes nothing; an older one moves to the front.
    EXPECT_FALSE(handler->addRecent(paths[5], list, QStringLiteral("RecentFiles")));
    EXPECT_EQ(list, expected);
    EXPECT_TRUE(handler->addRecent(paths[2], list, QStringLiteral("RecentFiles")));
    EXPECT_EQ(list.first(), expected[3]);
    EXPECT_EQ(list.size(), 5);
}

TEST_F(FileHandlerTest, OpeningSixPicturesKeepsTheLastFiveAndReopeningTheFirstIsSilent) {
    QSettings().setValue(QStringLiteral("OnImageLoad"), 1);   // each opens as a cut-out
    QSignalSpy changes(handler, &FileHandler::recentFilesChanged);
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << folder.filePath(QStringLiteral("p%1.png").arg(i));
        QImage picture(8 + i, 6, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        ASSERT_TRUE(picture.save(paths.last()));
        EXPECT_TRUE(handler->loadImage(paths.last()));
    }
    EXPECT_EQ(changes.count(), 6);
    ASSERT_EQ(handler->recentFiles().size(), 5);
    EXPECT_EQ(handler->recentFiles().first(), QDir::toNativeSeparators(paths[5]));
    EXPECT_EQ(handler->recentFiles().last(), QDir::toNativeSeparators(paths[1]));
    EXPECT_EQ(GmModel::instance()->sourceImage()->name(), paths[5]);

    EXPECT_TRUE(handler->loadImage(paths[5]));
    EXPECT_EQ(changes.count(), 6);
    // Not a picture: its warning, nothing opens and the list stays.
    const QString text = makeFile(QStringLiteral("notes.png"));
    {
        ModalSequence answers({[](QDialog* box) { box->done(0); }});
        EXPECT_FALSE(handler->loadImage(text));
        EXPECT_EQ(answers.handled(), 1);
    }
    EXPECT_EQ(changes.count(), 6);
    EXPECT_FALSE(handler->recentFiles().contains(QDir::toNativeSeparators(text)));

    GmModel::instance()->closeImage();
    delete GmModel::instance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A cut-out placed from a picture alone opens again through the handler's own opening (which
// remembers the picture's folder), and only while there is a handler.
TEST_F(FileHandlerTest, APlacedPictureReopensThroughTheHandlerWhileItExists) {
    const QString path = folder.filePath(QStringLiteral("cut.png"));
    QImage image(24, 12, QImage::Format_ARGB32);
    image.fill(qRgb(90, 120, 150));
    ASSERT_TRUE(image.save(path));
    SavedCutoutState pictureOnly(new TqSourceImage(path));
    GmModel* model = GmModel::instance();

    ASSERT_TRUE(pictureOnly.restore());
    ASSERT_NE(model->sourceImage(), nullptr);
    EXPECT_NE(model->sourceImage(), pictureOnly.image());
    EXPECT_EQ(model->sourceImage()->image(), pictureOnly.image()->image());
    EXPECT_EQ(FileNameDialog::lastImageDir(), folder.path());

    model->closeImage();
    delete handler;
    handler = nullptr;
    EXPECT_FALSE(pictureOnly.restore());
    EXPECT_EQ(model->sourceImage(), nullptr);

    delete model;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(FileHandlerTest, OnlyAbsolutePathsOfExistingFilesBecomeRecent) {
    const QString real = makeFile(QStringLiteral("real.png"));
    QDir::setCurrent(folder.path());
    const struct { const char* name; QString file; } cases[] = {
        {"missing file", folder.filePath(QStringLiteral("missing.png"))},
        {"bare name of a file here", QStringLiteral("real.png")},
        {"folder", folder.path() + QStringLiteral("/sub/..")},
        {"empty", QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList list;
        EXPECT_FALSE(handler->addRecent(c.file, list, QStringLiteral("RecentFiles")));
        EXPECT_TRUE(list.isEmpty());
    }
    QStringList list;
    EXPECT_TRUE(handler->addRecent(real, list, QStringLiteral("RecentFiles")));
}

TEST_F(FileHandlerTest, LastImageDirIsHomeUntilAFileNamesAnother) {
    EXPECT_EQ(FileNameDialog::lastImageDir(), QDir::homePath());
    FileNameDialog::setLastImageDir(folder.filePath(QStringLiteral("a.png")));
    EXPECT_EQ(FileNameDialog::lastImageDir(), QFileInfo(folder.path()).absoluteFilePath());
}

TEST_F(FileHandlerTest, ExportNamesKeepJpegAndPngAndTakeTheFilterSuffixOtherwise) {
    const QString png = QStringLiteral("PNG image (*.png)");
    const QString jpeg = QStringLiteral("JPEG image (*.jpg)");
    const struct { const char* chosen; QString filter; const char* name; int type; } cases[] = {
        {"/p/picture", png, "/p/picture.png", 1},
        {"/p/picture", jpeg, "/p/picture.jpg", 0},
        {"/p/picture.JPG", png, "/p/picture.JPG", 0},
        {"/p/picture.jpeg", png, "/p/picture.jpeg", 0},
        {"/p/picture.Png", jpeg, "/p/picture.Png", 1},
        {"/p/picture.pdf", png, "/p/picture.pdf.png", 1},
        {"/p/picture.bmp", jpeg, "/p/picture.bmp.jpg", 0},
        {"/p/my.picture", png, "/p/my.picture.png", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        const QString name = FileHandler::exportName(QString::fromLatin1(c.chosen), c.filter);
        EXPECT_EQ(name, QString::fromLatin1(c.name));
        EXPECT_EQ(FileHandler::exportTypeOfSuffix(QFileInfo(name).suffix()), c.type);
    }
}

TEST_F(FileHandlerTest, OpenDialogOffersTheImageFormatsAndRemembersTheFolder) {
    const QString picture = makeFile(QStringLiteral("pic.png"));
    QDir(folder.path()).mkpath(QStringLiteral("start"));
    FileNameDialog::setLastImageDir(folder.filePath(QStringLiteral("start/earlier.png")));
    QString title, startFolder;
    QStringList filters;
    {
        ModalSequence answers({[&](QDialog* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(files, nullptr);
            title = files->windowTitle();
            filters = files->nameFilters();
            startFolder = files->directory().absolutePath();
            typeIntoFileDialog(files, picture);
        }});
        EXPECT_EQ(handler->askImageFilename(), picture);
    }
    EXPECT_EQ(title, QStringLiteral("Open"));
    EXPECT_EQ(startFolder, folder.filePath(QStringLiteral("start")));
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith(QStringLiteral("Images (*.")));
    EXPECT_TRUE(filters[0].contains(QStringLiteral(" *.png")) || filters[0].contains(QStringLiteral("(*.png")));
    EXPECT_EQ(filters[1], QStringLiteral("All files (*)"));
    EXPECT_EQ(FileNameDialog::lastImageDir(), folder.path());

    // Cancelled: nothing chosen, the folder stays.
    FileNameDialog::setLastImageDir(folder.filePath(QStringLiteral("start/earlier.png")));
    {
        ModalSequence answers({[](QDialog* dialog) { dialog->reject(); }});
        EXPECT_TRUE(handler->askImageFilename().isEmpty());
    }
    EXPECT_EQ(FileNameDialog::lastImageDir(), folder.filePath(QStringLiteral("start")));
}

// Runs `answer` on the next choice dialog, once it is open.
void whenDialogOpens(const std::function<void(CutoutChoice*)>& answer) {
    auto watch = std::make_shared<ModalWatch*>(nullptr);
    *watch = new ModalWatch([watch, answer](QDialog* dialog) {
        auto* choice = qobject_cast<CutoutChoice*>(dialog);
        if (!choice || !*watch)
            return;
        std::exchange(*watch, nullptr)->deleteLater();   // once only
        answer(choice);
    });
}

void clickOk(CutoutChoice* dialog) {
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Ok)->click();
}

QPixmap thumbnail() {
    QPixmap pixmap(300, 150);
    pixmap.fill(Qt::darkGreen);
    return pixmap;
}

TEST(CutoutChoiceTest, ThePreferenceAnswersWithoutADialog) {
    const struct { int preference; int result; bool asks; } cases[] = {
        {1, CutoutChoice::Cutout, false}, {2, CutoutChoice::Image, false},
        {0, CutoutChoice::Nothing, true}, {7, CutoutChoice::Nothing, true},
        {-1, CutoutChoice::Nothing, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preference);
        QSettings().setValue("OnImageLoad", c.preference);
        bool asked = false;
        if (c.asks)
            whenDialogOpens([&](CutoutChoice* dialog) { asked = true; dialog->reject(); });
        EXPECT_EQ(CutoutChoice::ask(thumbnail(), "/x/pic.jpg"), c.result);
        EXPECT_EQ(asked, c.asks);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QSettings().remove("OnImageLoad");
}

TEST(CutoutChoiceTest, TheDialogRemembersTheChoiceAndLeavesTheBackdropAlone) {
    QSettings().remove("OnImageLoad");
    QString title;
    bool cutoutFirst = false;
    whenDialogOpens([&](CutoutChoice* dialog) {
        title = dialog->windowTitle();
        cutoutFirst = dialog->findChild<QRadioButton*>("cutoutRadioButton")->isChecked();
        dialog->findChild<QRadioButton*>("imageRadioButton")->click();
        clickOk(dialog);
    });
    EXPECT_EQ(CutoutChoice::ask(thumbnail(), "/x/pic.jpg"), CutoutChoice::Image);
    EXPECT_EQ(title, QStringLiteral("pic.jpg"));
    EXPECT_TRUE(cutoutFirst);

    // The next dialog starts on the image; the backdrop disables "always" and is not kept.
    bool imageSelected = false;
    bool alwaysEnabled = true;
    whenDialogOpens([&](CutoutChoice* dialog) {
        imageSelected = dialog->findChild<QRadioButton*>("imageRadioButton")->isChecked();
        auto* always = dialog->findChild<QCheckBox*>("alwaysDoThisCheckBox");
        always->setChecked(true);
        dialog->findChild<QRadioButton*>("backdropRadioButton")->click();
        alwaysEnabled = always->isEnabled();
        clickOk(dialog);
    });
    EXPECT_EQ(CutoutChoice::ask(thumbnail(), "b.png"), CutoutChoice::Backdrop);
    EXPECT_TRUE(imageSelected);
    EXPECT_FALSE(alwaysEnabled);
    EXPECT_FALSE(QSettings().contains("OnImageLoad"));

    // "Always" with the cut-out makes it the preference.
    whenDialogOpens([&](CutoutChoice* dialog) {
        dialog->findChild<QRadioButton*>("cutoutRadioButton")->click();
        dialog->findChild<QCheckBox*>("alwaysDoThisCheckBox")->setChecked(true);
        clickOk(dialog);
    });
    EXPECT_EQ(CutoutChoice::ask(thumbnail(), "c.png"), CutoutChoice::Cutout);
    EXPECT_EQ(QSettings().value("OnImageLoad").toInt(), 1);
    QSettings().remove("OnImageLoad");
}

TEST(CutoutChoiceTest, CancelCloseKeyAndASecondRequestGiveNothing) {
    QSettings().remove("OnImageLoad");
    whenDialogOpens([](CutoutChoice* dialog) {
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(CutoutChoice::ask(thumbnail(), "a.png"), CutoutChoice::Nothing);

    int nested = -1;
    whenDialogOpens([&](CutoutChoice* dialog) {
        nested = CutoutChoice::ask(thumbnail(), "b.png");
        QTest::keySequence(dialog, QKeySequence::Close);
        if (dialog->isVisible())   // no Close binding on this platform: Escape
            QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(CutoutChoice::ask(thumbnail(), "a.png"), CutoutChoice::Nothing);
    EXPECT_EQ(nested, CutoutChoice::Nothing);
    EXPECT_EQ(theCutoutChoice, nullptr);
}

}  // namespace
